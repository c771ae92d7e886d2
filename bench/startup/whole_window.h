// When a window of another process is whole on the screen, asked of the
// window itself rather than of any program's layout: its controls, where they
// lie and what kind they are, and their pixels on the screen. A control with
// a frame (an edit field, a list, a box's square, a button's outline) counts
// as drawn once the pixel on its left edge, half-way down, differs from the
// one just left of it, which its parent painted; a static's text has no such
// point and is drawn in the same pass as the controls around it.
#pragma once

#include <windows.h>

// The kinds of controls a window of the suite makes, in the order the
// yardstick window takes their counts.
enum ControlKind { EDIT_FIELD, COMBO_BOX, CHECK_BOX, PUSH_BUTTON, STATIC_TEXT, LIST_BOX, CONTROL_KINDS };

struct ControlCounts {
    int of[CONTROL_KINDS];
};

// The yardstick's argument that gives the count of `kind` ("--edits=").
const wchar_t* control_kind_argument(ControlKind kind);

// Every control of `window` by kind, those scrolled out of sight too.
ControlCounts count_controls(HWND window);

// Whether `window` is whole on the screen: the field that holds its
// keyboard focus, where a nurse types first, and every framed control in
// sight drawn.
bool window_whole(HWND window);
