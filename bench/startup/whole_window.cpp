// Controls of another process's window, read through the window manager's
// own calls (they answer for any process), and their pixels on the screen.
#include "bench/startup/whole_window.h"

#include <wchar.h>

namespace {

struct KindDef {
    const wchar_t* window_class;
    const wchar_t* argument;
};
const KindDef kinds[CONTROL_KINDS] = {
    {L"Edit", L"--edits="},     {L"ComboBox", L"--combos="}, {L"Button", L"--checks="},
    {L"Button", L"--buttons="}, {L"Static", L"--statics="},  {L"ListBox", L"--lists="},
};
constexpr int NOT_A_CONTROL = -1;

// The version 6 controls' classes may come as "6.0.x.y!Edit".
const wchar_t* base_name(const wchar_t* name) {
    const wchar_t* bang = wcsrchr(name, L'!');
    return bang ? bang + 1 : name;
}

bool is_box(LONG style) {
    switch (style & BS_TYPEMASK) {
    case BS_CHECKBOX:
    case BS_AUTOCHECKBOX:
    case BS_3STATE:
    case BS_AUTO3STATE:
    case BS_RADIOBUTTON:
    case BS_AUTORADIOBUTTON: return true;
    }
    return false;
}

int kind_of(HWND control) {
    wchar_t name[128] = L"";
    GetClassNameW(control, name, 128);
    const wchar_t* base = base_name(name);
    for (int k = 0; k < CONTROL_KINDS; k++) {
        if (_wcsicmp(base, kinds[k].window_class)) continue;
        if (k == CHECK_BOX || k == PUSH_BUTTON) {
            LONG style = GetWindowLongW(control, GWL_STYLE);
            if ((style & BS_TYPEMASK) == BS_GROUPBOX) return NOT_A_CONTROL;
            return is_box(style) ? CHECK_BOX : PUSH_BUTTON;
        }
        return k;
    }
    return NOT_A_CONTROL;
}

// A field or a list shows a frame only when it has one; boxes and buttons
// always draw an outline or a square at their left edge.
bool has_frame(HWND control, int kind) {
    switch (kind) {
    case EDIT_FIELD:
    case LIST_BOX:
        return (GetWindowLongW(control, GWL_EXSTYLE) & (WS_EX_CLIENTEDGE | WS_EX_STATICEDGE)) ||
               (GetWindowLongW(control, GWL_STYLE) & WS_BORDER);
    case COMBO_BOX:
    case CHECK_BOX:
    case PUSH_BUTTON: return true;
    }
    return false;
}

constexpr int MOST_CONTROLS = 1024;

struct Controls {
    HWND of[MOST_CONTROLS];
    int count;
};

BOOL CALLBACK add_control(HWND control, LPARAM context) {
    Controls* controls = (Controls*)context;
    if (controls->count < MOST_CONTROLS) controls->of[controls->count++] = control;
    return TRUE;
}

void list_controls(HWND window, Controls* controls) {
    controls->count = 0;
    EnumChildWindows(window, add_control, (LPARAM)controls);
}

// What never changes of a control, asked once: each ask is a call to
// Wine's server, and the window is asked every millisecond or two.
struct Known {
    HWND control, parent;
    int kind;
    bool framed;
};
struct KnownControls {
    HWND window;
    Known of[MOST_CONTROLS];
    int count;
};

const Known& known(KnownControls* known, HWND control) {
    for (int i = known->count - 1; i >= 0; i--)
        if (known->of[i].control == control) return known->of[i];
    Known& k = known->of[known->count < MOST_CONTROLS ? known->count++ : MOST_CONTROLS - 1];
    k.control = control;
    k.parent = GetParent(control);
    k.kind = kind_of(control);
    k.framed = k.kind != NOT_A_CONTROL && has_frame(control, k.kind);
    return k;
}

// The part of the screen where a child of `parent` shows: the client
// areas of it and of its parents up to `window`, on the screen (a window
// larger than the screen, at 150 %, shows only in part).
RECT sight_of(HWND parent, HWND window) {
    RECT sight;
    GetWindowRect(GetDesktopWindow(), &sight);
    for (HWND w = parent; w; w = w == window ? nullptr : GetParent(w)) {
        RECT client;
        GetClientRect(w, &client);
        MapWindowPoints(w, nullptr, (POINT*)&client, 2);
        IntersectRect(&sight, &sight, &client);
    }
    return sight;
}

// The sights of a window's few parents of controls, asked once a look.
struct Sights {
    HWND parent[16];
    RECT sight[16];
    int count;
};

const RECT& sight(Sights* sights, HWND parent, HWND window) {
    for (int i = 0; i < sights->count; i++)
        if (sights->parent[i] == parent) return sights->sight[i];
    int i = sights->count < 16 ? sights->count++ : 15;
    sights->parent[i] = parent;
    sights->sight[i] = sight_of(parent, window);
    return sights->sight[i];
}

// Whether `control` shows its frame: the pixel on its left edge, half-way
// down, differs from the parent's just left of it (right of its right edge
// when it meets its parent's left edge). A control out of sight counts as
// drawn: there is nothing of it to wait for.
bool drawn(HDC screen, const Known& control, const RECT& sight) {
    RECT r;
    GetWindowRect(control.control, &r);
    const int y = (r.top + r.bottom) / 2;
    POINT frame = {r.left, y}, beside = {r.left - 1, y};
    if (!PtInRect(&sight, frame) || !PtInRect(&sight, beside)) {
        frame = {r.right - 1, y};
        beside = {r.right, y};
        if (!PtInRect(&sight, frame) || !PtInRect(&sight, beside)) return true;
    }
    return GetPixel(screen, frame.x, frame.y) != GetPixel(screen, beside.x, beside.y);
}

}  // namespace

const wchar_t* control_kind_argument(ControlKind kind) { return kinds[kind].argument; }

ControlCounts count_controls(HWND window) {
    static Controls controls;
    list_controls(window, &controls);
    ControlCounts counts = {};
    for (int i = 0; i < controls.count; i++) {
        int kind = kind_of(controls.of[i]);
        if (kind != NOT_A_CONTROL) counts.of[kind]++;
    }
    return counts;
}

bool window_whole(HWND window) {
    static KnownControls knowns;
    if (knowns.window != window) knowns = {window, {}, 0};
    GUITHREADINFO gui = {};
    gui.cbSize = sizeof gui;
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &gui) || !gui.hwndFocus ||
        gui.hwndFocus == window)
        return false;
    static Controls controls;
    list_controls(window, &controls);
    int focus = -1;
    for (int i = 0; i < controls.count; i++)
        if (controls.of[i] == gui.hwndFocus) focus = i;
    if (focus < 0) return false;
    Sights sights = {};
    HDC screen = GetDC(nullptr);
    const Known& focused = known(&knowns, gui.hwndFocus);
    bool whole = drawn(screen, focused, sight(&sights, focused.parent, window));
    // The last made first: the likeliest to be drawn last.
    for (int i = controls.count - 1; whole && i >= 0; i--) {
        const Known& control = known(&knowns, controls.of[i]);
        if (control.framed) whole = drawn(screen, control, sight(&sights, control.parent, window));
    }
    ReleaseDC(nullptr, screen);
    return whole;
}
