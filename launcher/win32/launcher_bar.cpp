// The patient bar: the patient and the nurse the next tool opens for, as
// the hospital system gave them, a wristband scanned or typed; the ward and
// the stay go with the patient they came with.
#include <wchar.h>

#include "launcher/win32/launcher_internal.h"

namespace {

// A field's text is read whole into this: one set longer than the field's
// limit (a typed one cannot be) is too long without being read.
constexpr int BAR_TEXT_CAPACITY = 4 * PATIENT_FIELD_CAPACITY;

// What the hospital system gives with a patient besides the two
// identifiers and the bed: another patient's number leaves them behind.
constexpr int STAY_FIELDS[] = {PATIENT_WARD, PATIENT_VISIT_ID, PATIENT_ADMITTED_AT};

// A new hospital number in the bar: the name and bed given with the old
// one, and the ward and stay the hospital system gave, go, so that the two
// identifiers always come from one source. What is typed after it belongs
// to the new number.
void on_bar_changed(int field) {
    LauncherState& s = launcher_state;
    wchar_t number[2 * PATIENT_FIELD_CAPACITY] = L"";
    GetWindowTextW(s.patient_fields[0], number, 2 * PATIENT_FIELD_CAPACITY);
    if (field == PATIENT_ID && wcscmp(number, s.bar_number) != 0) {
        text_copy(s.bar_number, 2 * PATIENT_FIELD_CAPACITY, number);
        for (int k = 1; k < LAUNCHER_PATIENT_FIELDS; k++) SetWindowTextW(s.patient_fields[k], L"");
        for (int f : STAY_FIELDS) s.patient.fields[f][0] = 0;
    }
    text_copy(s.bar_number, 2 * PATIENT_FIELD_CAPACITY, number);
    launcher_tell_opened_tools();
}

}  // namespace

void show_given_patient(const Patient& patient) {
    LauncherState& s = launcher_state;
    s.patient = patient;
    // Name, bed, ward and stay came with this number: setting it clears none.
    text_copy(s.bar_number, 2 * PATIENT_FIELD_CAPACITY, s.patient.fields[PATIENT_ID]);
    for (int k = 0; k < LAUNCHER_BAR_FIELDS; k++)
        SetWindowTextW(s.patient_fields[k], s.patient.fields[BAR_FIELDS[k].field]);
}

bool bar_patient(Patient* patient) {
    const LauncherState& s = launcher_state;
    *patient = s.patient;
    for (int k = 0; k < LAUNCHER_BAR_FIELDS; k++) {
        wchar_t text[BAR_TEXT_CAPACITY] = L"";
        PatientFieldFault fault = PATIENT_FIELD_TOO_LONG;
        if (GetWindowTextLengthW(s.patient_fields[k]) < BAR_TEXT_CAPACITY) {
            GetWindowTextW(s.patient_fields[k], text, BAR_TEXT_CAPACITY);
            fault = patient_field_fault(BAR_FIELDS[k].field, text);
        }
        if (fault != PATIENT_FIELD_SOUND) {
            wchar_t message[128];
            patient_field_fault_text(BAR_FIELDS[k].field, fault, message, 128);
            text_append(message, 128, L"，请改正后再打开工具。");
            launcher_message_box(s.window, message, LAUNCHER_TITLE, MB_OK | MB_ICONWARNING);
            SetFocus(s.patient_fields[k]);
            return false;
        }
        patient_set_field(patient, BAR_FIELDS[k].field, text);
    }
    // The ward and the stay came with the patient the hospital system
    // gave: another patient typed or scanned over it may lie elsewhere.
    if (wcscmp(patient->fields[PATIENT_ID], s.patient.fields[PATIENT_ID]) != 0 ||
        wcscmp(patient->fields[PATIENT_NAME], s.patient.fields[PATIENT_NAME]) != 0)
        for (int field : STAY_FIELDS) patient->fields[field][0] = 0;
    return true;
}

void bar_owner(wchar_t* owner) {
    const LauncherState& s = launcher_state;
    Patient shown = {};
    for (int k = 0; k < 2; k++) {
        wchar_t text[BAR_TEXT_CAPACITY] = L"";
        GetWindowTextW(s.patient_fields[k], text, BAR_TEXT_CAPACITY);
        patient_set_field(&shown, BAR_FIELDS[k].field, text);
    }
    patient_owner(shown, owner, PATIENT_OWNER_CAPACITY);
}

bool on_bar_command(int id, int notification, HWND control) {
    for (int k = 0; k < LAUNCHER_BAR_FIELDS; k++) {
        if (id != BAR_FIELDS[k].id) continue;
        // A field taken by a click or a Tab has its text selected, so
        // that a scan replaces it whole.
        if (notification == EN_SETFOCUS) PostMessageW(control, EM_SETSEL, 0, -1);
        if (notification == EN_CHANGE && k < LAUNCHER_PATIENT_FIELDS) on_bar_changed(BAR_FIELDS[k].field);
        return true;
    }
    return false;
}

void launcher_new_patient() {
    LauncherState& s = launcher_state;
    for (int f = 0; f < PATIENT_FIELD_COUNT; f++)
        if (!patient_field_is_nurse(f)) s.patient.fields[f][0] = 0;
    for (int k = 0; k < LAUNCHER_PATIENT_FIELDS; k++) SetWindowTextW(s.patient_fields[k], L"");
    SetFocus(s.patient_fields[0]);
    launcher_tell_opened_tools();
}

void launcher_new_nurse() {
    LauncherState& s = launcher_state;
    for (int k = LAUNCHER_PATIENT_FIELDS; k < LAUNCHER_BAR_FIELDS; k++) SetWindowTextW(s.patient_fields[k], L"");
    SetFocus(s.patient_fields[LAUNCHER_PATIENT_FIELDS]);
}
