// The per-monitor DPI calls came with Windows 10 1607: they are looked up,
// so that the programs still start on Windows 7 and 8, which lack them.
#include "common/win32/display_scale.h"

#include <commctrl.h>

namespace {

using DpiForWindow = UINT(WINAPI*)(HWND);
using DpiForSystem = UINT(WINAPI*)();
using MetricsForDpi = int(WINAPI*)(int, UINT);
using AdjustForDpi = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);

FARPROC user32_call(const char* name) {
    return GetProcAddress(GetModuleHandleW(L"user32.dll"), name);
}

int system_dpi() {
    if (auto for_system = (DpiForSystem)(void*)user32_call("GetDpiForSystem")) return (int)for_system();
    HDC screen = GetDC(nullptr);
    int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : UNITS_DPI;
}

}  // namespace

int window_dpi(HWND window) {
    auto for_window = (DpiForWindow)(void*)user32_call("GetDpiForWindow");
    int dpi = window && for_window ? (int)for_window(window) : 0;
    return dpi > 0 ? dpi : system_dpi();
}

int system_metric(int index, int dpi) {
    if (auto for_dpi = (MetricsForDpi)(void*)user32_call("GetSystemMetricsForDpi")) return for_dpi(index, (UINT)dpi);
    return GetSystemMetrics(index);
}

void window_rect_for_client(RECT* client, DWORD style, DWORD ex_style, int dpi) {
    if (auto for_dpi = (AdjustForDpi)(void*)user32_call("AdjustWindowRectExForDpi"))
        for_dpi(client, style, FALSE, ex_style, (UINT)dpi);
    else
        AdjustWindowRectEx(client, style, FALSE, ex_style);
}

void load_common_controls() {
    // Loaded when called, not imported: under Wine loading the library
    // takes about 15 ms, which a program that never makes a common control
    // (the self-test, the headless runs) should not pay. The manifest's
    // activation context, the process's own, makes it version 6. Loaded
    // once, by the first window.
    using InitControls = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
    static const InitControls init =
        (InitControls)(void*)GetProcAddress(LoadLibraryW(L"comctl32.dll"), "InitCommonControlsEx");
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_STANDARD_CLASSES};
    if (init) init(&controls);
}
