// The commands behind the buttons but Print: Calculate, Save record, Copy
// result, Reset and About.
#include "app/win32/main_window.h"

#include "app/app.h"
#include "calc/calc.h"
#include "glyvant_version.h"
#include "common/win32/hospital_policy.h"
#include "common/win32/delivery_worker.h"
#include "common/win32/suite_window.h"
#include "store/store.h"

namespace {

constexpr int DEFAULT_TEXT_CAPACITY = 64;
constexpr int ABOUT_CAPACITY = 1400;
constexpr int COMPLAINT_CAPACITY = 256;
#define SAVED_TEXT L"本次结果已追加保存到本地记录（CSV，可用 Excel 打开）。"

int system_message_box(HWND owner, const wchar_t* text, const wchar_t* caption, UINT flags) {
    return MessageBoxW(owner, text, caption, flags);
}

void invalidate_main_window() { InvalidateRect(main_window_state.main_window, nullptr, FALSE); }

// Reads a field's whole text, spaces around it dropped, into `text`. False
// for a text longer than the buffer, which would otherwise be judged by its
// first part ("6", spaces, then a letter O beyond the buffer would read as 6).
bool read_field_text(HWND edit, wchar_t* text) {
    text[0] = 0;
    if (GetWindowTextLengthW(edit) >= INPUT_TEXT_CAPACITY) return false;
    GetWindowTextW(edit, text, INPUT_TEXT_CAPACITY);
    return true;
}

}  // namespace

bool read_input(int i, double* value, wchar_t* complaint, int capacity) {
    const MainWindowState& s = main_window_state;
    const InputDef& input = s.tool.inputs[i];
    *value = 0;
    if (input.box) {
        if (SendMessageW(s.input_controls[i], BM_GETCHECK, 0, 0) == BST_CHECKED) *value = input.points;
        return true;
    }
    if (input.choice_count && *input.asked_when && s.input_asked[i] != INPUT_ASKED) {
        *value = input.unasked_value;
        if (s.input_asked[i] == INPUT_NOT_ASKED) return true;
        text_format(complaint, capacity, L"第 %d 项“%ls”须先回答上面的项目。", i + 1, input.label);
        return false;
    }
    if (input.choice_count) {
        LRESULT chosen = s.input_controls[i] ? SendMessageW(s.input_controls[i], CB_GETCURSEL, 0, 0) : CB_ERR;
        if (chosen >= 0 && chosen < input.choice_count) {
            *value = input.choices[chosen].value;
            return true;
        }
        text_format(complaint, capacity, L"第 %d 项“%ls”请选择。", i + 1, input.label);
        return false;
    }
    wchar_t text[INPUT_TEXT_CAPACITY];
    bool whole = read_field_text(s.input_controls[i], text);
    if (whole && input_field_blank(text)) {
        text_format(complaint, capacity, L"第 %d 项“%ls”请填写数值。", i + 1, input.label);
        return false;
    }
    if (!whole || !input_field_number(text, value)) {
        text_format(complaint, capacity, L"第 %d 项“%ls”请输入数字。", i + 1, input.label);
        return false;
    }
    InputFault fault = tool_input_fault(input, *value);
    if (fault == INPUT_SOUND) return true;
    input_field_complaint(input, i + 1, text, fault, complaint, capacity);
    return false;
}

namespace {

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

void show_verdict(const wchar_t* message) {
    // The box breaks the lines itself where the check measured them, the
    // way Chinese is printed: left to the control, Wine would break only at
    // spaces and push a long Chinese run to a third line, out of sight.
    wchar_t shown[3 * VERDICT_CAPACITY];
    verdict_wrapped(message, shown, 3 * VERDICT_CAPACITY);
    SetWindowTextW(main_window_state.verdict_label, shown);
}

// Only the status line is painted again: the rest of the window has not
// changed, and a repaint of all of it would flicker on every save.
void set_status(const wchar_t* text) {
    MainWindowState& s = main_window_state;
    s.status_warning = s.delivery_telling = false;
    text_copy(s.status_text, STATUS_TEXT_CAPACITY, text);
    RECT client;
    GetClientRect(s.main_window, &client);
    const Box line = px(in_footer(STATUS_BOX, unscaled(client.bottom, s.dpi)));
    const RECT r = {line.x, line.y, line.x + line.width, line.y + line.height};
    InvalidateRect(s.main_window, &r, FALSE);
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

void show_starting_value(HWND field, const InputDef& input) {
    wchar_t value[DEFAULT_TEXT_CAPACITY] = L"";
    if (!input.starts_empty) format_default_value(input.default_value, value, DEFAULT_TEXT_CAPACITY);
    SetWindowTextW(field, value);
}

MessageBoxFunction show_message_box = system_message_box;
BlockAllocator allocate_global_block = GlobalAlloc;

// Reads every field before changing anything: a field that is not a number
// stops Calculate with its message, and the last result keeps the inputs
// that produced it.
void on_calculate() {
    MainWindowState& s = main_window_state;
    const PreparedTool& tool = s.tool;
    create_pending_choices();
    double values[TOOL_MAX_INPUTS] = {};
    for (int i = 0; i < tool.input_count; i++) {
        wchar_t complaint[COMPLAINT_CAPACITY];
        if (!read_input(i, &values[i], complaint, COMPLAINT_CAPACITY)) {
            tell(complaint, L"输入有误", MB_ICONWARNING);
            show_input(i);
            SetFocus(s.input_controls[i]);
            return;
        }
    }
    tool_calculate(tool, values, &s.last);
    platform_calls.local_time(&s.calculated_at);
    // The band's interval as the hospital sets it, where it does, at the
    // moment of the result: a later change of the policy applies to the
    // next one.
    int hospital_hours[POLICY_REASSESS_BANDS];
    bool hospital_set = tool.rule_count <= POLICY_REASSESS_BANDS &&
                        policy_reassess_hours(tool.id, hospital_hours, tool.rule_count);
    wchar_t due_line[REASSESS_LINE_CAPACITY];
    if (reassess_plan(tool, s.last, s.calculated_at, hospital_set ? hospital_hours : nullptr, &s.reassessment, due_line,
                      REASSESS_LINE_CAPACITY)) {
        text_append(s.last.text, RESULT_TEXT_CAPACITY, due_line);
        text_append(s.last.text, RESULT_TEXT_CAPACITY, L"\r\n");
    }
    s.saved_record[0] = 0;
    s.result_state = RESULT_CURRENT;
    SetWindowTextW(s.result_edit, s.last.text);
    show_verdict(s.last.verdict);
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
    wchar_t complaint[COMPLAINT_CAPACITY];
    if (read_input(input, &value, complaint, COMPLAINT_CAPACITY) && value == s.last.inputs[input]) return;
    s.result_state = RESULT_OUT_OF_DATE;
    show_verdict(VERDICT_OUT_OF_DATE);
    redraw_result_side();
}

// The last result and the inputs that produced it, appended to the tool's
// record file, and the outcome told truthfully.
void save_record() {
    MainWindowState& s = main_window_state;
    if (!result_is_current(L"请先点击“计算”生成结果，再保存记录。") || !patient_allows(true)) return;
    wchar_t where[RECORD_PATH_CAPACITY];
    RecordStamp stamp;
    RecordOutcome outcome =
        record_save(s.tool, s.last, s.patient, where, RECORD_PATH_CAPACITY, &stamp, &s.calculated_at,
                    s.reassessment.has_due ? &s.reassessment.due : nullptr);
    bool saved = outcome == RECORD_SAVED;
    // Whose the row is, in the words the nurse checks against the wristband.
    wchar_t owner[PATIENT_OWNER_CAPACITY];
    patient_owner(s.patient, owner, PATIENT_OWNER_CAPACITY);
    if (saved) text_copy(s.saved_record, RECORD_NUMBER_CAPACITY, stamp.number);
    wchar_t status[STATUS_TEXT_CAPACITY];
    bool warning = false;
    if (!saved) text_format(status, STATUS_TEXT_CAPACITY, L"记录保存失败：%ls", where);
    else if (owner[0]) text_format_marked(status, STATUS_TEXT_CAPACITY, L"已保存：%ls　%ls", owner, where);
    else text_format_marked(status, STATUS_TEXT_CAPACITY, L"记录已保存：%ls", where);
    // The local row first; only then the hospital's database, by a thread
    // of its own: the window never waits on the network.
    wchar_t connection[POLICY_CONNECTION_CAPACITY];
    if (saved && policy_records_database(connection, POLICY_CONNECTION_CAPACITY) != POLICY_NOT_SET) {
        static DeliveryRow row;
        delivery_row_of(s.tool, s.last, stamp, &row);
        if (delivery_queue(row)) {
            text_format_marked(status, STATUS_TEXT_CAPACITY, owner[0] ? L"已保存：%ls；正在上传医院数据库…"
                                                               : L"已保存到本机%ls；正在上传医院数据库…",
                               owner);
            // The oldest followed gives way; it is still counted as waiting.
            if (s.delivery_pending_count == DELIVERY_PENDING_MAX) {
                for (int k = 1; k < DELIVERY_PENDING_MAX; k++)
                    text_copy(s.delivery_pending[k - 1], RECORD_NUMBER_CAPACITY, s.delivery_pending[k]);
                s.delivery_pending_count--;
            }
            text_copy(s.delivery_pending[s.delivery_pending_count++], RECORD_NUMBER_CAPACITY, stamp.number);
        } else {
            text_copy(status, STATUS_TEXT_CAPACITY, L"已保存到本机；未能加入上传队列，本条不会上传医院数据库");
            warning = true;
        }
        delivery_start(s.main_window, WM_DELIVERY_DONE);
    }
    const bool telling = s.delivery_telling;
    set_status(status);
    s.status_warning = warning;
    s.delivery_telling = telling;
    if (saved) show_patient();  // the row just saved is the patient's last assessment now
    if (saved) tell_results_saved();
    wchar_t told[PATIENT_OWNER_CAPACITY + 64];
    text_format(told, PATIENT_OWNER_CAPACITY + 64, owner[0] ? L"已保存：%ls。" SAVED_TEXT : SAVED_TEXT L"%ls", owner);
    if (saved)
        tell(told, L"已保存", MB_ICONINFORMATION);
    else
        tell(save_failure_message(outcome), L"保存失败", MB_ICONWARNING);
}

void on_delivery_done() {
    MainWindowState& s = main_window_state;
    DeliveryReport report;
    bool more = delivery_latest(&report);
    wchar_t status[STATUS_TEXT_CAPACITY];
    if (s.delivery_pending_count == 0) {
        bool telling = s.delivery_telling, warning;
        if (!delivery_pass_status(report, &telling, &warning, status, STATUS_TEXT_CAPACITY)) return;
        set_status(status);
        s.status_warning = warning;
        s.delivery_telling = telling;
        return;
    }
    DeliveryRowState own = DELIVERY_ROW_DELIVERED;
    for (int k = 0; k < s.delivery_pending_count; k++) {
        DeliveryRowState state = delivery_row_state(s.delivery_pending[k]);
        if (state == DELIVERY_ROW_REJECTED || (state == DELIVERY_ROW_WAITING && own == DELIVERY_ROW_DELIVERED))
            own = state;
    }
    // A save during the pass goes with the one that follows: nothing is
    // said of it before.
    if (own == DELIVERY_ROW_WAITING && report.problem == DELIVERY_DONE && more) return;
    bool warning = delivery_status(report, &own, status, STATUS_TEXT_CAPACITY);
    s.delivery_pending_count = 0;
    set_status(status);
    s.status_warning = warning;
    s.delivery_telling = warning || report.left.waiting;
}

// The title and the whole result; a formula tool's verdict after it, a
// report tool's report alone.
void copy_result() {
    MainWindowState& s = main_window_state;
    if (!result_is_current(L"请先点击“计算”生成结果。") || !patient_allows(false)) return;
    if (!OpenClipboard(s.main_window)) return;
    static wchar_t copy[RECORD_COPY_CAPACITY];
    record_copy_text(s.tool, s.last, s.patient, copy, RECORD_COPY_CAPACITY);
    int length = text_length(copy) + 1;
    EmptyClipboard();
    // The patient stays out of Windows' clipboard history, the cloud
    // clipboard and clipboard monitors: a result with no such marks is not
    // put on the clipboard at all.
    bool copied = true;
    for (const wchar_t* format : CLIPBOARD_PRIVATE_FORMATS) {
        HGLOBAL mark = allocate_global_block(GMEM_MOVEABLE, sizeof(DWORD));
        DWORD* zero = mark ? (DWORD*)GlobalLock(mark) : nullptr;
        if (zero) {
            *zero = 0;
            GlobalUnlock(mark);
        }
        UINT id = RegisterClipboardFormatW(format);
        bool taken = zero && id && SetClipboardData(id, mark) != nullptr;
        if (mark && !taken) GlobalFree(mark);
        copied = copied && taken;
    }
    HGLOBAL block = copied ? allocate_global_block(GMEM_MOVEABLE, (SIZE_T)length * sizeof(wchar_t)) : nullptr;
    copied = false;
    if (block) {
        wchar_t* text = (wchar_t*)GlobalLock(block);
        if (text) {
            text_copy(text, length, copy);
            GlobalUnlock(block);
            copied = SetClipboardData(CF_UNICODETEXT, block) != nullptr;
        }
        if (!copied) GlobalFree(block);  // the clipboard took nothing
    }
    if (!copied) EmptyClipboard();
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
        if (tool.inputs[i].box) {
            SendMessageW(s.input_controls[i], BM_SETCHECK, BST_UNCHECKED, 0);
            continue;
        }
        show_starting_value(s.input_controls[i], tool.inputs[i]);
    }
    update_asked_inputs();
    show_input(0);  // the form starts again at its top
    SetWindowTextW(s.result_edit, L"");
    show_verdict(VERDICT_PROMPT);
    SetWindowTextW(s.caution_label, tool.caution);
    text_copy(s.status_text, STATUS_TEXT_CAPACITY, L"已恢复默认值");
    redraw_result_side();
    invalidate_main_window();
}

void show_about() {
    const PreparedTool& tool = main_window_state.tool;
    wchar_t about[ABOUT_CAPACITY];
    // The guide writes out how a formula tool calculates; a report has no
    // formulas to show.
    const wchar_t* method = tool.report_kind == REPORT_NONE ? ABOUT_METHOD_LINE L"\r\n" : L"";
    text_format(about, ABOUT_CAPACITY,
                L"%ls\r\n\r\n分类：%ls\r\n参考依据：%ls\r\n%ls\r\n"
                DISCLAIMER L"，\r\n" DISCLAIMER_ADVICE L"\r\n\r\n"
                L"版本 V" GLYVANT_VERSION_TEXT L"    官网：%ls",
                tool.title, tool.category, tool.basis, method, MAKER_WEBSITE);
    tell(about, L"关于本工具", MB_ICONINFORMATION);
}
