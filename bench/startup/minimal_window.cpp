// The yardsticks for the suite's start-up: the least a Win32 program does to
// put a window of the same size on the screen and paint it, built the same
// way (MinGW, static, GUI subsystem). Its client area is filled with the
// colour of the suite's header band, so one probe serves both.
//   minimal_window [--edits=N] [--combos=N] [--checks=N] [--buttons=N] [--statics=N] [--lists=N]
// Given counts, it also makes that many plain controls of each kind, in
// WM_CREATE as a dialog makes them, shows itself with the first input
// field focused and paints: the yardstick for a window that is whole.
// Built so, it carries a manifest of its own (controls_window.manifest)
// for the version 6 controls and the display's own DPI, as the suite does.
#include <windows.h>
#include <commctrl.h>
#include <wchar.h>

#include "app/app.h"
#include "common/win32/suite_look.h"

namespace {

// One row per kind, made in this order: the statics first, as a dialog
// makes a label before its field, so that a framed control is drawn last,
// as in the suite's windows, and the probe sees the window whole when it is.
struct KindDef {
    const wchar_t* argument;
    const wchar_t* window_class;
    const wchar_t* text;
    DWORD style, ex_style;
    int height;  // at 96 DPI
    bool input;  // typed or chosen in: the first takes the focus
};
const KindDef kinds[] = {
    {L"--statics=", L"STATIC", L"标签", 0, 0, 20, false},
    {L"--edits=", L"EDIT", L"", WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, 24, true},
    {L"--combos=", L"COMBOBOX", L"", WS_TABSTOP | CBS_DROPDOWNLIST | WS_VSCROLL, 0, 120, true},
    {L"--checks=", L"BUTTON", L"选项", WS_TABSTOP | BS_AUTOCHECKBOX, 0, 22, true},
    {L"--lists=", L"LISTBOX", L"", WS_TABSTOP | WS_VSCROLL, WS_EX_CLIENTEDGE, 24, false},
    {L"--buttons=", L"BUTTON", L"按钮", WS_TABSTOP, 0, 26, false},
};
constexpr int KINDS = sizeof kinds / sizeof *kinds;

// The controls stand in a grid under the band, as many columns as fit,
// each cell this size at 96 DPI; rows past the client's bottom are made
// and stay out of sight, as a long list of inputs does in a tool.
constexpr int CELL_WIDTH = 150, CELL_PITCH_X = 166, CELL_PITCH_Y = 28, MARGIN = 12;

int counts[KINDS];
int dpi = USER_DEFAULT_SCREEN_DPI;
HWND first_input;

int px(int units) { return MulDiv(units, dpi, USER_DEFAULT_SCREEN_DPI); }

void create_controls(HWND window, HINSTANCE instance) {
    // Loaded only here, so that the window without controls does not load
    // the library at its start.
    using InitControls = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
    auto init = (InitControls)(void*)GetProcAddress(LoadLibraryW(L"comctl32.dll"), "InitCommonControlsEx");
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_STANDARD_CLASSES};
    if (init) init(&controls);
    const int columns = (CLIENT_WIDTH - MARGIN) / CELL_PITCH_X;
    for (int k = 0, cell = 0; k < KINDS; k++) {
        const KindDef& kind = kinds[k];
        for (int i = 0; i < counts[k]; i++, cell++) {
            const int x = MARGIN + cell % columns * CELL_PITCH_X, y = BAND_HEIGHT + MARGIN + cell / columns * CELL_PITCH_Y;
            HWND control = CreateWindowExW(kind.ex_style, kind.window_class, kind.text, WS_CHILD | WS_VISIBLE | kind.style,
                                           px(x), px(y), px(CELL_WIDTH), px(kind.height), window, nullptr, instance,
                                           nullptr);
            // The captions in Chinese, as the suite's, where the system's
            // own font has no Chinese.
            SendMessageW(control, WM_SETFONT, (WPARAM)GetStockObject(DEFAULT_GUI_FONT), FALSE);
            if (kind.input && !first_input) first_input = control;
        }
    }
}

LRESULT CALLBACK window_proc(HWND window, UINT message, WPARAM w, LPARAM l) {
    switch (message) {
    case WM_CREATE:
        for (int count : counts)
            if (count) {
                create_controls(window, ((const CREATESTRUCTW*)l)->hInstance);
                break;
            }
        return 0;
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        HBRUSH band = CreateSolidBrush(palette.band);
        FillRect(dc, &paint.rcPaint, band);
        DeleteObject(band);
        EndPaint(window, &paint);
        return 0;
    }
    case WM_DESTROY: PostQuitMessage(0); return 0;
    }
    return DefWindowProcW(window, message, w, l);
}

// Reads the counts from the command line; unnamed kinds make none.
void read_counts(const wchar_t* command_line) {
    for (int k = 0; k < KINDS; k++)
        if (const wchar_t* at = wcsstr(command_line, kinds[k].argument))
            counts[k] = _wtoi(at + wcslen(kinds[k].argument));
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR command_line, int show) {
    read_counts(command_line);
    HDC screen = GetDC(nullptr);
    dpi = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);
    WNDCLASSW window_class = {};
    window_class.lpfnWndProc = window_proc;
    window_class.hInstance = instance;
    window_class.hCursor = LoadCursor(nullptr, IDC_ARROW);
    window_class.lpszClassName = L"MinimalWindow";
    RegisterClassW(&window_class);
    HWND window = CreateWindowW(L"MinimalWindow", L"Minimal", WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX,
                                CW_USEDEFAULT, CW_USEDEFAULT, px(WINDOW_WIDTH), px(WINDOW_HEIGHT), nullptr, nullptr,
                                instance, nullptr);
    ShowWindow(window, show);
    // After showing: activating a window focuses the window itself.
    if (first_input) SetFocus(first_input);
    UpdateWindow(window);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}
