// The patient's identity: what a field takes, when a patient is given whole,
// and how the identity is shown, passed on and written into a spreadsheet.
#include "patient/patient.h"

#include "tool/tool.h"

namespace {

const PatientFieldName FIELD_NAMES[PATIENT_FIELD_COUNT] = {
    {L"patient-id", L"住院号"}, {L"patient-name", L"姓名"},   {L"bed", L"床号"},
    {L"ward", L"科室"},         {L"nurse-id", L"护士工号"}, {L"nurse-name", L"护士姓名"},
};

bool is_space(wchar_t c) { return c == L' ' || c == L'\x3000'; }

// C0 and C1 controls and DEL: nothing a name or a number holds, and a tab
// or line break would split the record's row or the page's line.
bool is_control(wchar_t c) { return c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0x2028 || c == 0x2029; }

// The text without the spaces around it: where it starts and how long it is.
const wchar_t* trimmed(const wchar_t* text, int* length) {
    while (is_space(*text)) text++;
    int n = text_length(text);
    while (n > 0 && is_space(text[n - 1])) n--;
    *length = n;
    return text;
}

}  // namespace

const PatientFieldName& patient_field_name(int field) {
    return FIELD_NAMES[field >= 0 && field < PATIENT_FIELD_COUNT ? field : 0];
}

PatientFieldFault patient_field_fault(const wchar_t* text) {
    int length = 0;
    const wchar_t* start = trimmed(text ? text : L"", &length);
    for (int i = 0; i < length; i++)
        if (is_control(start[i])) return PATIENT_FIELD_CONTROL;
    return length > PATIENT_FIELD_LIMIT ? PATIENT_FIELD_TOO_LONG : PATIENT_FIELD_SOUND;
}

int patient_field_fault_text(int field, PatientFieldFault fault, wchar_t* text, int capacity) {
    const wchar_t* label = patient_field_name(field).label;
    if (fault == PATIENT_FIELD_CONTROL) return text_format(text, capacity, L"%ls不得含控制字符（如换行、制表符）", label);
    if (fault == PATIENT_FIELD_TOO_LONG) return text_format(text, capacity, L"%ls最多 %d 个字符", label, PATIENT_FIELD_LIMIT);
    return text_copy(text, capacity, L"");
}

bool patient_set_field(Patient* patient, int field, const wchar_t* text) {
    if (field < 0 || field >= PATIENT_FIELD_COUNT || patient_field_fault(text) != PATIENT_FIELD_SOUND) return false;
    int length = 0;
    const wchar_t* start = trimmed(text ? text : L"", &length);
    for (int i = 0; i < length; i++) patient->fields[field][i] = start[i];
    patient->fields[field][length] = 0;
    return true;
}

PatientState patient_state(const Patient& patient) {
    bool id = patient.fields[PATIENT_ID][0], name = patient.fields[PATIENT_NAME][0];
    if (id && name) return PATIENT_COMPLETE;
    // The nurse is not the patient: a nurse alone is no patient half given.
    for (int f = PATIENT_ID; f <= PATIENT_WARD; f++)
        if (patient.fields[f][0]) return PATIENT_HALF;
    return PATIENT_NONE;
}

int patient_line(const Patient& patient, wchar_t* line, int capacity) {
    const auto& f = patient.fields;
    text_copy(line, capacity, f[PATIENT_NAME]);
    auto part = [&](const wchar_t* format, const wchar_t* value) {
        if (!value[0]) return;
        wchar_t piece[2 * PATIENT_FIELD_CAPACITY];
        text_format(piece, 2 * PATIENT_FIELD_CAPACITY, format, line[0] ? L"\x3000" : L"", value);
        text_append(line, capacity, piece);
    };
    part(L"%ls住院号 %ls", f[PATIENT_ID]);
    part(L"%ls%ls 床", f[PATIENT_BED]);
    part(L"%ls%ls", f[PATIENT_WARD]);
    return text_length(line);
}

// One argument as a Windows program's start-up splits its command line:
// quoted, a double quote escaped with a backslash, and the backslashes
// before a quote (or the closing one) doubled.
int patient_arguments(const Patient& patient, wchar_t* arguments, int capacity) {
    if (capacity < 1) return -1;
    int n = 0;
    bool fits = true;
    auto put = [&](wchar_t c) {
        if (n < capacity - 1) arguments[n++] = c;
        else fits = false;
    };
    for (int field = 0; field < PATIENT_FIELD_COUNT; field++) {
        const wchar_t* value = patient.fields[field];
        if (!value[0]) continue;
        put(L' ');
        put(L'"');
        for (const wchar_t* o = L"--"; *o; o++) put(*o);
        for (const wchar_t* o = FIELD_NAMES[field].option; *o; o++) put(*o);
        put(L'=');
        int backslashes = 0;
        for (const wchar_t* p = value; *p; p++) {
            if (*p == L'\\') {
                backslashes++;
                put(*p);
                continue;
            }
            if (*p == L'"') {
                for (int i = 0; i <= backslashes; i++) put(L'\\');
            }
            backslashes = 0;
            put(*p);
        }
        for (int i = 0; i < backslashes; i++) put(L'\\');
        put(L'"');
    }
    arguments[fits ? n : 0] = 0;
    return fits ? n : -1;
}

bool spreadsheet_formula_start(wchar_t c) {
    return c == L'=' || c == L'+' || c == L'-' || c == L'@' || c == L'\t' || c == L'\r';
}

int spreadsheet_text(const wchar_t* text, wchar_t* cell, int capacity) {
    bool formula = text && spreadsheet_formula_start(text[0]);
    text_copy(cell, capacity, formula ? L"'" : L"");
    return text_append(cell, capacity, text);
}
