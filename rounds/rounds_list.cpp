// The ward's list once read: the shift, each row's due state, the rows an
// admission still needs, and the order a nurse reads them in.
#include "rounds/rounds.h"

#include <wchar.h>

#include "rounds/rounds_read.h"
#include "store/store.h"

#include <algorithm>

namespace {

constexpr int64_t HOUR = 3600;
constexpr int64_t DAY = 24 * HOUR;

bool is_digit(wchar_t c) { return c >= L'0' && c <= L'9'; }

// Reads exactly `count` digits at *p.
bool digits(const wchar_t*& p, int count, int* value) {
    *value = 0;
    for (int i = 0; i < count; i++, p++) {
        if (!is_digit(*p)) return false;
        *value = *value * 10 + (*p - L'0');
    }
    return true;
}

bool same_patient(const Patient& a, const Patient& b) {
    return wcscmp(a.fields[PATIENT_ID], b.fields[PATIENT_ID]) == 0 &&
           wcscmp(a.fields[PATIENT_NAME], b.fields[PATIENT_NAME]) == 0;
}

// Beds as a ward numbers them: "2" before "10", "加3" after "加2".
int compare_beds(const wchar_t* a, const wchar_t* b) {
    while (*a && *b) {
        if (is_digit(*a) && is_digit(*b)) {
            while (*a == L'0') a++;
            while (*b == L'0') b++;
            int la = 0, lb = 0;
            while (is_digit(a[la])) la++;
            while (is_digit(b[lb])) lb++;
            if (la != lb) return la < lb ? -1 : 1;
            for (int i = 0; i < la; i++)
                if (a[i] != b[i]) return a[i] < b[i] ? -1 : 1;
            a += la, b += lb;
            continue;
        }
        if (*a != *b) return *a < *b ? -1 : 1;
        a++, b++;
    }
    return *a ? 1 : *b ? -1 : 0;
}

bool before(const RoundsEntry& x, const RoundsEntry& y) {
    bool xt = x.due_at != REASSESS_NO_TIME, yt = y.due_at != REASSESS_NO_TIME;
    if (xt != yt) return xt;
    if (xt && x.due_at != y.due_at) return x.due_at < y.due_at;
    const Patient& p = x.last.patient;
    const Patient& q = y.last.patient;
    if (int c = compare_beds(p.fields[PATIENT_BED], q.fields[PATIENT_BED])) return c < 0;
    if (int c = wcscmp(p.fields[PATIENT_ID], q.fields[PATIENT_ID])) return c < 0;
    if (int c = wcscmp(p.fields[PATIENT_NAME], q.fields[PATIENT_NAME])) return c < 0;
    if (x.last.tool_id != y.last.tool_id) return x.last.tool_id < y.last.tool_id;
    return x.last.assessed_at < y.last.assessed_at;
}

}  // namespace

MomentSeconds rounds_shift_end(MomentSeconds now, int utc_offset_minutes) {
    LocalTime local = reassess_local(now, utc_offset_minutes);
    int64_t into_day = (int64_t)local.hour * HOUR + local.minute * 60 + local.second;
    int64_t end = into_day < 8 * HOUR ? 8 * HOUR : into_day < 16 * HOUR ? 16 * HOUR : DAY;
    return now + (end - into_day);
}

RoundsDue rounds_due_state(MomentSeconds due_at, MomentSeconds now, int utc_offset_minutes) {
    if (due_at == REASSESS_NO_TIME) return ROUNDS_EVENTS_ONLY;
    if (due_at <= now) return ROUNDS_OVERDUE;
    return due_at <= rounds_shift_end(now, utc_offset_minutes) ? ROUNDS_DUE_IN_SHIFT : ROUNDS_DUE_LATER;
}

bool rounds_moment_of_text(const wchar_t* text, int utc_offset_minutes, MomentSeconds* moment) {
    *moment = REASSESS_NO_TIME;
    if (!text) return false;
    const wchar_t* p = text;
    LocalTime t = {};
    if (!digits(p, 4, &t.year) || *p++ != L'-' || !digits(p, 2, &t.month) || *p++ != L'-' || !digits(p, 2, &t.day))
        return false;
    if (*p != L'T' && *p != L' ') return false;
    p++;
    if (!digits(p, 2, &t.hour) || *p++ != L':' || !digits(p, 2, &t.minute)) return false;
    if (*p == L':') {
        p++;
        if (!digits(p, 2, &t.second)) return false;
        if (*p == L'.')
            for (p++; is_digit(*p); p++) {
            }
    }
    if (*p == L' ') p++;
    t.utc_offset_minutes = utc_offset_minutes;
    if (*p == L'Z') {
        t.utc_offset_minutes = 0;
        p++;
    } else if (*p == L'+' || *p == L'-') {
        int sign = *p++ == L'-' ? -1 : 1, hours, minutes = 0;
        if (!digits(p, 2, &hours)) return false;
        if (*p == L':') p++;
        if (*p && !digits(p, 2, &minutes)) return false;
        if (hours > 14 || minutes > 59) return false;
        t.utc_offset_minutes = sign * (hours * 60 + minutes);
    }
    if (*p) return false;
    static const int MONTH_DAYS[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    bool leap = (t.year % 4 == 0 && t.year % 100 != 0) || t.year % 400 == 0;
    if (t.month < 1 || t.month > 12 || t.day < 1 || t.day > MONTH_DAYS[t.month - 1] + (t.month == 2 && leap) ||
        t.hour > 23 || t.minute > 59 || t.second > 60)
        return false;
    *moment = reassess_moment(t);
    return true;
}

int rounds_moment_text(MomentSeconds moment, int utc_offset_minutes, wchar_t* text, int capacity) {
    if (moment == REASSESS_NO_TIME) return text_copy(text, capacity, L"");
    return record_time_text(reassess_local(moment, utc_offset_minutes), text, capacity);
}

bool rounds_admission_scales(const wchar_t* text, RoundsAdmissionScales* scales) {
    *scales = {};
    bool whole = true;
    int group = 0, number = -1, digits_read = 0;
    // Each scale's number closes at "/", "," or the end; a group at "," or the end.
    for (const wchar_t* p = text ? text : L"";; p++) {
        wchar_t c = *p;
        if (is_digit(c)) {
            number = (number < 0 ? 0 : number) * 10 + (c - L'0');
            if (++digits_read > 3) number = 1000;
            continue;
        }
        if (c == L' ') continue;
        bool closes = c == L'/' || c == L',' || c == 0;
        if (!closes) {
            whole = false;
            number = 1000;  // "1x8" is no scale
            continue;
        }
        if (number >= 1 && number <= 999 && group < ROUNDS_ADMISSION_GROUPS &&
            scales->tool_count[group] < ROUNDS_GROUP_TOOLS) {
            scales->tools[group][scales->tool_count[group]++] = number;
        } else if (number >= 0 || c == L'/') {
            whole = false;
        }
        number = -1, digits_read = 0;
        if (c != L'/' && group < ROUNDS_ADMISSION_GROUPS && scales->tool_count[group] > 0) group++;
        if (c == 0) break;
    }
    scales->group_count = group;
    return whole;
}

void rounds_list_begin(RoundsList* list, RoundsSource source, MomentSeconds read_at) {
    list->source = source;
    list->read_at = read_at;
    list->count = 0;
    list->cut = false;
}

bool rounds_list_add(RoundsList* list, const RoundsAssessment& latest) {
    if (list->count >= ROUNDS_LIST_CAPACITY) {
        list->cut = true;
        return false;
    }
    RoundsEntry& entry = list->entries[list->count++];
    entry.last = latest;
    entry.admission_missing = false;
    entry.admission_tool_count = 0;
    entry.due_at = latest.due_at;
    entry.due = ROUNDS_EVENTS_ONLY;
    return true;
}

void rounds_list_add_stay(RoundsList* list, const Patient& patient, MomentSeconds admitted,
                          const RoundsAdmissionScales& scales) {
    // A scale the admission needs stays on the list until it is done: due
    // at admission + 24 h, and overdue after, however long ago that was.
    const bool known = admitted != REASSESS_NO_TIME;
    bool listed = false;
    for (int k = 0; k < list->count; k++) listed = listed || same_patient(list->entries[k].last.patient, patient);
    RoundsAssessment missing = {};
    missing.patient = patient;
    missing.assessed_at = REASSESS_NO_TIME;
    for (int g = 0; known && g < scales.group_count; g++) {
        bool done = false;
        for (int k = 0; k < list->count && !done; k++) {
            const RoundsEntry& e = list->entries[k];
            if (e.admission_missing || !same_patient(e.last.patient, patient) || e.last.assessed_at < admitted) continue;
            for (int t = 0; t < scales.tool_count[g]; t++) done = done || e.last.tool_id == scales.tools[g][t];
        }
        if (done) continue;
        missing.tool_id = scales.tools[g][0];
        missing.due_at = admitted + ROUNDS_ADMISSION_HOURS * HOUR;
        if (!rounds_list_add(list, missing)) return;
        RoundsEntry& entry = list->entries[list->count - 1];
        entry.admission_missing = true;
        entry.admission_tool_count = scales.tool_count[g];
        for (int t = 0; t < scales.tool_count[g]; t++) entry.admission_tools[t] = scales.tools[g][t];
        listed = true;
    }
    if (listed) return;
    missing.tool_id = 0;
    missing.due_at = REASSESS_NO_TIME;
    rounds_list_add(list, missing);
}

void rounds_list_finish(RoundsList* list, int utc_offset_minutes) {
    for (int k = 0; k < list->count; k++) {
        RoundsEntry& e = list->entries[k];
        e.due = rounds_due_state(e.due_at, list->read_at, utc_offset_minutes);
    }
    std::sort(list->entries, list->entries + list->count, before);
}

// ---- What both readers share --------------------------------------------------------

void rounds_keep_field(RoundsAssessment* assessment, int field, const wchar_t* text) {
    if (patient_set_field(&assessment->patient, field, text)) return;
    // Kept as far as it can be shown, and known as unsound: a name the
    // hospital system pads or a row a broken PC sent is still somebody.
    assessment->unsound = true;
    wchar_t* kept = assessment->patient.fields[field];
    while (*text == L' ') text++;
    int n = 0;
    for (; *text && n < PATIENT_FIELD_LIMIT; text++) {
        uint32_t c = (uint32_t)*text;
        bool hidden = c < 0x20 || (c >= 0x7F && c <= 0x9F) || (c >= 0x200B && c <= 0x200F) ||
                      (c >= 0x202A && c <= 0x202E) || (c >= 0x2060 && c <= 0x206F) || c == 0xFEFF ||
                      (c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF;
        kept[n++] = hidden ? L'\xFFFD' : *text;
    }
    while (n > 0 && kept[n - 1] == L' ') n--;
    if (*text && n > 0) kept[n - 1] = TEXT_CUT_MARK;
    kept[n] = 0;
}

bool rounds_tool_listed(const ToolDef* const* tools, int tool_count, int tool_id) {
    if (!tools) return tool_id > 0;
    for (int k = 0; k < tool_count; k++)
        if (tools[k] && tools[k]->id == tool_id) return true;
    return false;
}

void rounds_keep_recent_patients(RoundsList* list, MomentSeconds since) {
    int kept = 0;
    for (int k = 0; k < list->count; k++) {
        bool recent = false;
        for (int j = 0; j < list->count && !recent; j++)
            recent = same_patient(list->entries[j].last.patient, list->entries[k].last.patient) &&
                     list->entries[j].last.assessed_at != REASSESS_NO_TIME &&
                     list->entries[j].last.assessed_at >= since;
        if (!recent) continue;
        if (kept != k) list->entries[kept] = list->entries[k];
        kept++;
    }
    list->count = kept;
}
