// The window procedure: it only dispatches, one line per message, to the
// handlers below. Also the owner-drawn buttons and the controls' colours.
#include "app/main_window.h"

#include "app/app.h"
#include "calc/calc.h"

namespace {

constexpr COLORREF TEXT_DARK = RGB(44, 56, 66);
constexpr COLORREF TEXT_GREY = RGB(120, 132, 142);

// The verdict's colour by level; any other level reads as level 0.
COLORREF verdict_colour(int level) {
    switch (level) {
    case 1: return RGB(176, 132, 0);
    case 2: return RGB(214, 108, 0);
    case 3: return RGB(190, 30, 45);
    default: return RGB(0, 128, 96);
    }
}

struct ButtonColours {
    COLORREF fill, pressed, border, caption;
};
const ButtonColours calculate_colours = {RGB(0, 122, 168), RGB(0, 100, 138), RGB(0, 106, 148),
                                         RGB(255, 255, 255)};
const ButtonColours plain_colours = {RGB(255, 255, 255), RGB(226, 234, 240), RGB(206, 216, 224),
                                     TEXT_DARK};

int system_message_box(HWND owner, const wchar_t* text, const wchar_t* caption, UINT flags) {
    return MessageBoxW(owner, text, caption, flags);
}

// Fixes the outer size at 1036 x 780.
void on_get_min_max_info(MINMAXINFO* info) {
    info->ptMinTrackSize = {WINDOW_WIDTH, WINDOW_HEIGHT};
    info->ptMaxTrackSize = {WINDOW_WIDTH, WINDOW_HEIGHT};
}

// Draws an owner-drawn button: fill (pressed fill while held), outline,
// centred caption. No focus rectangle.
void on_draw_item(const DRAWITEMSTRUCT* item) {
    const ButtonColours& c = item->CtlID == IDC_CALCULATE ? calculate_colours : plain_colours;
    const RECT& r = item->rcItem;
    Box box = {r.left, r.top, r.right - r.left, r.bottom - r.top};
    fill_box(item->hDC, box, (item->itemState & ODS_SELECTED) ? c.pressed : c.fill);
    frame_box(item->hDC, box, c.border);
    wchar_t caption[64];
    GetWindowTextW(item->hwndItem, caption, 64);
    draw_text_box(item->hDC, box, caption, c.caption, main_window_state.font_button, DT_CENTER);
}

LRESULT on_ctl_color_edit(HDC dc) {
    SetTextColor(dc, TEXT_DARK);
    SetBkColor(dc, RGB(255, 255, 255));
    return (LRESULT)main_window_state.white_brush;
}

// The read-only result box asks with this message too.
LRESULT on_ctl_color_static(HDC dc, HWND control) {
    const MainWindowState& s = main_window_state;
    SetBkMode(dc, TRANSPARENT);
    COLORREF colour = control == s.verdict_label                                 ? verdict_colour(s.level)
                      : control == s.result_edit || control == s.caution_label ? TEXT_DARK
                                                                                 : TEXT_GREY;
    SetTextColor(dc, colour);
    return (LRESULT)s.white_brush;
}

bool on_command(int id) {
    switch (id) {
    case IDC_CALCULATE: on_calculate(); return true;
    case IDC_SAVE: save_record(); return true;
    case IDC_COPY: copy_result(); return true;
    case IDC_RESET: reset_inputs(); return true;
    case IDC_ABOUT: show_about(); return true;
    default: return false;
    }
}

void invalidate_main_window() { InvalidateRect(main_window_state.main_window, nullptr, FALSE); }

void set_status(const wchar_t* text) {
    text_copy(main_window_state.status_text, STATUS_TEXT_CAPACITY, text);
    invalidate_main_window();
}

}  // namespace

MessageBoxFunction show_message_box = system_message_box;
BlockAllocator allocate_global_block = GlobalAlloc;

LRESULT CALLBACK main_window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
    case WM_CREATE:
        main_window_state.main_window = window;
        create_child_controls(window);
        return 0;
    case WM_DESTROY: PostQuitMessage(0); return 0;
    case WM_PAINT: paint_main_window(window); return 0;
    case WM_ERASEBKGND: return 1;  // the painting covers every pixel
    case WM_GETMINMAXINFO: on_get_min_max_info((MINMAXINFO*)lparam); return 0;
    case WM_DRAWITEM: on_draw_item((const DRAWITEMSTRUCT*)lparam); return 1;
    case WM_COMMAND:
        if (on_command(LOWORD(wparam))) return 0;
        break;
    case WM_CTLCOLOREDIT: return on_ctl_color_edit((HDC)wparam);
    case WM_CTLCOLORSTATIC: return on_ctl_color_static((HDC)wparam, (HWND)lparam);
    }
    return DefWindowProcW(window, message, wparam, lparam);
}

// Reads every field before changing anything: a field that is not a number
// stops Calculate with its message, and the last result keeps the inputs
// that produced it.
void on_calculate() {
    MainWindowState& s = main_window_state;
    const ToolDef& tool = *s.tool;
    int count = tool.input_count < TOOL_MAX_INPUTS ? tool.input_count : TOOL_MAX_INPUTS;
    double values[TOOL_MAX_INPUTS] = {};
    for (int i = 0; i < count; i++) {
        wchar_t text[128];
        GetWindowTextW(s.input_edits[i], text, 128);
        if (!input_field_number(text, &values[i])) {
            wchar_t message[256];
            text_format(message, 256, L"第 %d 项“%ls”请输入数字。", i + 1,
                        tool.inputs[i].label ? tool.inputs[i].label : L"");
            show_message_box(s.main_window, message, L"输入有误", MB_OK | MB_ICONWARNING);
            SetFocus(s.input_edits[i]);
            return;
        }
    }
    for (int i = 0; i < count; i++) s.input_values[i] = values[i];

    wchar_t result[4096];
    wchar_t verdict[512];
    tool_calculate(tool, s.input_values, result, 4096, verdict, 512, &s.level, s.last_result,
                   LAST_RESULT_CAPACITY);
    s.copy_text[0] = 0;
    SetWindowTextW(s.result_edit, result);
    SetWindowTextW(s.verdict_label, verdict);
    if (tool.report_kind == REPORT_NONE)
        text_format(s.copy_text, COPY_TEXT_CAPACITY, L"%ls—— %ls", result, verdict);
    else
        text_copy(s.copy_text, COPY_TEXT_CAPACITY, result);
    // Erased, so the verdict is redrawn whole in its new colour.
    InvalidateRect(s.verdict_label, nullptr, TRUE);
    wchar_t status[STATUS_TEXT_CAPACITY];
    text_format(status, STATUS_TEXT_CAPACITY, L"计算完成  %ls", tool.title ? tool.title : L"");
    set_status(status);
    SetFocus(s.main_window);
}

void copy_result() {
    MainWindowState& s = main_window_state;
    if (!s.last_result[0]) {
        show_message_box(s.main_window, L"请先点击“计算”生成结果。", L"提示", MB_OK | MB_ICONINFORMATION);
        return;
    }
    if (!OpenClipboard(s.main_window)) return;
    const wchar_t* title = s.tool->title ? s.tool->title : L"";
    int a = text_length(s.copy_text), b = text_length(title);
    EmptyClipboard();
    bool copied = false;
    HGLOBAL block = allocate_global_block(GMEM_MOVEABLE, (SIZE_T)(a + b) * sizeof(wchar_t) + 32);
    if (block) {
        wchar_t* text = (wchar_t*)GlobalLock(block);
        if (text) {
            text_format(text, a + b + 16, L"%ls\r\n%ls", title, s.copy_text);
            GlobalUnlock(block);
            copied = SetClipboardData(CF_UNICODETEXT, block) != nullptr;
        }
        if (!copied) GlobalFree(block);  // the clipboard took nothing
    }
    CloseClipboard();
    set_status(copied ? L"结果已复制到剪贴板" : L"复制失败，请重试");
}

void reset_inputs() {
    MainWindowState& s = main_window_state;
    const ToolDef& tool = *s.tool;
    int count = tool.input_count < TOOL_MAX_INPUTS ? tool.input_count : TOOL_MAX_INPUTS;
    for (int i = 0; i < count; i++) {
        wchar_t value[64];
        text_format(value, 64, L"%.6g", tool.inputs[i].default_value);
        SetWindowTextW(s.input_edits[i], value);
    }
    SetWindowTextW(s.result_edit, L"");
    SetWindowTextW(s.verdict_label, VERDICT_PROMPT);
    SetWindowTextW(s.caution_label, tool.caution ? tool.caution : L"");
    text_copy(s.status_text, STATUS_TEXT_CAPACITY, L"已恢复默认值");
    s.last_result[0] = 0;
    s.level = 0;
    invalidate_main_window();
}

void show_about() {
    const MainWindowState& s = main_window_state;
    const ToolDef& tool = *s.tool;
    wchar_t about[1400];
    text_format(about, 1400,
                L"%ls\r\n\r\n分类：%ls\r\n参考依据：%ls\r\n\r\n"
                L"本工具为临床辅助计算/记录工具，结果不能替代医师诊疗判断，\r\n"
                L"具体用药与处置请结合患者实际情况及本院规范执行。\r\n\r\n"
                L"版本 V1.0    官网：%ls",
                tool.title ? tool.title : L"", tool.category ? tool.category : L"",
                tool.basis ? tool.basis : L"", MAKER_WEBSITE);
    show_message_box(s.main_window, about, L"关于本工具", MB_OK | MB_ICONINFORMATION);
}
