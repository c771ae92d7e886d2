// The child controls, made before the window shows: one row per
// input in the input view on the left (an edit field, a list of options or
// a check box, under its section's heading), the verdict, result box,
// caution and basis on the right, six buttons below.
#include "app/win32/main_window.h"

namespace {

constexpr DWORD CHILD = WS_CHILD | WS_VISIBLE;

// Where a control's text comes from.
enum TextSource { FIXED, CAUTION, BASIS };

// The right-hand panel and the buttons, created in this order. `handle` is
// where the window keeps the control (nullptr: not kept), `font` the font it
// gets with WM_SETFONT (nullptr: none; the buttons draw their own captions).
struct ControlDef {
    const wchar_t* window_class;
    DWORD ex_style;
    DWORD style;
    TextSource source;
    const wchar_t* text;
    int id;
    Box box;
    HFONT MainWindowState::*font;
    HWND MainWindowState::*handle;
};

const ControlDef right_side[] = {
    {L"STATIC", 0, CHILD, FIXED, VERDICT_PROMPT, 0, VERDICT_BOX, &MainWindowState::font_verdict,
     &MainWindowState::verdict_label},
    {L"EDIT", WS_EX_CLIENTEDGE, CHILD | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_READONLY,
     FIXED, L"", IDC_RESULT, RESULT_BOX, &MainWindowState::font_result, &MainWindowState::result_edit},
    {L"STATIC", 0, CHILD, CAUTION, nullptr, 0, CAUTION_BOX, &MainWindowState::font_small,
     &MainWindowState::caution_label},
    {L"STATIC", 0, CHILD, BASIS, nullptr, 0, BASIS_BOX, &MainWindowState::font_small, nullptr},
    {L"STATIC", 0, CHILD | SS_NOTIFY | SS_RIGHT | SS_CENTERIMAGE | SS_NOPREFIX | SS_ENDELLIPSIS, FIXED, L"",
     IDC_PATIENT, PATIENT_BOX, &MainWindowState::font_subtitle, &MainWindowState::patient_label},
    {L"STATIC", 0, CHILD | SS_RIGHT | SS_CENTERIMAGE | SS_NOPREFIX | SS_ENDELLIPSIS, FIXED, L"",
     IDC_LAST_ASSESSMENT, LAST_ASSESSMENT_BOX, &MainWindowState::font_small,
     &MainWindowState::last_assessment_label},
    {L"BUTTON", 0, CHILD | BS_OWNERDRAW, FIXED, L"计算 (F5)", IDC_CALCULATE, CALCULATE_BUTTON_BOX, nullptr, nullptr},
    {L"BUTTON", 0, CHILD | BS_OWNERDRAW, FIXED, L"保存记录", IDC_SAVE, SAVE_BUTTON_BOX, nullptr, nullptr},
    {L"BUTTON", 0, CHILD | BS_OWNERDRAW, FIXED, L"复制结果", IDC_COPY, COPY_BUTTON_BOX, nullptr, nullptr},
    {L"BUTTON", 0, CHILD | BS_OWNERDRAW, FIXED, L"清空重填", IDC_RESET, RESET_BUTTON_BOX, nullptr, nullptr},
    {L"BUTTON", 0, CHILD | BS_OWNERDRAW, FIXED, L"关于", IDC_ABOUT, ABOUT_BUTTON_BOX, nullptr, nullptr},
    {L"BUTTON", 0, CHILD | BS_OWNERDRAW, FIXED, L"打印", IDC_PRINT, PRINT_BUTTON_BOX, nullptr, nullptr},
};

// `box` in units.
HWND create_control(HWND parent, const wchar_t* window_class, DWORD ex_style, DWORD style,
                    const wchar_t* text, int id, Box box, HFONT font) {
    box = px(box);
    HWND control = CreateWindowExW(ex_style, window_class, text, style, box.x, box.y, box.width,
                                   box.height, parent, (HMENU)(INT_PTR)id,
                                   main_window_state.instance, nullptr);
    if (font) SendMessageW(control, WM_SETFONT, (WPARAM)font, TRUE);
    return control;
}

// The row of input i: the field's line is below the label's when the label
// stands on a line of its own.
InputRow row_of(int i) {
    const MainWindowState& s = main_window_state;
    const InputPlace& place = s.input_places[i];
    return input_row_at(place.y + place.label_lines * TALL_ROW_EXTRA, s.input_narrower);
}

// A list of the input's options, nothing chosen. The box given to a
// drop-down list is the closed list and the dropped one below it; the dropped
// one is as wide as its longest option. The window draws the options itself
// (window_proc.cpp), so that an option too long for the closed list ends
// with "…" instead of being cut unmarked.
HWND create_list(const InputDef& input, int id, Box box) {
    const MainWindowState& s = main_window_state;
    box.height += LIST_OPTION_HEIGHT * input.choice_count + 4;
    HWND list = create_in_view(L"COMBOBOX", 0,
                               CHILD | CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED | CBS_HASSTRINGS | WS_VSCROLL, L"",
                               id, box, s.font_edit);
    SendMessageW(list, CB_SETITEMHEIGHT, (WPARAM)-1, px(LIST_FIELD_HEIGHT));
    HDC dc = GetDC(list);
    HGDIOBJ old_font = SelectObject(dc, s.font_edit);
    int widest = px(box).width;
    for (int k = 0; k < input.choice_count; k++) {
        const wchar_t* label = input.choices[k].label;
        SendMessageW(list, CB_ADDSTRING, 0, (LPARAM)label);
        SIZE extent = {};
        GetTextExtentPoint32W(dc, label, text_length(label), &extent);
        int needed = extent.cx + system_metric(SM_CXVSCROLL, s.dpi) + px(12);
        if (needed > widest) widest = needed;
    }
    SelectObject(dc, old_font);
    ReleaseDC(list, dc);
    SendMessageW(list, CB_SETDROPPEDWIDTH, widest, 0);
    SendMessageW(list, CB_SETCURSEL, (WPARAM)-1, 0);
    return list;
}

// A box, its caption its label, and its points where a unit stands.
HWND create_box(int i) {
    const MainWindowState& s = main_window_state;
    const InputDef& input = s.tool.inputs[i];
    const InputRow row = row_of(i);
    Box box = row.box;
    if (s.input_places[i].tall_box) box.height += TALL_ROW_EXTRA;
    wchar_t points[VALUE_TEXT_CAPACITY];
    tool_box_points_text(input, points, VALUE_TEXT_CAPACITY);
    create_in_view(L"STATIC", 0, CHILD, points, 0, row.unit, s.font_small);
    return create_in_view(L"BUTTON", 0, CHILD | BS_AUTOCHECKBOX | BS_MULTILINE, input.label, IDC_INPUT_FIRST + i,
                          box, s.font_label);
}

// Input i's row but a list's field or a box: its section heading, then its
// label, field and unit.
void create_input_row(int i) {
    MainWindowState& s = main_window_state;
    const InputDef& input = s.tool.inputs[i];
    const InputPlace& place = s.input_places[i];
    if (*input.section)
        create_in_view(L"STATIC", 0, CHILD | SS_NOPREFIX, input.section, IDC_SECTION,
                       section_heading_at(place.top + 4, s.input_narrower), s.font_subtitle);
    const InputRow row = row_of(i);
    if (input.box) {
        s.choices_pending = true;
        return;
    }
    if (place.label_lines)
        create_in_view(L"STATIC", 0, CHILD | SS_NOPREFIX, input.label, 0,
                       wide_label_at(place.y, s.input_narrower, place.label_lines),
                       s.font_label);
    else
        create_in_view(L"STATIC", 0, CHILD | SS_RIGHT, input.label, 0, row.label, s.font_label);
    if (input.choice_count) {
        s.choices_pending = true;
        return;
    }
    s.input_controls[i] = create_in_view(L"EDIT", WS_EX_CLIENTEDGE, CHILD | ES_AUTOHSCROLL, L"", IDC_INPUT_FIRST + i, row.edit,
                                         s.font_edit);
    show_starting_value(s.input_controls[i], input);
    if (*input.unit) create_in_view(L"STATIC", 0, CHILD, input.unit, 0, row.unit, s.font_small);
}

}  // namespace

void create_child_controls(HWND window) {
    MainWindowState& s = main_window_state;
    const PreparedTool& tool = s.tool;
    HDC dc = GetDC(window);
    create_input_view(window, dc);
    ReleaseDC(window, dc);
    for (int i = 0; i < tool.input_count; i++) create_input_row(i);
    wchar_t basis[512];
    text_format(basis, 512, L"参考依据：%ls", tool.basis);
    RECT client;
    GetClientRect(window, &client);
    for (const ControlDef& c : right_side) {
        const wchar_t* text = c.source == CAUTION ? tool.caution : c.source == BASIS ? basis : c.text;
        const bool button = c.id >= IDC_CALCULATE && c.id <= IDC_PRINT;
        HWND control = create_control(window, c.window_class, c.ex_style, c.style, text, c.id,
                                      button ? in_footer(c.box, unscaled(client.bottom, s.dpi)) : c.box,
                                      c.font ? s.*c.font : nullptr);
        if (c.handle) s.*c.handle = control;
    }
    s.course_chart = tool_has_course(tool) ? create_control(window, L"STATIC", 0, CHILD | SS_OWNERDRAW | SS_NOPREFIX, L"",
                                                           IDC_COURSE, COURSE_BOX, s.font_small)
                                           : nullptr;
}

void create_pending_choices() {
    MainWindowState& s = main_window_state;
    if (!s.choices_pending) return;
    s.choices_pending = false;
    for (int i = 0; i < s.tool.input_count; i++) {
        if (s.tool.inputs[i].choice_count)
            s.input_controls[i] = create_list(s.tool.inputs[i], IDC_INPUT_FIRST + i, row_of(i).list);
        else if (s.tool.inputs[i].box)
            s.input_controls[i] = create_box(i);
    }
    apply_start_choices();
    update_asked_inputs();
    // The first input takes the focus, as an edit field would have at once.
    const InputDef& first = s.tool.inputs[0];
    if ((first.choice_count || first.box) && (!GetFocus() || GetFocus() == s.main_window))
        SetFocus(s.input_controls[0]);
}

void set_asked_input(int i, InputAsked state) {
    MainWindowState& s = main_window_state;
    const InputDef& input = s.tool.inputs[i];
    HWND list = s.input_controls[i];
    SendMessageW(list, CB_RESETCONTENT, 0, 0);
    if (state == INPUT_NOT_ASKED) {
        const InputChoice* stands = tool_choice_of(input, input.unasked_value);
        SendMessageW(list, CB_ADDSTRING, 0, (LPARAM)(stands ? stands->label : input.unasked_label));
        SendMessageW(list, CB_SETCURSEL, 0, 0);
    } else {
        for (int k = 0; k < input.choice_count; k++) SendMessageW(list, CB_ADDSTRING, 0, (LPARAM)input.choices[k].label);
        SendMessageW(list, CB_SETCURSEL, (WPARAM)-1, 0);
    }
    EnableWindow(list, state == INPUT_ASKED);
    s.input_asked[i] = state;
}

void update_asked_inputs() {
    MainWindowState& s = main_window_state;
    const PreparedTool& tool = s.tool;
    double readable[TOOL_MAX_INPUTS];
    for (int i = 0; i < tool.input_count; i++) {
        const InputDef& input = tool.inputs[i];
        if (*input.asked_when && input.choice_count && s.input_controls[i]) {
            InputAsked state = calc_input_asked(tool, i, readable);
            // An asked list keeps its answer; one asked again starts empty.
            if (state != s.input_asked[i]) set_asked_input(i, state);
        }
        double value = 0;
        wchar_t ignored[8];
        readable[i] = read_input(i, &value, ignored, 8) && tool_input_fault(input, value) == INPUT_SOUND ? value : NAN;
        if (s.input_asked[i] == INPUT_NOT_ASKED) readable[i] = input.unasked_value;
    }
}
