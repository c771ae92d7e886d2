// Building the main window, and the message loop that routes Enter and F5.
#include "app/win32/main_window.h"

#include "common/win32/delivery_worker.h"
#include "common/win32/suite_window.h"

#include "store/store.h"

MainWindowState main_window_state;

namespace {

const wchar_t WINDOW_CLASS[] = L"OrvoMedToolWnd";
// WS_CLIPCHILDREN: the window's painting leaves the controls alone, so a
// status line or a verdict changed never wipes them for a moment before
// they draw themselves again (under Wine that showed as the whole window
// blinking empty at every Calculate).
constexpr DWORD WINDOW_STYLE = WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;

// Fonts, created in this order; a negative height is a character height,
// in units.
struct FontDef {
    HFONT MainWindowState::*font;
    const wchar_t* face;
    int height;
    int weight;
};
const FontDef fonts[] = {
    {&MainWindowState::font_title, SUITE_FACE, -27, FW_BOLD},
    {&MainWindowState::font_subtitle, SUITE_FACE, -14, FW_NORMAL},
    {&MainWindowState::font_label, SUITE_FACE, -14, FW_NORMAL},
    {&MainWindowState::font_edit, SUITE_FACE, -15, FW_NORMAL},
    {&MainWindowState::font_verdict, SUITE_FACE, -VERDICT_FONT_HEIGHT, FW_BOLD},
    {&MainWindowState::font_result, RESULT_FACE, -15, FW_NORMAL},
    {&MainWindowState::font_button, SUITE_FACE, -15, FW_NORMAL},
    {&MainWindowState::font_small, SUITE_FACE, -SMALL_FONT_HEIGHT, FW_NORMAL},
};

// The fonts at the window's DPI, in place of any made before.
void create_fonts(MainWindowState& s) {
    for (const FontDef& f : fonts) {
        if (s.*f.font) DeleteObject(s.*f.font);
        s.*f.font = CreateFontW(px(f.height), 0, 0, 0, f.weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, 0, f.face);
    }
}

void create_brushes(MainWindowState& s) {
    s.white_brush = CreateSolidBrush(palette.white);
    s.background_brush = CreateSolidBrush(palette.page);
    s.band_brush = CreateSolidBrush(palette.band);
}

// Centred in `room` pixels from `start`; from `start` when larger.
int centred(int start, int room, int size) { return start + (room > size ? (room - size) / 2 : 0); }

}  // namespace

HWND main_window_create(HINSTANCE instance, const ToolDef& tool, const wchar_t* command_line) {
    MainWindowState& s = main_window_state;
    s.instance = instance;
    tool_prepare(tool, &s.tool);
    s.result_state = NO_RESULT;
    s.controls_made = s.rebuilding = false;
    // The primary monitor's, where the window opens.
    s.dpi = window_dpi(nullptr);
    create_fonts(s);
    create_brushes(s);
    register_suite_window_class(instance, WINDOW_CLASS, main_window_proc, s.background_brush, true);
    text_copy(s.status_text, STATUS_TEXT_CAPACITY, L"就绪：填写参数后按 F5 或点击“计算”");

    // Centred in the work area, the primary screen less its taskbar, where
    // the window opens. Wider than it, it starts at its left edge, with the
    // inputs and Calculate; taller, at its top, unless the buttons would then
    // lie below it: the caption goes above the work area as far as the
    // buttons and the footer's margin below them need to show, and no further.
    RECT work;
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    const int x = centred(work.left, work.right - work.left, px(WINDOW_WIDTH));
    const int y = centred(work.top, work.bottom - work.top, px(WINDOW_HEIGHT));
    HWND window = CreateWindowExW(0, WINDOW_CLASS, s.tool.title, WINDOW_STYLE, x, y, px(WINDOW_WIDTH),
                                  px(WINDOW_HEIGHT), nullptr, nullptr, instance, nullptr);
    if (!window) return nullptr;
    s.main_window = window;
    // A primary monitor scaled otherwise since the user signed in.
    if (window_dpi(window) != s.dpi) {
        s.dpi = window_dpi(window);
        create_fonts(s);
        SetWindowPos(window, nullptr, x, y, px(WINDOW_WIDTH), px(WINDOW_HEIGHT), SWP_NOZORDER | SWP_NOACTIVATE);
    }
    RECT client;
    GetClientRect(window, &client);
    POINT buttons = {0, box_bottom(px(in_footer(CALCULATE_BUTTON_BOX, unscaled(client.bottom, s.dpi))))};
    ClientToScreen(window, &buttons);
    const int below = buttons.y + px(CLIENT_HEIGHT - box_bottom(CALCULATE_BUTTON_BOX)) - work.bottom;
    if (below > 0) SetWindowPos(window, nullptr, x, y - below, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);

    // Every control made while the window is hidden, then the window shown
    // whole.
    load_common_controls();
    create_child_controls(window);
    s.controls_made = true;
    take_start_request(command_line);
    create_pending_choices();
    show_whole(window, s.input_controls[0]);
    // Then what the hospital system started the window with.
    PostMessageW(window, WM_FINISH_START, 0, 0);
    return window;
}

namespace {

// What only the controls hold, kept while they are made again.
struct Shown {
    wchar_t fields[TOOL_MAX_INPUTS][INPUT_TEXT_CAPACITY];
    LRESULT choices[TOOL_MAX_INPUTS];  // a list's option, a box's check
    wchar_t result[RESULT_TEXT_CAPACITY];
    wchar_t verdict[3 * VERDICT_CAPACITY];
    wchar_t last_assessment[RECORD_LAST_CAPACITY];
    wchar_t course[RECORD_LAST_CAPACITY];
    wchar_t patient[4 * PATIENT_FIELD_CAPACITY];
    int focused_input, focused_button;  // -1 for none
};

void keep_shown(Shown* shown) {
    const MainWindowState& s = main_window_state;
    HWND focus = GetFocus();
    shown->focused_input = input_of_control(focus);
    shown->focused_button = GetParent(focus) == s.main_window ? GetDlgCtrlID(focus) : -1;
    for (int i = 0; i < s.tool.input_count; i++) {
        const InputDef& input = s.tool.inputs[i];
        shown->fields[i][0] = 0;
        shown->choices[i] = input.box ? SendMessageW(s.input_controls[i], BM_GETCHECK, 0, 0)
                            : input.choice_count ? SendMessageW(s.input_controls[i], CB_GETCURSEL, 0, 0)
                                                 : 0;
        if (!input.box && !input.choice_count) GetWindowTextW(s.input_controls[i], shown->fields[i], INPUT_TEXT_CAPACITY);
    }
    GetWindowTextW(s.result_edit, shown->result, RESULT_TEXT_CAPACITY);
    GetWindowTextW(s.verdict_label, shown->verdict, 3 * VERDICT_CAPACITY);
    GetWindowTextW(s.last_assessment_label, shown->last_assessment, RECORD_LAST_CAPACITY);
    GetWindowTextW(s.course_chart, shown->course, RECORD_LAST_CAPACITY);
    GetWindowTextW(s.patient_label, shown->patient, 4 * PATIENT_FIELD_CAPACITY);
}

void show_again(const Shown& shown) {
    MainWindowState& s = main_window_state;
    for (int i = 0; i < s.tool.input_count; i++) {
        const InputDef& input = s.tool.inputs[i];
        if (input.box) SendMessageW(s.input_controls[i], BM_SETCHECK, shown.choices[i], 0);
        else if (input.choice_count) SendMessageW(s.input_controls[i], CB_SETCURSEL, shown.choices[i], 0);
        else SetWindowTextW(s.input_controls[i], shown.fields[i]);
    }
    SetWindowTextW(s.result_edit, shown.result);
    SetWindowTextW(s.verdict_label, shown.verdict);
    SetWindowTextW(s.last_assessment_label, shown.last_assessment);
    SetWindowTextW(s.course_chart, shown.course);
    SetWindowTextW(s.patient_label, shown.patient);
    if (shown.focused_input >= 0) {
        show_input(shown.focused_input);
        SetFocus(s.input_controls[shown.focused_input]);
    } else if (shown.focused_button > 0) {
        SetFocus(GetDlgItem(s.main_window, shown.focused_button));
    }
}

}  // namespace

void main_window_rescale(HWND window, int dpi, const RECT& outer) {
    MainWindowState& s = main_window_state;
    if (!s.controls_made) {
        // Still being made: the controls that follow are made at this DPI.
        s.dpi = dpi;
        create_fonts(s);
        SetWindowPos(window, nullptr, outer.left, outer.top, outer.right - outer.left, outer.bottom - outer.top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
        return;
    }
    static Shown shown;
    s.rebuilding = true;
    const bool choices_made = !s.choices_pending;
    keep_shown(&shown);
    InputAsked asked[TOOL_MAX_INPUTS];
    for (int i = 0; i < TOOL_MAX_INPUTS; i++) asked[i] = s.input_asked[i];
    while (HWND child = GetWindow(s.main_window, GW_CHILD)) DestroyWindow(child);
    for (HWND& control : s.input_controls) control = nullptr;
    s.dpi = dpi;
    create_fonts(s);
    // The size first: the footer's controls keep to the client's bottom.
    SetWindowPos(s.main_window, nullptr, outer.left, outer.top, outer.right - outer.left, outer.bottom - outer.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    create_child_controls(s.main_window);
    if (choices_made) create_pending_choices();
    for (int i = 0; choices_made && i < s.tool.input_count; i++)
        if (*s.tool.inputs[i].asked_when && s.tool.inputs[i].choice_count) set_asked_input(i, asked[i]);
    show_again(shown);
    s.rebuilding = false;
    InvalidateRect(s.main_window, nullptr, FALSE);
}

int input_of_control(HWND control) {
    const MainWindowState& s = main_window_state;
    for (int i = 0; i < s.tool.input_count; i++)
        if (control && s.input_controls[i] == control) return i;
    return -1;
}

namespace {

// The buttons' identifiers run left to right in the order they are shown.
constexpr int FIRST_BUTTON = IDC_CALCULATE, LAST_BUTTON = IDC_PRINT;

bool is_button(HWND control) {
    int id = GetDlgCtrlID(control);
    return GetParent(control) == main_window_state.main_window && id >= FIRST_BUTTON && id <= LAST_BUTTON;
}

// The keyboard's way through the window, in the order shown: every input,
// then the buttons. Returns how many controls `order` holds.
int focus_order(HWND* order) {
    const MainWindowState& s = main_window_state;
    int n = 0;
    for (int i = 0; i < s.tool.input_count; i++)
        if (s.input_controls[i]) order[n++] = s.input_controls[i];
    for (int id = FIRST_BUTTON; id <= LAST_BUTTON; id++) order[n++] = GetDlgItem(s.main_window, id);
    return n;
}

// Tab and Shift+Tab: the next or the previous control of the focus order,
// round the window; from anywhere else, the first or the last. A field
// reached so is selected whole, ready to be typed over, as in a dialog.
void move_focus(HWND from, bool back) {
    HWND order[TOOL_MAX_INPUTS + LAST_BUTTON - FIRST_BUTTON + 1];
    int n = focus_order(order), at = -1;
    for (int k = 0; k < n; k++)
        if (order[k] == from) at = k;
    int next = at < 0 ? (back ? n - 1 : 0) : (at + (back ? n - 1 : 1)) % n;
    int input = input_of_control(order[next]);
    show_input(input);
    // The keyboard is in use: a box shows its focus mark from now on, as in
    // a dialog once Tab is pressed.
    SendMessageW(main_window_state.main_window, WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
    SetFocus(order[next]);
    if (input >= 0 && !main_window_state.tool.inputs[input].choice_count && !main_window_state.tool.inputs[input].box)
        SendMessageW(order[next], EM_SETSEL, 0, -1);
}

}  // namespace

bool main_window_route_key(const MSG& message) {
    const MainWindowState& s = main_window_state;
    if (input_view_route(message)) return true;
    if (message.message != WM_KEYDOWN) return false;
    // Ctrl+P prints from anywhere in the window, the window itself included.
    if (message.wParam == 'P' && GetKeyState(VK_CONTROL) < 0 &&
        (message.hwnd == s.main_window || IsChild(s.main_window, message.hwnd))) {
        print_result();
        return true;
    }
    bool in_window = message.hwnd == s.main_window || IsChild(s.main_window, message.hwnd);
    // Ctrl+I: the patient, from anywhere in the window.
    if (message.wParam == 'I' && GetKeyState(VK_CONTROL) < 0 && in_window) {
        open_patient_window();
        return true;
    }
    if (message.wParam == VK_TAB && in_window) {
        move_focus(message.hwnd, GetKeyState(VK_SHIFT) < 0);
        return true;
    }
    if (!IsChild(s.main_window, message.hwnd)) return false;
    if (message.wParam == VK_RETURN && is_button(message.hwnd)) {
        SendMessageW(s.main_window, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(message.hwnd), BN_CLICKED),
                     (LPARAM)message.hwnd);
        return true;
    }
    if (message.wParam != VK_RETURN && message.wParam != VK_F5) return false;
    int input = input_of_control(message.hwnd);
    if (input >= 0 && s.tool.inputs[input].choice_count &&
        SendMessageW(message.hwnd, CB_GETDROPPEDSTATE, 0, 0)) {
        // Enter on a dropped list chooses the highlighted option and closes
        // it, as everywhere in Windows; F5 closes it and calculates.
        if (message.wParam == VK_RETURN) return false;
        SendMessageW(message.hwnd, CB_SHOWDROPDOWN, FALSE, 0);
    }
    on_calculate();
    return true;
}

int main_window_run(HINSTANCE instance, const ToolDef& tool, const wchar_t* command_line) {
    if (!main_window_create(instance, tool, command_line)) return EXIT_NO_WINDOW;
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (patient_window_route(message)) continue;
        if (main_window_route_key(message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    // A pass under way ends in its own time, not inside a driver's call.
    delivery_finish(DELIVERY_EXIT_WAIT_MILLISECONDS);
    return EXIT_OK;
}
