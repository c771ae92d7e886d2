// What every window of the suite does alike when it is made: its class.
#pragma once

#include <windows.h>

// Registers the window class `name` of `instance`: the arrow cursor,
// `background` (nullptr: the window paints all of it), and the program's
// icon when `with_icon`. A second registration (a test opens a window again)
// fails harmlessly and keeps the first.
void register_suite_window_class(HINSTANCE instance, const wchar_t* name, WNDPROC procedure, HBRUSH background,
                                 bool with_icon);

// Shows a window whose controls are all made and filled, with the keyboard
// at `focus`, and draws it at once: the window a nurse sees is whole from its
// first frame. Shown first, with its controls made after, a window showed
// its band sooner but the window a nurse can use later
// (scripts/measure.sh), and a control drew itself before the window kept its
// handle: the verdict and the caution came out grey.
void show_whole(HWND window, HWND focus);

// Every window of the suite is told that a result was saved or delivered
// (SUITE_RESULTS_SAVED_MESSAGE): the launcher's ward list is read again.
void tell_results_saved();
