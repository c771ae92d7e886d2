// Drives the real main window in the test's own process, as a user's clicks
// and keys would, and reads back what the user would see: message boxes,
// window texts, the clipboard and painted pixels.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/win32/main_window.h"

struct ShownBox {
    std::wstring text, caption;
    UINT flags;
};
inline std::vector<ShownBox> shown_boxes;

inline int record_box(HWND, const wchar_t* text, const wchar_t* caption, UINT flags) {
    shown_boxes.push_back({text, caption, flags});
    return (flags & MB_TYPEMASK) == MB_YESNO ? IDYES : IDOK;
}

inline std::wstring text_of(HWND window) {
    wchar_t text[8192];
    GetWindowTextW(window, text, 8192);
    return text;
}

// The message loop's own steps, until the queue is empty.
inline void pump() {
    MSG m;
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
        if (m.message == WM_QUIT || patient_window_route(m) || main_window_route_key(m)) continue;
        TranslateMessage(&m);
        DispatchMessageW(&m);
    }
}

// A key typed into a control, through the loop's routing, with a modifier
// key (VK_SHIFT, say) held down as the routing reads it.
inline void press(HWND control, WPARAM key, int held = 0) {
    BYTE keys[256];
    GetKeyboardState(keys);
    if (held) keys[held] = 0x80, SetKeyboardState(keys);
    PostMessageW(control, WM_KEYDOWN, key, 1);
    pump();
    if (held) keys[held] = 0, SetKeyboardState(keys);
}

// Picks option `index` of input `input`'s list, as a click on it does: the
// list is set and tells the window (-1 chooses nothing).
inline void choose(int input, int index) {
    HWND list = main_window_state.input_controls[input];
    SendMessageW(list, CB_SETCURSEL, (WPARAM)index, 0);
    SendMessageW(main_window_state.main_window, WM_COMMAND,
                 MAKEWPARAM(IDC_INPUT_FIRST + input, CBN_SELCHANGE), (LPARAM)list);
    pump();
}

inline void click(int id) {
    SendMessageW(main_window_state.main_window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
    pump();
}

// The current result laid out on A4 paper at 96 DPI: its number of pages,
// and the first one's text in `first`.
inline int a4_pages(std::wstring* first) {
    HDC dc = CreateCompatibleDC(nullptr);
    const int pages = print_layout(dc, {794, 1123, 794, 1123, 0, 0, 96, 96});
    static wchar_t page[16384];
    page[0] = 0;
    if (pages > 0) print_page_text(dc, 1, page, 16384);
    *first = page;
    print_layout_release();
    DeleteDC(dc);
    return pages;
}

inline std::wstring clipboard_text() {
    std::wstring text = L"(none)";
    if (!OpenClipboard(nullptr)) return L"(cannot open)";
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        text = (const wchar_t*)GlobalLock(data);
        GlobalUnlock(data);
    }
    CloseClipboard();
    return text;
}

inline void set_clipboard(const wchar_t* text) {
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, (wcslen(text) + 1) * sizeof(wchar_t));
    wcscpy((wchar_t*)GlobalLock(block), text);
    GlobalUnlock(block);
    SetClipboardData(CF_UNICODETEXT, block);
    CloseClipboard();
}

// A test with the real main window of `tool`, its message boxes recorded.
class WindowTest : public testing::Test {
protected:
    MainWindowState& s = main_window_state;
    HWND window = nullptr;

    // `command_line` as a hospital system starts the tool, program path first.
    void open(const ToolDef& tool, const wchar_t* command_line = nullptr) {
        if (window) DestroyWindow(window);
        main_window_state = {};
        shown_boxes.clear();
        show_message_box = record_box;
        window = main_window_create(GetModuleHandleW(nullptr), tool, command_line);
        ASSERT_NE(nullptr, window);
        pump();
    }
    void TearDown() override {
        if (window) DestroyWindow(window);
        pump();
        platform_calls = platform_system_calls;  // what a test changed of the seam
    }
};

// The client area as painted: read back from the window's own device context.
struct Capture {
    HDC dc;
    HBITMAP bitmap;
    HGDIOBJ old;
    COLORREF at(int x, int y) const { return GetPixel(dc, x, y); }
};

inline Capture capture(HWND window, int width, int height) {
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    pump();
    HDC source = GetDC(window);
    Capture c;
    c.dc = CreateCompatibleDC(source);
    c.bitmap = CreateCompatibleBitmap(source, width, height);
    c.old = SelectObject(c.dc, c.bitmap);
    BitBlt(c.dc, 0, 0, width, height, source, 0, 0, SRCCOPY);
    ReleaseDC(window, source);
    return c;
}

inline void release(Capture& c) {
    SelectObject(c.dc, c.old);
    DeleteObject(c.bitmap);
    DeleteDC(c.dc);
}

// A control's rectangle in its window's client area, as the user sees it.
inline RECT rect_of(HWND control) {
    RECT r = {};
    GetWindowRect(control, &r);
    MapWindowPoints(nullptr, GetAncestor(control, GA_ROOT), (POINT*)&r, 2);
    return r;
}

// Colours as a user names them, whatever their exact shade: the strokes of
// a text in its colour, not their anti-aliased edges.
inline bool green(COLORREF c) { return GetGValue(c) > 100 && GetRValue(c) < 60 && GetBValue(c) < GetGValue(c); }
inline bool red(COLORREF c) { return GetRValue(c) > 150 && GetGValue(c) < 90 && GetBValue(c) < 90; }
inline bool orange(COLORREF c) {
    return GetRValue(c) > 180 && GetGValue(c) > 80 && GetGValue(c) < 125 && GetBValue(c) < 60;
}
inline bool grey(COLORREF c) {
    int r = GetRValue(c), g = GetGValue(c), b = GetBValue(c);
    return r > 80 && r < 180 && abs(r - g) < 20 && abs(g - b) < 20;
}

inline bool any_pixel_that(const Capture& c, RECT r, bool (*is)(COLORREF)) {
    for (int y = r.top; y < r.bottom; y++)
        for (int x = r.left; x < r.right; x++)
            if (is(c.at(x, y))) return true;
    return false;
}

inline bool same_pixels(const Capture& a, const Capture& b, RECT r) {
    for (int y = r.top; y < r.bottom; y++)
        for (int x = r.left; x < r.right; x++)
            if (a.at(x, y) != b.at(x, y)) return false;
    return true;
}


