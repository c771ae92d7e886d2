// The patient's identity: what a field takes, when a patient is given whole,
// and how the identity is shown, passed on and written into a spreadsheet.
#include "patient/patient.h"

#include "platform/platform.h"
#include "tool/tool.h"

namespace {

const PatientFieldName FIELD_NAMES[PATIENT_FIELD_COUNT] = {
    {L"patient-id", L"住院号", true}, {L"patient-name", L"姓名", false},   {L"bed", L"床号", true},
    {L"ward", L"科室", false},         {L"nurse-id", L"护士工号", true}, {L"nurse-name", L"护士姓名", false},
    {L"visit-id", L"就诊号", true},     {L"admitted-at", L"入院时间", true},
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
    wchar_t time[PATIENT_FIELD_CAPACITY];
    if (field == PATIENT_ADMITTED_AT && !patient_admission_time(kept, 0, time, PATIENT_FIELD_CAPACITY))
        return PATIENT_FIELD_NOT_A_TIME;
    return PATIENT_FIELD_SOUND;
}

bool is_digit(wchar_t c) { return c >= L'0' && c <= L'9'; }

// Reads `count` digits at *p into *value, moving past them.
bool digits(const wchar_t** p, int count, int* value) {
    *value = 0;
    for (int i = 0; i < count; i++, (*p)++) {
        if (!is_digit(**p)) return false;
        *value = *value * 10 + (**p - L'0');
    }
    return true;
}

// Skips `c` at *p; whether it was there.
bool skip(const wchar_t** p, wchar_t c) {
    if (**p != c) return false;
    (*p)++;
    return true;
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
    case PATIENT_FIELD_NOT_A_TIME:
        return text_format(text, capacity, L"%ls须为“年-月-日T时:分”格式（如 2026-12-08T09:30）", label);
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

bool patient_admission_time(const wchar_t* text, int utc_offset_minutes, wchar_t* time, int capacity) {
    text_copy(time, capacity, L"");
    if (!text[0]) return true;
    const wchar_t* p = text;
    int year, month, day, hour = 0, minute = 0, second = 0;
    // The basic form ("20261208T0930") or the extended one, never mixed.
    bool extended = text_length(text) > 4 && text[4] == L'-';
    if (!digits(&p, 4, &year) || (extended && !skip(&p, L'-')) || !digits(&p, 2, &month) ||
        (extended && !skip(&p, L'-')) || !digits(&p, 2, &day))
        return false;
    if (skip(&p, L'T') || skip(&p, L' ')) {
        if (!digits(&p, 2, &hour) || (extended && !skip(&p, L':')) || !digits(&p, 2, &minute)) return false;
        if ((extended ? skip(&p, L':') : is_digit(*p)) && !digits(&p, 2, &second)) return false;
    }
    int offset = utc_offset_minutes;
    if (skip(&p, L'Z')) {
        offset = 0;
    } else if (*p == L'+' || *p == L'-') {
        int sign = *p++ == L'-' ? -1 : 1, oh, om = 0;
        if (!digits(&p, 2, &oh) || (*p && ((extended && !skip(&p, L':')) || !digits(&p, 2, &om))) || oh > 14 || om > 59)
            return false;
        offset = sign * (oh * 60 + om);
    }
    if (*p) return false;
    // A day the month has: 2026-02-30 is no admission.
    static const int MONTH_DAYS[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12 || hour > 23 || minute > 59 || second > 59) return false;
    bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    if (day < 1 || day > MONTH_DAYS[month - 1] + (month == 2 && leap)) return false;
    int magnitude = offset < 0 ? -offset : offset;
    return text_format(time, capacity, L"%04d-%02d-%02d %02d:%02d:%02d%lc%02d:%02d", year, month, day, hour, minute,
                       second, offset < 0 ? L'-' : L'+', magnitude / 60, magnitude % 60) >= 0;
}

PatientState patient_state(const Patient& patient) {
    bool id = patient.fields[PATIENT_ID][0], name = patient.fields[PATIENT_NAME][0];
    if (id && name) return PATIENT_COMPLETE;
    // The nurse is not the patient: a nurse alone is no patient half given.
    for (int f = 0; f < PATIENT_FIELD_COUNT; f++)
        if (!patient_field_is_nurse(f) && patient.fields[f][0]) return PATIENT_HALF;
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

int patient_owner(const Patient& patient, wchar_t* text, int capacity) {
    if (patient_state(patient) != PATIENT_COMPLETE) return text_copy(text, capacity, L"");
    return text_format(text, capacity, L"%ls（%ls）", patient.fields[PATIENT_NAME], patient.fields[PATIENT_ID]);
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
