// The yardstick for Glyvant's start-up: the least a Win32 program does to put
// a window of the same size on the screen and paint it, built the same way
// (MinGW, static, GUI subsystem). Its client area is filled with the colour
// of Glyvant's header band, so one probe serves both.
#include <windows.h>

#include "app/app.h"
#include "common/win32/suite_look.h"

static LRESULT CALLBACK window_proc(HWND window, UINT message, WPARAM w, LPARAM l) {
    switch (message) {
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

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
    WNDCLASSW window_class = {};
    window_class.lpfnWndProc = window_proc;
    window_class.hInstance = instance;
    window_class.hCursor = LoadCursor(nullptr, IDC_ARROW);
    window_class.lpszClassName = L"MinimalWindow";
    RegisterClassW(&window_class);
    HWND window = CreateWindowW(L"MinimalWindow", L"Minimal", WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX,
                                CW_USEDEFAULT, CW_USEDEFAULT, WINDOW_WIDTH, WINDOW_HEIGHT, nullptr, nullptr, instance,
                                nullptr);
    ShowWindow(window, show);
    UpdateWindow(window);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}
