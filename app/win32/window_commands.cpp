// The five commands behind the buttons: Calculate, Save record, Copy result,
// Reset and About.
#include "app/win32/main_window.h"

#include "app/app.h"
#include "calc/calc.h"
#include "glyvant_version.h"
#include "store/store.h"

namespace {

constexpr int DEFAULT_TEXT_CAPACITY = 64;
constexpr int ABOUT_CAPACITY = 1400;

int system_message_box(HWND owner, const wchar_t* text, const wchar_t* caption, UINT flags) {
    return MessageBoxW(owner, text, caption, flags);
}

void invalidate_main_window() { InvalidateRect(main_window_state.main_window, nullptr, FALSE); }

// A field is judged on its whole text: one longer than the read buffer would
// otherwise be judged by its first part ("6", spaces, then a letter O beyond
// the buffer would read as 6).
bool read_field(HWND edit, double* value) {
    wchar_t text[INPUT_TEXT_CAPACITY];
    if (GetWindowTextLengthW(edit) >= INPUT_TEXT_CAPACITY) return false;
    GetWindowTextW(edit, text, INPUT_TEXT_CAPACITY);
    return input_field_number(text, value);
}

// The value of input i: its field's number, or its chosen option's value.
// False, with the message that says why, when there is none.
bool read_input(int i, double* value, const wchar_t** complaint) {
    const MainWindowState& s = main_window_state;
    const InputDef& input = s.tool.inputs[i];
    *value = 0;
    if (!input.choice_count) {
        *complaint = L"第 %d 项“%ls”请输入数字。";
        return read_field(s.input_controls[i], value);
    }
    *complaint = L"第 %d 项“%ls”请选择。";
    if (!s.input_controls[i]) return false;  // not created yet
    LRESULT chosen = SendMessageW(s.input_controls[i], CB_GETCURSEL, 0, 0);
    if (chosen < 0 || chosen >= input.choice_count) return false;
    *value = input.choices[chosen].value;
    return true;
}

// The verdict shows in a new colour: erased, so it is redrawn whole.
void redraw_result_side() {
    const MainWindowState& s = main_window_state;
    InvalidateRect(s.verdict_label, nullptr, TRUE);
    InvalidateRect(s.result_edit, nullptr, TRUE);
}

// What a nurse is told when the row did not reach the file.
const wchar_t* save_failure_message(RecordOutcome outcome) {
    if (outcome == RECORD_FILE_IN_USE)
        return L"记录文件正被其他程序（如 Excel）打开，本次结果未能写入。请关闭该文件后再点击“保存记录”。";
    return L"本次结果未能写入本地记录，请检查磁盘空间与文件夹权限。";
}

}  // namespace

void tell(const wchar_t* text, const wchar_t* caption, UINT icon) {
    show_message_box(main_window_state.main_window, text, caption, MB_OK | icon);
}

void set_status(const wchar_t* text) {
    text_copy(main_window_state.status_text, STATUS_TEXT_CAPACITY, text);
    invalidate_main_window();
}

// Copy, Save and Print take the last result only while it is current. Otherwise
// the user is told why, with `no_result` before the first calculation, and
// nothing is taken.
bool result_is_current(const wchar_t* no_result) {
    switch (main_window_state.result_state) {
    case RESULT_CURRENT: return true;
    case NO_RESULT: tell(no_result, L"提示", MB_ICONINFORMATION); return false;
    case RESULT_OUT_OF_DATE: break;
    }
    tell(L"输入已修改，请先点击“计算”重新计算。", L"提示", MB_ICONINFORMATION);
    return false;
}

MessageBoxFunction show_message_box = system_message_box;
BlockAllocator allocate_global_block = GlobalAlloc;

// Reads every field before changing anything: a field that is not a number
// stops Calculate with its message, and the last result keeps the inputs
// that produced it.
void on_calculate() {
    MainWindowState& s = main_window_state;
    const PreparedTool& tool = s.tool;
    double values[TOOL_MAX_INPUTS] = {};
    for (int i = 0; i < tool.input_count; i++) {
        const wchar_t* complaint = nullptr;
        if (!read_input(i, &values[i], &complaint)) {
            wchar_t message[256];
            text_format(message, 256, complaint, i + 1, tool.inputs[i].label);
            tell(message, L"输入有误", MB_ICONWARNING);
            SetFocus(s.input_controls[i]);
            return;
        }
    }
    tool_calculate(tool, values, &s.last);
    s.result_state = RESULT_CURRENT;
    SetWindowTextW(s.result_edit, s.last.text);
    SetWindowTextW(s.verdict_label, s.last.verdict);
    redraw_result_side();
    wchar_t status[STATUS_TEXT_CAPACITY];
    text_format(status, STATUS_TEXT_CAPACITY, L"计算完成  %ls", tool.title);
    set_status(status);
    SetFocus(s.main_window);
}

// An input whose value is no longer the one calculated leaves the result
// beside inputs it was not computed from: it is marked so until the next
// Calculate. A field that still reads as the same number (60 and 60.0), or
// the same option chosen again, changes nothing.
void on_input_changed(int input) {
    MainWindowState& s = main_window_state;
    if (s.result_state != RESULT_CURRENT || input < 0 || input >= s.tool.input_count) return;
    double value = 0;
    const wchar_t* complaint = nullptr;
    if (read_input(input, &value, &complaint) && value == s.last.inputs[input]) return;
    s.result_state = RESULT_OUT_OF_DATE;
    SetWindowTextW(s.verdict_label, VERDICT_OUT_OF_DATE);
    redraw_result_side();
}

// The last result and the inputs that produced it, appended to the tool's
// record file, and the outcome told truthfully.
void save_record() {
    MainWindowState& s = main_window_state;
    if (!result_is_current(L"请先点击“计算”生成结果，再保存记录。")) return;
    wchar_t where[RECORD_PATH_CAPACITY];
    RecordOutcome outcome = record_save(s.tool, s.last, where, RECORD_PATH_CAPACITY);
    bool saved = outcome == RECORD_SAVED;
    text_format(s.status_text, STATUS_TEXT_CAPACITY, saved ? L"记录已保存：%ls" : L"记录保存失败：%ls",
                where);
    invalidate_main_window();
    if (saved)
        tell(L"本次结果已追加保存到本地记录（CSV，可用 Excel 打开）。", L"已保存", MB_ICONINFORMATION);
    else
        tell(save_failure_message(outcome), L"保存失败", MB_ICONWARNING);
}

// The title and the whole result; a formula tool's verdict after it, a
// report tool's report alone.
void copy_result() {
    MainWindowState& s = main_window_state;
    if (!result_is_current(L"请先点击“计算”生成结果。")) return;
    if (!OpenClipboard(s.main_window)) return;
    const bool with_verdict = s.tool.report_kind == REPORT_NONE;
    int length = text_length(s.tool.title) + text_length(s.last.text) + text_length(s.last.verdict) + 8;
    EmptyClipboard();
    bool copied = false;
    HGLOBAL block = allocate_global_block(GMEM_MOVEABLE, (SIZE_T)length * sizeof(wchar_t));
    if (block) {
        wchar_t* text = (wchar_t*)GlobalLock(block);
        if (text) {
            if (with_verdict)
                text_format(text, length, L"%ls\r\n%ls—— %ls", s.tool.title, s.last.text, s.last.verdict);
            else
                text_format(text, length, L"%ls\r\n%ls", s.tool.title, s.last.text);
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
    const PreparedTool& tool = s.tool;
    s.result_state = NO_RESULT;
    for (int i = 0; i < tool.input_count; i++) {
        if (tool.inputs[i].choice_count) {
            SendMessageW(s.input_controls[i], CB_SETCURSEL, (WPARAM)-1, 0);  // nothing chosen
            continue;
        }
        wchar_t value[DEFAULT_TEXT_CAPACITY];
        format_default_value(tool.inputs[i].default_value, value, DEFAULT_TEXT_CAPACITY);
        SetWindowTextW(s.input_controls[i], value);
    }
    SetWindowTextW(s.result_edit, L"");
    SetWindowTextW(s.verdict_label, VERDICT_PROMPT);
    SetWindowTextW(s.caution_label, tool.caution);
    text_copy(s.status_text, STATUS_TEXT_CAPACITY, L"已恢复默认值");
    redraw_result_side();
    invalidate_main_window();
}

void show_about() {
    const PreparedTool& tool = main_window_state.tool;
    wchar_t about[ABOUT_CAPACITY];
    text_format(about, ABOUT_CAPACITY,
                L"%ls\r\n\r\n分类：%ls\r\n参考依据：%ls\r\n\r\n"
                L"本工具为临床辅助计算/记录工具，结果不能替代医师诊疗判断，\r\n"
                L"具体用药与处置请结合患者实际情况及本院规范执行。\r\n\r\n"
                L"版本 V" GLYVANT_VERSION_TEXT L"    官网：%ls",
                tool.title, tool.category, tool.basis, MAKER_WEBSITE);
    tell(about, L"关于本工具", MB_ICONINFORMATION);
}
