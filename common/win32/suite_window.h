// What every window of the suite does alike when it is made: its class,
// and how it comes on the screen before its controls.
#pragma once

#include <windows.h>

// Registers the window class `name` of `instance`: the arrow cursor,
// `background` (nullptr: the window paints all of it), and the program's
// icon when `with_icon`. A second registration (a test opens a window again)
// fails harmlessly and keeps the first.
void register_suite_window_class(HINSTANCE instance, const wchar_t* name, WNDPROC procedure, HBRUSH background,
                                 bool with_icon);

// Shows `window` and hands what it painted to the screen at once, before
// its controls are made: a nurse sees that the program is opening. Under
// Wine each control costs about a millisecond to make and more to draw, and
// a window shows only what was painted when its thread last looked for a
// message and found none; the look for `later` (a message posted only after
// the controls are made) finds none. Windows shows it at once either way.
void show_painted_before_controls(HWND window, UINT later);
