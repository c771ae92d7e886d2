// The delivery of saved results to the hospital's database on a thread of
// its own, so that no window ever waits on the network; the tools and the
// launcher share it.
#pragma once

#include <windows.h>

#include "delivery/delivery.h"

// A pass now (or right after the one running), then `message` is posted to
// `window`. Nothing happens without RecordsDatabase.
void delivery_start(HWND window, UINT message);
// The report of the pass that ended last; true when another pass follows
// it (a request came while it ran).
bool delivery_latest(DeliveryReport* report);
// At exit: waits at most `milliseconds` for a pass under way, so that the
// driver is not cut off inside a call.
void delivery_finish(int milliseconds);
constexpr int DELIVERY_EXIT_WAIT_MILLISECONDS = 2000;
// Passes a window that stays open asks for on its own, this often.
constexpr UINT DELIVERY_RETRY_MILLISECONDS = 3 * 60 * 1000;
