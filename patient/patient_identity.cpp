// The patient's identity: what a field takes, when a patient is given whole,
// and how the identity is shown, passed on and written into a spreadsheet.
#include "patient/patient.h"

#include "platform/platform.h"
#include "tool/tool.h"

namespace {

const PatientFieldName FIELD_NAMES[PATIENT_FIELD_COUNT] = {
    {L"patient-id", L"住院号", true}, {L"patient-name", L"姓名", false},   {L"bed", L"床号", true},
    {L"ward", L"科室", false},         {L"nurse-id", L"护士工号", true}, {L"nurse-name", L"护士姓名", false},
};

bool is_space(wchar_t c) { return c == L' ' || c == L'\x3000'; }

// C0 and C1 controls and DEL: nothing a name or a number holds, and a tab
// or line break would split the record's row or the page's line.
bool is_control(wchar_t c) { return c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0x2028 || c == 0x2029; }

// Zero-width and direction characters: invisible on the band and the page,
// and a right-to-left override turns the number after it around.
bool is_invisible(wchar_t c) {
    return (c >= 0x200B && c <= 0x200F) || (c >= 0x202A && c <= 0x202E) || (c >= 0x2060 && c <= 0x2069) ||
           c == 0xFEFF;
}

bool is_high_surrogate(wchar_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool is_low_surrogate(wchar_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// The text without the spaces around it: where it starts and how long it is.
const wchar_t* trimmed(const wchar_t* text, int* length) {
    while (is_space(*text)) text++;
    int n = text_length(text);
    while (n > 0 && is_space(text[n - 1])) n--;
    *length = n;
    return text;
}

// The field's value as it is kept, in `kept` (PATIENT_FIELD_CAPACITY), and
// what is wrong with it.
PatientFieldFault field_kept(int field, const wchar_t* text, wchar_t* kept) {
    kept[0] = 0;
    int length = 0;
    const wchar_t* start = trimmed(text ? text : L"", &length);
    for (int i = 0; i < length; i++) {
        wchar_t c = start[i];
        if (is_control(c)) return PATIENT_FIELD_CONTROL;
        if (is_invisible(c)) return PATIENT_FIELD_INVISIBLE;
        bool paired = sizeof(wchar_t) == 2 && ((is_high_surrogate(c) && i + 1 < length && is_low_surrogate(start[i + 1])) ||
                                               (is_low_surrogate(c) && i > 0 && is_high_surrogate(start[i - 1])));
        uint32_t code = (uint32_t)c;  // beyond Unicode only where wchar_t has 32 bits
        if (c == 0xFFFD || ((is_high_surrogate(c) || is_low_surrogate(c)) && !paired) || code > 0x10FFFF)
            return PATIENT_FIELD_UNREADABLE;
    }
    if (length > 4 * PATIENT_FIELD_LIMIT) return PATIENT_FIELD_TOO_LONG;
    wchar_t piece[4 * PATIENT_FIELD_LIMIT + 1];
    for (int i = 0; i < length; i++) piece[i] = start[i];
    piece[length] = 0;
    if (text_nfc(piece, kept, PATIENT_FIELD_CAPACITY) < 0) return PATIENT_FIELD_TOO_LONG;
    if (patient_field_name(field).number)
        for (wchar_t* c = kept; *c; c++)
            if ((*c >= 0xFF10 && *c <= 0xFF19) || (*c >= 0xFF21 && *c <= 0xFF3A) || (*c >= 0xFF41 && *c <= 0xFF5A))
                *c = (wchar_t)(*c - 0xFEE0);
    return PATIENT_FIELD_SOUND;
}

}  // namespace

const PatientFieldName& patient_field_name(int field) {
    return FIELD_NAMES[field >= 0 && field < PATIENT_FIELD_COUNT ? field : 0];
}

PatientFieldFault patient_field_fault(int field, const wchar_t* text) {
    wchar_t kept[PATIENT_FIELD_CAPACITY];
    return field_kept(field, text, kept);
}

int patient_field_fault_text(int field, PatientFieldFault fault, wchar_t* text, int capacity) {
    const wchar_t* label = patient_field_name(field).label;
    switch (fault) {
    case PATIENT_FIELD_CONTROL: return text_format(text, capacity, L"%ls不得含控制字符（如换行、制表符）", label);
    case PATIENT_FIELD_INVISIBLE: return text_format(text, capacity, L"%ls不得含不可见的格式字符或方向控制字符", label);
    case PATIENT_FIELD_UNREADABLE: return text_format(text, capacity, L"%ls含无法识别的字符“\xFFFD”（编码有误）", label);
    case PATIENT_FIELD_TOO_LONG: return text_format(text, capacity, L"%ls最多 %d 个字符", label, PATIENT_FIELD_LIMIT);
    case PATIENT_FIELD_SOUND: break;
    }
    return text_copy(text, capacity, L"");
}

bool patient_set_field(Patient* patient, int field, const wchar_t* text) {
    wchar_t kept[PATIENT_FIELD_CAPACITY];
    if (field < 0 || field >= PATIENT_FIELD_COUNT || field_kept(field, text, kept) != PATIENT_FIELD_SOUND) return false;
    text_copy(patient->fields[field], PATIENT_FIELD_CAPACITY, kept);
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

bool spreadsheet_formula_start(wchar_t c) {
    // Excel reads the full-width signs as their ASCII forms.
    return c == L'=' || c == L'+' || c == L'-' || c == L'@' || c == L'\t' || c == L'\r' || c == L'\n' ||
           c == L'\xFF1D' || c == L'\xFF0B' || c == L'\xFF0D' || c == L'\xFF20';
}

int spreadsheet_text(const wchar_t* text, wchar_t* cell, int capacity) {
    bool formula = text && spreadsheet_formula_start(text[0]);
    text_copy(cell, capacity, formula ? L"'" : L"");
    return text_append(cell, capacity, text);
}
