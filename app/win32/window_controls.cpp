// The child controls built on WM_CREATE: one row per input on the left, the
// verdict, result box, caution and basis on the right, five buttons below.
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

constexpr Box button(int x, int width) { return {x, BUTTON_TOP, width, BUTTON_HEIGHT}; }

const ControlDef right_side[] = {
    {L"STATIC", 0, CHILD, FIXED, VERDICT_PROMPT, 0, VERDICT_BOX, &MainWindowState::font_verdict,
     &MainWindowState::verdict_label},
    {L"EDIT", WS_EX_CLIENTEDGE, CHILD | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_READONLY,
     FIXED, L"", IDC_RESULT, RESULT_BOX, &MainWindowState::font_result, &MainWindowState::result_edit},
    {L"STATIC", 0, CHILD, CAUTION, nullptr, 0, CAUTION_BOX, &MainWindowState::font_small,
     &MainWindowState::caution_label},
    {L"STATIC", 0, CHILD, BASIS, nullptr, 0, BASIS_BOX, &MainWindowState::font_small, nullptr},
    {L"BUTTON", 0, CHILD | BS_OWNERDRAW, FIXED, L"计算 (F5)", IDC_CALCULATE, button(20, 152), nullptr,
     &MainWindowState::calculate_button},
    {L"BUTTON", 0, CHILD | BS_OWNERDRAW, FIXED, L"保存记录", IDC_SAVE, button(184, 132), nullptr,
     &MainWindowState::save_button},
    {L"BUTTON", 0, CHILD | BS_OWNERDRAW, FIXED, L"复制结果", IDC_COPY, button(328, 132), nullptr,
     &MainWindowState::copy_button},
    {L"BUTTON", 0, CHILD | BS_OWNERDRAW, FIXED, L"清空重填", IDC_RESET, button(472, 132), nullptr,
     &MainWindowState::reset_button},
    {L"BUTTON", 0, CHILD | BS_OWNERDRAW, FIXED, L"关于", IDC_ABOUT, button(616, 110), nullptr,
     &MainWindowState::about_button},
};

HWND create_control(HWND parent, const wchar_t* window_class, DWORD ex_style, DWORD style,
                    const wchar_t* text, int id, Box box, HFONT font) {
    HWND control = CreateWindowExW(ex_style, window_class, text, style, box.x, box.y, box.width,
                                   box.height, parent, (HMENU)(INT_PTR)id,
                                   main_window_state.instance, nullptr);
    if (font) SendMessageW(control, WM_SETFONT, (WPARAM)font, TRUE);
    return control;
}

}  // namespace

void create_child_controls(HWND window) {
    MainWindowState& s = main_window_state;
    const PreparedTool& tool = s.tool;
    for (int i = 0; i < tool.input_count; i++) {
        const InputDef& input = tool.inputs[i];
        const InputRow row = input_row(i);
        create_control(window, L"STATIC", 0, CHILD | SS_RIGHT, input.label, 0, row.label, s.font_label);
        s.input_edits[i] = create_control(window, L"EDIT", WS_EX_CLIENTEDGE, CHILD | ES_AUTOHSCROLL,
                                          L"", IDC_INPUT_FIRST + i, row.edit, s.font_edit);
        wchar_t value[64];
        format_default_value(input.default_value, value, 64);
        SetWindowTextW(s.input_edits[i], value);
        if (*input.unit) create_control(window, L"STATIC", 0, CHILD, input.unit, 0, row.unit, s.font_small);
    }
    wchar_t basis[512];
    text_format(basis, 512, L"参考依据：%ls", tool.basis);
    for (const ControlDef& c : right_side) {
        const wchar_t* text = c.source == CAUTION ? tool.caution : c.source == BASIS ? basis : c.text;
        HWND control = create_control(window, c.window_class, c.ex_style, c.style, text, c.id, c.box,
                                      c.font ? s.*c.font : nullptr);
        if (c.handle) s.*c.handle = control;
    }
    text_copy(s.status_text, STATUS_TEXT_CAPACITY, L"就绪：填写参数后按 F5 或点击“计算”");
}
