// Drives the running program from another process, as a user's clicks
// would, for the tests that print from the real program under Wine:
//   ui_driver click <control id>        a button of the main window
//   ui_driver type <control id> <text>  an input field's text
//   ui_driver dialog <seconds>          waits for a dialog or message box and
//                                       prints its caption and texts, one a line
//   ui_driver press <control id>        a button of that dialog (1 OK, 2 Cancel)
// Exits 0 when it was done, 1 when the window or dialog was not found.
#include <windows.h>

#include <stdio.h>

namespace {

const wchar_t MAIN_WINDOW_CLASS[] = L"OrvoMedToolWnd";

HWND wait_for(const wchar_t* window_class, double seconds) {
    for (int waited = 0; waited < seconds * 10; waited++) {
        HWND window = FindWindowW(window_class, nullptr);
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

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) return 2;
    const wchar_t* command = argv[1];
    if (lstrcmpW(command, L"click") == 0 || lstrcmpW(command, L"type") == 0) {
        HWND main = wait_for(MAIN_WINDOW_CLASS, 30);
        if (!main) return 1;
        int id = _wtoi(argv[2]);
        if (command[0] == L't') return argc == 4 && SetDlgItemTextW(main, id, argv[3]) ? 0 : 1;
        // Posted: a command that opens a dialog does not return until it closes.
        return PostMessageW(main, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0) ? 0 : 1;
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
