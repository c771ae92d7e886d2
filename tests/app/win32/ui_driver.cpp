// Drives the running program from another process, as a user's clicks
// would, for the tests that print from the real program under Wine:
//   ui_driver click <control id>        a button of the main window
//   ui_driver type <control id> <text>  an input field's text
//   ui_driver dialog <seconds>          waits for a dialog or message box and
//                                       prints its caption and texts, one a line
//   ui_driver press <control id>        a button of that dialog (1 OK, 2 Cancel)
//   ui_driver read <control id>         prints a control's text
//   ui_driver choose <control id> <n>   option n (from 0) of an input list, as a click chooses it
//   ui_driver clipboard -               prints the clipboard's text
//   ui_driver title -                   prints the main window's title
//   ui_driver where <control id>        prints the control's middle on the screen, "x y"
//   ui_driver rows <control id>         prints a list's rows, one a line, the selected one marked "> "
//   ui_driver select <control id> <n>   selects row n (from 0) of a list and gives it the focus
//   ui_driver strip <control id> <n>    prints the colour at the left edge of row n of a list, "RRGGBB"
//   ui_driver enter <control id>        Enter, as typed into the control
//   ui_driver saved -                   tells every window a result was saved, as a tool does
// Exits 0 when it was done, 1 when the window or dialog was not found. The
// main window is a tool's, or the window of the class GLYVANT_DRIVE_WINDOW
// names (the launcher's); of them, the one GLYVANT_DRIVE_TITLE names when
// it is set (one Braden window of two).
#include <windows.h>

#include <stdio.h>

#include "common/win32/suite_messages.h"

namespace {

const wchar_t MAIN_WINDOW_CLASS[] = L"OrvoMedToolWnd";

HWND wait_for(const wchar_t* window_class, double seconds, const wchar_t* title = nullptr) {
    for (int waited = 0; waited < seconds * 10; waited++) {
        HWND window = FindWindowW(window_class, title);
        if (window && IsWindowVisible(window)) return window;
        Sleep(100);
    }
    return nullptr;
}

void print_utf8(const wchar_t* text) {
    char bytes[2048];
    int n = WideCharToMultiByte(CP_UTF8, 0, text, -1, bytes, sizeof bytes, nullptr, nullptr);
    if (n > 0) printf("%s\n", bytes);
}

BOOL CALLBACK print_static(HWND child, LPARAM) {
    wchar_t name[32], text[1024];
    GetClassNameW(child, name, 32);
    if (lstrcmpiW(name, L"Static") == 0 && GetWindowTextW(child, text, 1024) > 0) print_utf8(text);
    return TRUE;
}

// A control anywhere in the window: an input lies in the input view, not
// in the window itself.
HWND control_of(HWND window, int id) {
    struct Search {
        int id;
        HWND found;
    } search = {id, nullptr};
    EnumChildWindows(
        window,
        [](HWND child, LPARAM data) -> BOOL {
            Search* s = (Search*)data;
            if (GetDlgCtrlID(child) != s->id) return TRUE;
            s->found = child;
            return FALSE;
        },
        (LPARAM)&search);
    return search.found;
}

const wchar_t* main_window_class() {
    static wchar_t named[64];
    DWORD n = GetEnvironmentVariableW(L"GLYVANT_DRIVE_WINDOW", named, 64);
    return n > 0 && n < 64 ? named : MAIN_WINDOW_CLASS;
}

HWND main_window() {
    static wchar_t title[256];
    DWORD n = GetEnvironmentVariableW(L"GLYVANT_DRIVE_TITLE", title, 256);
    return wait_for(main_window_class(), 30, n > 0 && n < 256 ? title : nullptr);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) return 2;
    const wchar_t* command = argv[1];
    if (lstrcmpW(command, L"click") == 0 || lstrcmpW(command, L"type") == 0) {
        HWND main = main_window();
        if (!main) return 1;
        int id = _wtoi(argv[2]);
        if (command[0] == L't') return argc == 4 && SetWindowTextW(control_of(main, id), argv[3]) ? 0 : 1;
        // Posted: a command that opens a dialog does not return until it closes.
        return PostMessageW(main, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0) ? 0 : 1;
    }
    if (lstrcmpW(command, L"title") == 0) {
        HWND main = main_window();
        wchar_t title[256] = L"";
        if (!main) return 1;
        GetWindowTextW(main, title, 256);
        print_utf8(title);
        return 0;
    }
    if (lstrcmpW(command, L"where") == 0) {
        HWND main = main_window();
        HWND control = main ? control_of(main, _wtoi(argv[2])) : nullptr;
        RECT r;
        if (!control || !GetWindowRect(control, &r)) return 1;
        printf("%ld %ld\n", (r.left + r.right) / 2, (r.top + r.bottom) / 2);
        return 0;
    }
    if (lstrcmpW(command, L"read") == 0 || lstrcmpW(command, L"choose") == 0) {
        HWND main = main_window();
        HWND control = main ? control_of(main, _wtoi(argv[2])) : nullptr;
        if (!control) return 1;
        if (command[0] == L'c') {
            if (argc != 4 || SendMessageW(control, CB_SETCURSEL, _wtoi(argv[3]), 0) == CB_ERR) return 1;
            SendMessageW(main, WM_COMMAND, MAKEWPARAM(_wtoi(argv[2]), CBN_SELCHANGE), (LPARAM)control);
            return 0;
        }
        // Asked of the control itself: GetWindowText gives another
        // process's edit field the text it was created with.
        wchar_t text[1024] = L"";
        SendMessageW(control, WM_GETTEXT, 1024, (LPARAM)text);
        print_utf8(text);
        return 0;
    }
    if (lstrcmpW(command, L"rows") == 0 || lstrcmpW(command, L"select") == 0 || lstrcmpW(command, L"strip") == 0) {
        HWND main = main_window();
        HWND list = main ? control_of(main, _wtoi(argv[2])) : nullptr;
        if (!list) return 1;
        if (command[1] == L'e') {
            if (argc != 4 || SendMessageW(list, LB_SETCURSEL, _wtoi(argv[3]), 0) == LB_ERR) return 1;
            SetForegroundWindow(main);
            PostMessageW(main, WM_NEXTDLGCTL, (WPARAM)list, TRUE);
            return 0;
        }
        if (command[1] == L't') {
            RECT r;
            if (argc != 4 || SendMessageW(list, LB_GETITEMRECT, _wtoi(argv[3]), (LPARAM)&r) == LB_ERR) return 1;
            // From the screen, where the list is drawn: another process's
            // window lends no device context to read.
            POINT at = {r.left + 1, (r.top + r.bottom) / 2};
            ClientToScreen(list, &at);
            HDC dc = GetDC(nullptr);
            COLORREF c = GetPixel(dc, at.x, at.y);
            ReleaseDC(nullptr, dc);
            printf("%02X%02X%02X\n", GetRValue(c), GetGValue(c), GetBValue(c));
            return 0;
        }
        int count = (int)SendMessageW(list, LB_GETCOUNT, 0, 0), selected = (int)SendMessageW(list, LB_GETCURSEL, 0, 0);
        for (int k = 0; k < count; k++) {
            wchar_t text[1024] = L"> ";
            if (SendMessageW(list, LB_GETTEXTLEN, k, 0) >= 1020) return 1;
            SendMessageW(list, LB_GETTEXT, k, (LPARAM)(text + 2));
            print_utf8(k == selected ? text : text + 2);
        }
        return 0;
    }
    if (lstrcmpW(command, L"enter") == 0) {
        HWND main = main_window();
        HWND control = main ? control_of(main, _wtoi(argv[2])) : nullptr;
        return control && PostMessageW(control, WM_KEYDOWN, VK_RETURN, 1) ? 0 : 1;
    }
    if (lstrcmpW(command, L"saved") == 0)
        return PostMessageW(HWND_BROADCAST, RegisterWindowMessageW(SUITE_RESULTS_SAVED_MESSAGE), 0, 0) ? 0 : 1;
    if (lstrcmpW(command, L"clipboard") == 0) {
        if (!OpenClipboard(nullptr)) return 1;
        HANDLE data = GetClipboardData(CF_UNICODETEXT);
        if (data) {
            print_utf8((const wchar_t*)GlobalLock(data));
            GlobalUnlock(data);
        }
        CloseClipboard();
        return data ? 0 : 1;
    }
    if (lstrcmpW(command, L"dialog") == 0) {
        HWND dialog = wait_for(L"#32770", _wtof(argv[2]));
        if (!dialog) return 1;
        wchar_t caption[256];
        GetWindowTextW(dialog, caption, 256);
        print_utf8(caption);
        EnumChildWindows(dialog, print_static, 0);
        return 0;
    }
    if (lstrcmpW(command, L"press") == 0) {
        HWND dialog = wait_for(L"#32770", 10);
        HWND button = dialog ? GetDlgItem(dialog, _wtoi(argv[2])) : nullptr;
        if (!button) return 1;
        PostMessageW(button, BM_CLICK, 0, 0);
        return 0;
    }
    return 2;
}
