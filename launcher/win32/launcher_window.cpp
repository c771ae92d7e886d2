// The launcher's window: it finds a tool as it is typed, shows how the
// selected one calculates, and opens it as a program of its own for the
// patient in its bar. Here it is made and shown, its messages go to their
// handlers, and its loop takes the keys the controls would get wrong.
#include "launcher/win32/launcher_window.h"

#include "common/win32/delivery_worker.h"
#include "common/win32/display_scale.h"
#include "common/win32/suite_messages.h"
#include "common/win32/suite_window.h"
#include "launcher/win32/launcher_internal.h"

LauncherState launcher_state;
LauncherMessageBox launcher_message_box = MessageBoxW;
ProcessStarter launcher_start_process = CreateProcessW;

namespace {

const wchar_t CLASS_NAME[] = L"OrvoMedLauncherWnd";

UINT results_saved_message() {
    static const UINT message = RegisterWindowMessageW(SUITE_RESULTS_SAVED_MESSAGE);
    return message;
}
// WS_CLIPCHILDREN: a status line drawn again leaves the buttons beside it
// alone instead of wiping them for a moment. It makes the first paint later
// under Wine, but the window shows whole, every control made before it
// shows, no later (scripts/measure.sh).
constexpr DWORD WINDOW_STYLE = WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;

// CW_USEDEFAULT cascades each new window further down and right, partly off
// a small screen: the whole window is moved into its monitor's work area,
// its top left kept in view where it is larger.
void keep_inside_work_area(HWND window) {
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof monitor;
    RECT r;
    if (!GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &monitor) || !GetWindowRect(window, &r))
        return;
    const RECT& work = monitor.rcWork;
    int x = r.right > work.right ? r.left - (r.right - work.right) : r.left;
    int y = r.bottom > work.bottom ? r.top - (r.bottom - work.bottom) : r.top;
    x = x < work.left ? work.left : x;
    y = y < work.top ? work.top : y;
    if (x != r.left || y != r.top)
        SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// The window's outer size at the DPI: its client CLIENT_W x CLIENT_H units.
SIZE window_size(int dpi) {
    RECT r = {0, 0, scaled(CLIENT_W, dpi), scaled(CLIENT_H, dpi)};
    window_rect_for_client(&r, WINDOW_STYLE, 0, dpi);
    return {r.right - r.left, r.bottom - r.top};
}

void on_create(HWND window) {
    launcher_state.window = window;
    launcher_state.dpi = window_dpi(window);
    make_fonts();
}

// A control's notification; false for one the launcher leaves to the system.
bool on_command(int id, int notification, HWND control) {
    switch (id) {
    case IDC_LAUNCHER_SEARCH:
        if (notification == EN_CHANGE) launcher_refresh();
        return true;
    case IDC_LAUNCHER_LIST:
        if (notification == LBN_SELCHANGE) on_list_selection_changed();
        if (notification == LBN_DBLCLK) launcher_open_selected();
        return true;
    case IDC_LAUNCHER_OPEN:
        if (notification == BN_CLICKED) launcher_open_selected();
        return true;
    case IDC_LAUNCHER_STAR:
        if (notification == BN_CLICKED) launcher_star_selected();
        return true;
    case IDC_LAUNCHER_NEW_PATIENT:
        if (notification == BN_CLICKED) launcher_new_patient();
        return true;
    case IDC_LAUNCHER_NEW_NURSE:
        if (notification == BN_CLICKED) launcher_new_nurse();
        return true;
    case IDC_LAUNCHER_ROUNDS:
        if (notification == LBN_DBLCLK) rounds_open_selected();
        return true;
    case IDC_LAUNCHER_PRINT_ROUNDS:
        if (notification == BN_CLICKED) rounds_print();
        return true;
    case IDC_LAUNCHER_QUALITY:
        if (notification == BN_CLICKED) launcher_open_quality();
        return true;
    }
    return on_bar_command(id, notification, control);
}

LRESULT CALLBACK launcher_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
    case WM_CREATE: on_create(window); return 0;
    case WM_DPICHANGED: on_dpi_changed(window, HIWORD(wparam), *(const RECT*)lparam); return 0;
    case WM_DESTROY: PostQuitMessage(0); return 0;
    case WM_PAINT: on_paint(window); return 0;
    case WM_LAUNCHER_DELIVERY_DONE: on_delivery_done(); return 0;
    case WM_LAUNCHER_ROUNDS_READ: on_rounds_read(); return 0;
    case WM_TIMER:
        if (wparam == ROUNDS_TIMER) rounds_refresh();
        else delivery_start(window, WM_LAUNCHER_DELIVERY_DONE);
        return 0;
    case WM_MEASUREITEM: on_measure_item((MEASUREITEMSTRUCT*)lparam); return TRUE;
    case WM_DRAWITEM: draw_row((const DRAWITEMSTRUCT*)lparam); return TRUE;
    case WM_CTLCOLORSTATIC: return on_ctl_color_static(window, wparam, lparam);
    case WM_COMMAND: if (on_command(LOWORD(wparam), HIWORD(wparam), (HWND)lparam)) return 0; break;
    }
    // A tool saved a result: the ward list read again.
    if (message == results_saved_message()) {
        rounds_refresh();
        return 0;
    }
    return DefWindowProcW(window, message, wparam, lparam);
}

// The list box would move onto a heading by itself, and Enter never reaches
// it (IsDialogMessage takes it): these keys are taken before either control
// sees them. A wristband scanner types the number and then Enter: in the
// bar, Enter moves on, where IsDialogMessage would press 打开 with half the
// patient typed. True when the message was consumed.
bool route_key(const MSG& message) {
    LauncherState& s = launcher_state;
    if (message.message != WM_KEYDOWN) return false;
    for (int k = 0; k < LAUNCHER_BAR_FIELDS; k++) {
        if (message.hwnd != s.patient_fields[k] || message.wParam != VK_RETURN) continue;
        // Along the row, from its last field to the search box.
        const bool last = k + 1 == LAUNCHER_PATIENT_FIELDS || k + 1 == LAUNCHER_BAR_FIELDS;
        HWND next = last ? s.search : s.patient_fields[k + 1];
        SetFocus(next);
        SendMessageW(next, EM_SETSEL, 0, -1);
        return true;
    }
    // Enter in the ward list opens its row; IsDialogMessage would press 打开.
    if (message.hwnd == s.rounds_list) {
        if (message.wParam == VK_RETURN) rounds_open_selected();
        else if (message.wParam == 'P' && GetKeyState(VK_CONTROL) < 0) rounds_print();
        else return false;
        return true;
    }
    if (message.hwnd != s.search && message.hwnd != s.list) return false;
    int row = (int)SendMessageW(s.list, LB_GETCURSEL, 0, 0);
    switch (message.wParam) {
    case VK_DOWN: select_row(next_tool_row(row, 1)); return true;
    case VK_UP: select_row(next_tool_row(row, -1)); return true;
    case VK_RETURN: launcher_open_selected(); return true;
    case VK_ESCAPE: SetWindowTextW(s.search, L""); return true;
    }
    return false;
}

}  // namespace

HWND launcher_create(HINSTANCE instance, const wchar_t* command_line) {
    LauncherState& s = launcher_state;
    s.instance = instance;
    if (!s.program_folder[0]) {
        DWORD n = GetModuleFileNameW(nullptr, s.program_folder, MAX_PATH);
        while (n > 0 && s.program_folder[n - 1] != L'\\') n--;
        s.program_folder[n > 0 ? n - 1 : 0] = 0;
    }
    load_lists();
    s.white_brush = CreateSolidBrush(palette.white);
    register_suite_window_class(instance, CLASS_NAME, launcher_proc, nullptr, true);
    // Made at the size it has at the primary monitor's DPI, where it opens,
    // and sized again should its own differ (WM_CREATE reads it).
    const int opening_dpi = window_dpi(nullptr);
    const SIZE opening = window_size(opening_dpi);
    HWND window = CreateWindowExW(0, CLASS_NAME, LAUNCHER_TITLE, WINDOW_STYLE, CW_USEDEFAULT, CW_USEDEFAULT,
                                  opening.cx, opening.cy, nullptr, nullptr, instance, nullptr);
    if (!window) return nullptr;
    if (s.dpi != opening_dpi) {
        const SIZE size = window_size(s.dpi);
        SetWindowPos(window, nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    keep_inside_work_area(window);
    // Every control made and filled while the window is hidden, then the
    // window shown whole.
    load_common_controls();
    create_children();
    StartRequest request;
    start_request_read(nullptr, command_line, &request);
    show_given_patient(request.patient);
    launcher_refresh();
    show_whole(window, s.search);
    if (request.complaint[0]) launcher_message_box(window, request.complaint, L"启动参数有误", MB_OK | MB_ICONWARNING);
    // Results a tool left waiting for the hospital's database go now, and
    // again every few minutes while the launcher is open.
    delivery_start(window, WM_LAUNCHER_DELIVERY_DONE);
    SetTimer(window, DELIVERY_TIMER, DELIVERY_RETRY_MILLISECONDS, nullptr);
    // The ward list, read now and every few minutes, and after a tool saves.
    rounds_refresh();
    SetTimer(window, ROUNDS_TIMER, ROUNDS_REFRESH_MILLISECONDS, nullptr);
    return window;
}

void launcher_dispatch(MSG* message) {
    if (route_key(*message) || IsDialogMessageW(launcher_state.window, message)) return;
    TranslateMessage(message);
    DispatchMessageW(message);
}

int launcher_run(HINSTANCE instance) {
    handover_sweep();
    if (!launcher_create(instance, GetCommandLineW())) return 1;
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) launcher_dispatch(&message);
    delivery_finish(DELIVERY_EXIT_WAIT_MILLISECONDS);
    rounds_reading_finish(DELIVERY_EXIT_WAIT_MILLISECONDS);
    return 0;
}
