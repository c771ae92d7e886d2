// The suite's windows' class.
#include "common/win32/suite_window.h"

#include "common/win32/suite_messages.h"

void register_suite_window_class(HINSTANCE instance, const wchar_t* name, WNDPROC procedure, HBRUSH background,
                                 bool with_icon) {
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = procedure;
    wc.hInstance = instance;
    if (with_icon) wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(1));
    wc.hCursor = LoadCursorW(nullptr, (LPCWSTR)IDC_ARROW);
    wc.hbrBackground = background;
    wc.lpszClassName = name;
    RegisterClassExW(&wc);
}

void show_whole(HWND window, HWND focus) {
    ShowWindow(window, SW_SHOW);
    // After showing: activating the window focuses the window itself.
    SetFocus(focus);
    UpdateWindow(window);
}

void tell_results_saved() {
    static const UINT message = RegisterWindowMessageW(SUITE_RESULTS_SAVED_MESSAGE);
    PostMessageW(HWND_BROADCAST, message, 0, 0);
}
