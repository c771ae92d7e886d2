// What the hospital's IT sets for every program of the suite, by Group
// Policy (HKLM\SOFTWARE\Policies\OrvoMed\Suite), and the delivery of saved
// results to the hospital's database, which the tools and the launcher
// share.
#pragma once

#include <windows.h>

#include "delivery/delivery.h"

// Posted by the launcher to the windows of every tool it opened for a
// patient once its bar holds another: the window is still the earlier
// patient's. It carries no patient: any program may post it, and all it
// can do is make a window more careful.
#define SUITE_PATIENT_CHANGED_MESSAGE L"OrvoMedSuite.LauncherPatientChanged"

// RequirePatient: whether a result is saved or printed only for a patient.
// 1: every tool's; 0: none; not set (or any other value): an assessment's
// (a nursing document filed in the chart), a formula tool's and a
// report's not.
bool policy_requires_patient(bool assessment);

// RecordsDatabase: the ODBC connection string of the hospital's database
// (REG_SZ, or REG_EXPAND_SZ with its variables expanded).
enum PolicyString {
    POLICY_NOT_SET,   // nothing is sent
    POLICY_SET,
    POLICY_TOO_LONG,  // longer than DELIVERY_CONNECTION_LIMIT: results queue, and the status line says why none go
};
constexpr int POLICY_CONNECTION_CAPACITY = DELIVERY_CONNECTION_LIMIT + 1;
PolicyString policy_records_database(wchar_t* connection, int capacity);

// Delivers the outbox on a thread of its own, so the window never waits on
// the network: a pass now (or right after the one running), then
// `message` is posted to `window`. Nothing happens without RecordsDatabase.
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
