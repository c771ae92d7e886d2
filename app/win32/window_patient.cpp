// The patient in the window: what the hospital system started it with, the
// band that shows whom the results belong to, the small window in which the
// nurse enters or changes the patient, the patient's last assessment, and
// the rules Copy, Save and Print keep before a result leaves the window.
#include "app/win32/main_window.h"

#include "app/app.h"
#include "common/win32/hospital_policy.h"
#include "common/win32/delivery_worker.h"
#include "common/win32/scan_field.h"
#include "store/store.h"

namespace {

const wchar_t PATIENT_WINDOW_CLASS[] = L"OrvoMedPatientWnd";

#define NO_PATIENT_LINE L"未指定患者　点击此处或按 Ctrl+I 填写"
#define POLICY_REFUSAL L"本院要求保存和打印的结果须指定患者：请按 Ctrl+I 填写姓名和住院号。"
#define ASSESSMENT_REFUSAL L"评估单是患者病历的一部分，保存和打印须指定患者：请按 Ctrl+I 填写姓名和住院号。"

// The patient window's rows: a label and a field per field of Patient, then
// the buttons.
constexpr int DIALOG_WIDTH = 380, ROW_TOP = 20, ROW_PITCH_DIALOG = 38;
constexpr int LABEL_X = 20, LABEL_WIDTH = 90, FIELD_X = 118, FIELD_WIDTH = 230, FIELD_HEIGHT = 26;
constexpr int DIALOG_BUTTON_WIDTH = 96, DIALOG_BUTTON_HEIGHT = 32;
constexpr int BUTTONS_TOP = ROW_TOP + PATIENT_FIELD_COUNT * ROW_PITCH_DIALOG + 8;
constexpr int DIALOG_HEIGHT = BUTTONS_TOP + DIALOG_BUTTON_HEIGHT + 20;

HWND patient_field(int field) { return GetDlgItem(main_window_state.patient_dialog, IDC_PATIENT_FIELD_FIRST + field); }

void close_patient_window() {
    MainWindowState& s = main_window_state;
    HWND dialog = s.patient_dialog;
    s.patient_dialog = nullptr;
    EnableWindow(s.main_window, TRUE);
    if (dialog) DestroyWindow(dialog);
    SetFocus(s.main_window);
}

bool same_person(const Patient& a, const Patient& b) {
    return wcscmp(a.fields[PATIENT_ID], b.fields[PATIENT_ID]) == 0 &&
           wcscmp(a.fields[PATIENT_NAME], b.fields[PATIENT_NAME]) == 0;
}

// OK: every field is checked before any is taken; a patient is taken only
// whole, the name with the hospital number.
void accept_patient_window() {
    MainWindowState& s = main_window_state;
    Patient entered = {};
    for (int field = 0; field < PATIENT_FIELD_COUNT; field++) {
        wchar_t text[PATIENT_FIELD_CAPACITY * 2] = L"";
        GetWindowTextW(patient_field(field), text, PATIENT_FIELD_CAPACITY * 2);
        PatientFieldFault fault = patient_field_fault(field, text);
        if (fault != PATIENT_FIELD_SOUND) {
            wchar_t complaint[128];
            patient_field_fault_text(field, fault, complaint, 128);
            show_message_box(s.patient_dialog, complaint, L"患者信息有误", MB_OK | MB_ICONWARNING);
            // Selected, so that the next scan replaces what was refused.
            SetFocus(patient_field(field));
            SendMessageW(patient_field(field), EM_SETSEL, 0, -1);
            return;
        }
        patient_set_field(&entered, field, text);
    }
    if (patient_state(entered) == PATIENT_HALF) {
        show_message_box(s.patient_dialog, PATIENT_HALF_GIVEN L"。", L"患者信息有误", MB_OK | MB_ICONWARNING);
        SetFocus(patient_field(entered.fields[PATIENT_ID][0] ? PATIENT_NAME : PATIENT_ID));
        return;
    }
    // What was entered and calculated is the other patient's, or no one's:
    // it never passes to this one. The form starts again, as Reset has it.
    const bool another = !same_person(entered, s.patient);
    s.patient = entered;
    close_patient_window();
    if (another) {
        reset_inputs();
        s.launcher_moved_on = s.launcher_move_confirmed = false;
    }
    show_patient();
    set_status(patient_state(s.patient) != PATIENT_COMPLETE ? L"已清除患者"
               : another                                    ? L"已换患者，输入已清空"
                                                            : L"患者已更新");
}

// A new hospital number in the number's field: the name, bed, ward and
// stay given with the old one are another patient's and go, so that the
// two identifiers always come from one source. What is typed after it
// belongs to the new number.
void on_patient_field_changed(int field) {
    MainWindowState& s = main_window_state;
    wchar_t text[PATIENT_FIELD_CAPACITY * 2] = L"";
    GetWindowTextW(patient_field(PATIENT_ID), text, PATIENT_FIELD_CAPACITY * 2);
    if (field != PATIENT_ID) {
        text_copy(s.patient_dialog_number, PATIENT_FIELD_CAPACITY * 2, text);
        return;
    }
    if (wcscmp(text, s.patient_dialog_number) == 0) return;
    text_copy(s.patient_dialog_number, PATIENT_FIELD_CAPACITY * 2, text);
    for (int f = 0; f < PATIENT_FIELD_COUNT; f++)
        if (f != PATIENT_ID && !patient_field_is_nurse(f)) SetWindowTextW(patient_field(f), L"");
}

LRESULT CALLBACK patient_window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
    case WM_COMMAND: {
        const int field = (int)LOWORD(wparam) - IDC_PATIENT_FIELD_FIRST;
        if (LOWORD(wparam) == IDOK) accept_patient_window();
        else if (LOWORD(wparam) == IDCANCEL) close_patient_window();
        else if (field >= 0 && field < PATIENT_FIELD_COUNT && HIWORD(wparam) == EN_CHANGE) on_patient_field_changed(field);
        // A field taken by a click or a Tab has its text selected, so
        // that a scan replaces it whole and is never appended to it.
        else if (field >= 0 && field < PATIENT_FIELD_COUNT && HIWORD(wparam) == EN_SETFOCUS) PostMessageW((HWND)lparam, EM_SETSEL, 0, -1);
        else break;
        return 0;
    }
    case WM_CLOSE: close_patient_window(); return 0;
    case WM_CTLCOLORSTATIC:
        SetBkMode((HDC)wparam, TRANSPARENT);
        SetTextColor((HDC)wparam, palette.text);
        return (LRESULT)main_window_state.white_brush;
    }
    return DefWindowProcW(window, message, wparam, lparam);
}

HWND dialog_child(HWND parent, const wchar_t* window_class, DWORD ex_style, DWORD style, const wchar_t* text,
                  int id, Box box) {
    box = px(box);
    HWND control = CreateWindowExW(ex_style, window_class, text, WS_CHILD | WS_VISIBLE | style, box.x, box.y,
                                   box.width, box.height, parent, (HMENU)(INT_PTR)id, main_window_state.instance,
                                   nullptr);
    SendMessageW(control, WM_SETFONT, (WPARAM)main_window_state.font_label, TRUE);
    return control;
}

}  // namespace

void show_patient() {
    MainWindowState& s = main_window_state;
    wchar_t line[4 * PATIENT_FIELD_CAPACITY];
    if (!patient_line(s.patient, line, 4 * PATIENT_FIELD_CAPACITY)) text_copy(line, 4 * PATIENT_FIELD_CAPACITY, NO_PATIENT_LINE);
    SetWindowTextW(s.patient_label, line);
    // On the taskbar too, two windows of one tool for two patients differ.
    wchar_t title[RECORD_TITLE_LIMIT + 2 * PATIENT_FIELD_CAPACITY + 8];
    const int title_capacity = (int)(sizeof title / sizeof *title);
    if (patient_state(s.patient) == PATIENT_COMPLETE) {
        const int n = text_length(s.tool.title);
        const bool latin_end = n > 0 && s.tool.title[n - 1] < 0x80;
        text_format(title, title_capacity, latin_end ? L"%ls — %ls %ls" : L"%ls— %ls %ls", s.tool.title,
                    s.patient.fields[PATIENT_NAME], s.patient.fields[PATIENT_ID]);
    } else {
        text_copy(title, title_capacity, s.tool.title);
    }
    SetWindowTextW(s.main_window, title);
    wchar_t last[RECORD_LAST_CAPACITY] = L"";
    if (patient_state(s.patient) == PATIENT_COMPLETE) {
        LocalTime now;
        platform_calls.local_time(&now);
        record_last_assessment(s.tool, s.patient, now, last, RECORD_LAST_CAPACITY);
    }
    SetWindowTextW(s.last_assessment_label, last);
    course_refresh();
}

void take_start_request(const wchar_t* command_line) {
    MainWindowState& s = main_window_state;
    start_request_read(&s.tool, command_line, &s.start);
    s.patient = s.start.patient;
    // A typed value stands in its field as it was sent; a list's or a
    // box's is chosen once they are made (apply_start_choices).
    for (int i = 0; i < s.tool.input_count; i++)
        if (s.start.presets[i].given && !s.tool.inputs[i].choice_count && !s.tool.inputs[i].box)
            SetWindowTextW(s.input_controls[i], s.start.presets[i].text);
    s.start_pending = true;
}

void apply_start_choices() {
    MainWindowState& s = main_window_state;
    for (int i = 0; i < s.tool.input_count; i++) {
        const InputDef& input = s.tool.inputs[i];
        if (!s.start.presets[i].given || (!input.choice_count && !input.box)) continue;
        double value = 0;
        input_field_number(s.start.presets[i].text, &value);
        if (input.box) {
            SendMessageW(s.input_controls[i], BM_SETCHECK, value == 1 ? BST_CHECKED : BST_UNCHECKED, 0);
            continue;
        }
        for (int k = 0; k < input.choice_count; k++)
            if (input.choices[k].value == value) SendMessageW(s.input_controls[i], CB_SETCURSEL, (WPARAM)k, 0);
    }
}

void finish_start_request() {
    MainWindowState& s = main_window_state;
    if (!s.start_pending) return;
    s.start_pending = false;
    show_patient();
    // Results a closed program left waiting go now, and again every few
    // minutes while the window is open.
    delivery_start(s.main_window, WM_DELIVERY_DONE);
    SetTimer(s.main_window, DELIVERY_TIMER, DELIVERY_RETRY_MILLISECONDS, nullptr);
    if (s.start.complaint[0]) {
        wchar_t text[START_COMPLAINT_CAPACITY + 64];
        text_format(text, START_COMPLAINT_CAPACITY + 64, L"以下启动参数未按原样采用：\r\n\r\n%ls", s.start.complaint);
        tell(text, L"启动参数有误", MB_ICONWARNING);
    }
}

void on_launcher_moved_on() {
    MainWindowState& s = main_window_state;
    if (patient_state(s.patient) != PATIENT_COMPLETE || s.launcher_moved_on) return;
    s.launcher_moved_on = true;
    s.launcher_move_confirmed = false;
    InvalidateRect(s.main_window, nullptr, FALSE);
}

int launcher_moved_on_text(wchar_t* text, int capacity) {
    wchar_t owner[PATIENT_OWNER_CAPACITY];
    patient_owner(main_window_state.patient, owner, PATIENT_OWNER_CAPACITY);
    return text_format(text, capacity, L"工具箱已换患者；本窗口仍为 %ls", owner);
}

void open_patient_window() {
    MainWindowState& s = main_window_state;
    if (s.patient_dialog) {
        SetFocus(patient_field(PATIENT_ID));
        return;
    }
    register_suite_window_class(s.instance, PATIENT_WINDOW_CLASS, patient_window_proc, s.white_brush, false);

    // At the main window's scaling, over it.
    RECT outer = {0, 0, px(DIALOG_WIDTH), px(DIALOG_HEIGHT)}, main;
    const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
    window_rect_for_client(&outer, style, WS_EX_DLGMODALFRAME, s.dpi);
    GetWindowRect(s.main_window, &main);
    const int width = outer.right - outer.left, height = outer.bottom - outer.top;
    HWND dialog = CreateWindowExW(WS_EX_DLGMODALFRAME, PATIENT_WINDOW_CLASS, L"患者与评估护士", style,
                                  main.left + (main.right - main.left - width) / 2, main.top + px(90), width, height,
                                  s.main_window, nullptr, s.instance, nullptr);
    if (!dialog) return;
    s.patient_dialog = dialog;
    text_copy(s.patient_dialog_number, PATIENT_FIELD_CAPACITY * 2, s.patient.fields[PATIENT_ID]);
    for (int field = 0; field < PATIENT_FIELD_COUNT; field++) {
        const int y = ROW_TOP + field * ROW_PITCH_DIALOG;
        dialog_child(dialog, L"STATIC", 0, SS_RIGHT | SS_NOPREFIX, patient_field_name(field).label, 0,
                     {LABEL_X, y + 4, LABEL_WIDTH, FIELD_HEIGHT - 4});
        HWND edit = dialog_child(dialog, L"EDIT", WS_EX_CLIENTEDGE, WS_TABSTOP | ES_AUTOHSCROLL,
                                 s.patient.fields[field], IDC_PATIENT_FIELD_FIRST + field,
                                 {FIELD_X, y, FIELD_WIDTH, FIELD_HEIGHT});
        patient_edit_takes_scans(edit, field);
    }
    dialog_child(dialog, L"BUTTON", 0, WS_TABSTOP | BS_DEFPUSHBUTTON, L"确定", IDOK,
                 {DIALOG_WIDTH - 2 * DIALOG_BUTTON_WIDTH - 32, BUTTONS_TOP, DIALOG_BUTTON_WIDTH, DIALOG_BUTTON_HEIGHT});
    dialog_child(dialog, L"BUTTON", 0, WS_TABSTOP, L"取消", IDCANCEL,
                 {DIALOG_WIDTH - DIALOG_BUTTON_WIDTH - 20, BUTTONS_TOP, DIALOG_BUTTON_WIDTH, DIALOG_BUTTON_HEIGHT});
    // Modal as a dialog is, without a loop of its own: the main window
    // takes no input until the patient window closes.
    EnableWindow(s.main_window, FALSE);
    ShowWindow(dialog, SW_SHOW);
    SetFocus(patient_field(PATIENT_ID));
    SendMessageW(patient_field(PATIENT_ID), EM_SETSEL, 0, -1);
}

bool patient_window_route(MSG& message) {
    HWND dialog = main_window_state.patient_dialog;
    if (!dialog || (message.hwnd != dialog && !IsChild(dialog, message.hwnd))) return false;
    // A wristband scanner types the number and Enter: the focus goes on
    // to the name while it is missing, and OK takes the two once both are in.
    if (message.message == WM_KEYDOWN && message.wParam == VK_RETURN) {
        const int identifiers[] = {PATIENT_ID, PATIENT_NAME};
        for (int field : identifiers) {
            if (GetWindowTextLengthW(patient_field(field)) == 0 && message.hwnd != patient_field(field)) {
                SetFocus(patient_field(field));
                return true;
            }
        }
        SendMessageW(dialog, WM_COMMAND, IDOK, 0);
        return true;
    }
    return IsDialogMessageW(dialog, &message);
}

bool patient_allows(bool saving_or_printing) {
    MainWindowState& s = main_window_state;
    PatientState state = patient_state(s.patient);
    // Once, naming the patient: a nurse never saves A's result believing
    // it is B's, whom the launcher now shows.
    if (saving_or_printing && s.launcher_moved_on && !s.launcher_move_confirmed) {
        wchar_t owner[PATIENT_OWNER_CAPACITY], question[256];
        patient_owner(s.patient, owner, PATIENT_OWNER_CAPACITY);
        text_format(question, 256, L"工具箱已换患者。本窗口的结果属于 %ls，确定为该患者保存或打印吗？", owner);
        if (show_message_box(s.main_window, question, L"请核对患者", MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) != IDYES)
            return false;
        s.launcher_move_confirmed = true;
    }
    if (state == PATIENT_HALF) {
        tell(PATIENT_HALF_GIVEN L"：请按 Ctrl+I 补全。", L"需要患者身份", MB_ICONWARNING);
        return false;
    }
    if (state == PATIENT_NONE && saving_or_printing && policy_requires_patient(s.tool.assessment)) {
        tell(s.tool.assessment ? ASSESSMENT_REFUSAL : POLICY_REFUSAL, L"需要患者身份", MB_ICONWARNING);
        return false;
    }
    return true;
}
