// The ward's list and a patient's course from this Windows user's records
// on this PC: each tool's record files read from their end, a block at a
// time, back to the oldest day asked for. Every version of a tool's file
// is read, each by its own header, so that the rows an earlier version
// wrote still count in the week a new one begins a file of its own.
#include <string.h>
#include <wchar.h>

#include <atomic>

#include "rounds/rounds.h"
#include "rounds/rounds_read.h"
#include "store/store.h"

namespace {

constexpr int64_t DAY = 24 * 3600;
// A block holds more than any row, as the last assessment's reader's does.
constexpr int BLOCK_BYTES = 1 << 20;
static_assert(BLOCK_BYTES > 2 * utf8_capacity_for(RECORD_LINE_CAPACITY), "a block holds every row whole");
constexpr int HEADER_BYTES = utf8_capacity_for(RECORD_HEADER_CAPACITY) + 3;
static_assert(HEADER_BYTES < BLOCK_BYTES, "the header is read into the block");
// Every column the record writes, and some a later version may add.
constexpr int MAX_FIELDS = 3 + TOOL_MAX_INPUTS + RECORD_STAMP_COLUMNS + 8;
constexpr int FIELD_BYTES = utf8_capacity_for(RECORD_RESULT_LIMIT + 2);
constexpr int LINE_CAPACITY = CALC_VERDICT_LINE_CAPACITY;

// One reader at a time: the buffers are too large for a stack.
std::atomic<bool> busy{false};
char block[BLOCK_BYTES];
char field_bytes[FIELD_BYTES];

bool is_digit(char c) { return c >= '0' && c <= '9'; }

struct Span {
    const char* begin;
    const char* end;
};

// The fields of the line at [p, end), quotes and all, up to `capacity`.
int split_row(const char* p, const char* end, Span* fields, int capacity) {
    int count = 0;
    while (p < end && count < capacity) {
        const char* start = p;
        if (*p == '"') {
            for (p++; p < end; p++) {
                if (*p != '"') continue;
                if (p + 1 < end && p[1] == '"') p++;
                else break;
            }
            if (p < end) p++;
        }
        while (p < end && *p != ',' && *p != '\r' && *p != '\n') p++;
        fields[count++] = {start, p};
        if (p >= end || *p != ',') break;
        p++;
    }
    return count;
}

// A field's bytes as written, its quotes gone and every doubled quote one.
int field_value(Span field, char* out, int capacity) {
    const char* p = field.begin;
    const char* end = field.end;
    bool quoted = p < end && *p == '"';
    if (quoted) p++, end--;
    int n = 0;
    for (; p < end && n < capacity - 1; p++) {
        out[n++] = *p;
        if (quoted && *p == '"' && p + 1 < end && p[1] == '"') p++;
    }
    out[n] = 0;
    return n;
}

bool field_is(Span field, const char* text) {
    char value[64];
    int n = field_value(field, value, (int)sizeof value);
    return n == (int)strlen(text) && memcmp(value, text, (size_t)n) == 0;
}

// A field's text as typed: without the apostrophe the record puts before a
// formula's sign. Cut to `capacity`.
void field_text(Span field, wchar_t* text, int capacity) {
    char bytes[utf8_capacity_for(4 * PATIENT_FIELD_LIMIT) + 4];
    field_value(field, bytes, (int)sizeof bytes);
    wchar_t wide[4 * PATIENT_FIELD_LIMIT + 4];
    if (wide_from_utf8(bytes, wide, 4 * PATIENT_FIELD_LIMIT + 4) < 0) wide[0] = 0;
    const wchar_t* start = wide;
    if (start[0] == L'\'' && spreadsheet_formula_start(start[1])) start++;
    text_copy(text, capacity, start);
}

// Where a file's columns lie, read from its header.
struct Layout {
    int stamp;     // 记录编号: the record number's column
    int assessed;  // 评估时间, else 保存时间
    int headline;  // 主要结果, or -1
    int due;       // the due time, or -1
    int stay;      // 就诊号, or -1 (入院时间 follows it)
    int columns;
};

bool read_layout(const char* header, const char* end, Layout* layout) {
    Span fields[MAX_FIELDS];
    int count = split_row(header, end, fields, MAX_FIELDS);
    layout->stamp = -1;
    for (int i = 2; i + 1 < count && layout->stamp < 0; i++)
        if (field_is(fields[i], "结果") && field_is(fields[i + 1], "记录编号")) layout->stamp = i + 1;
    const int s = layout->stamp;
    if (s < 0 || s + 1 + PATIENT_STAMP_FIELDS + 3 > count) return false;
    layout->columns = count;
    const int saved = s + 1 + PATIENT_STAMP_FIELDS + 2;
    layout->stay = count > saved + 2 ? saved + 1 : -1;
    layout->assessed = s + RECORD_ASSESSED_COLUMN < count && field_is(fields[s + RECORD_ASSESSED_COLUMN], "评估时间")
                           ? s + RECORD_ASSESSED_COLUMN
                           : saved;
    layout->headline = s + RECORD_HEADLINE_COLUMN < count && field_is(fields[s + RECORD_HEADLINE_COLUMN], "主要结果")
                           ? s + RECORD_HEADLINE_COLUMN
                           : -1;
    layout->due = layout->headline >= 0 && s + RECORD_DUE_COLUMN < count ? s + RECORD_DUE_COLUMN : -1;
    return true;
}

// A row begins with its time, "YYYY-MM-DD hh:mm:ss", a comma and the title
// (quoted when it holds a comma), which no line of a result field does.
bool row_begins_at(const char* p, const char* end, const char* title, int title_length) {
    const char shape[] = "dddd-dd-dd dd:dd:dd,";
    constexpr int SHAPE = sizeof shape - 1;
    if (end - p < SHAPE + title_length) return false;
    for (int i = 0; i < SHAPE; i++)
        if (shape[i] == 'd' ? !is_digit(p[i]) : p[i] != shape[i]) return false;
    p += SHAPE;
    if (*p == '"') p++;
    return end - p >= title_length && memcmp(p, title, (size_t)title_length) == 0;
}

MomentSeconds moment_of_field(Span field, int utc_offset_minutes) {
    wchar_t text[RECORD_TIME_CAPACITY];
    field_text(field, text, RECORD_TIME_CAPACITY);
    MomentSeconds moment;
    rounds_moment_of_text(text, utc_offset_minutes, &moment);
    return moment;
}

// The verdict's band and the level from the result field's lines
// "结论：…" and "提示等级：…".
void read_result(Span field, RoundsAssessment* a) {
    int n = field_value(field, field_bytes, FIELD_BYTES);
    const char verdict[] = "结论：";
    const char level[] = "提示等级：";
    for (int at = 0; at < n;) {
        int end = at;
        while (end < n && field_bytes[end] != '\r' && field_bytes[end] != '\n') end++;
        bool is_verdict = end - at >= (int)sizeof verdict - 1 && memcmp(field_bytes + at, verdict, sizeof verdict - 1) == 0;
        bool is_level = end - at >= (int)sizeof level - 1 && memcmp(field_bytes + at, level, sizeof level - 1) == 0;
        if ((is_verdict || is_level) && end - at < utf8_capacity_for(LINE_CAPACITY) - 1) {
            char kept = field_bytes[end];
            field_bytes[end] = 0;
            wchar_t line[LINE_CAPACITY];
            if (wide_from_utf8(field_bytes + at, line, LINE_CAPACITY) >= 0) {
                if (is_verdict) record_band_words(line + 3, a->band, ROUNDS_BAND_CAPACITY);
                int found = calc_level_of_line(line);
                if (is_level && found >= 0) a->level = found;
            }
            field_bytes[end] = kept;
        }
        at = end;
        while (at < n && (field_bytes[at] == '\r' || field_bytes[at] == '\n')) at++;
    }
}

// The assessment a row holds. False for a row of no patient.
bool read_row(const ToolDef& tool, const Layout& layout, const Span* fields, int count, int utc_offset_minutes,
              RoundsAssessment* a) {
    if (count <= layout.stamp + 1 + PATIENT_NAME) return false;
    *a = {};
    a->tool_id = tool.id;
    wchar_t text[4 * PATIENT_FIELD_LIMIT + 1];
    for (int f = 0; f < PATIENT_FIELD_COUNT; f++) {
        int column = f < PATIENT_STAMP_FIELDS ? layout.stamp + 1 + f
                     : layout.stay >= 0       ? layout.stay + (f - PATIENT_STAMP_FIELDS)
                                              : -1;
        if (column < 0 || column >= count) continue;
        field_text(fields[column], text, 4 * PATIENT_FIELD_LIMIT + 1);
        if (text[0]) rounds_keep_field(a, f, text);
    }
    if (!a->patient.fields[PATIENT_ID][0] || !a->patient.fields[PATIENT_NAME][0]) return false;
    a->assessed_at = layout.assessed < count ? moment_of_field(fields[layout.assessed], utc_offset_minutes)
                                             : REASSESS_NO_TIME;
    a->due_at = layout.due >= 0 && layout.due < count ? moment_of_field(fields[layout.due], utc_offset_minutes)
                                                      : REASSESS_NO_TIME;
    if (layout.headline >= 0 && layout.headline < count) {
        wchar_t value[VALUE_TEXT_CAPACITY];
        field_text(fields[layout.headline], value, VALUE_TEXT_CAPACITY);
        wchar_t* end = nullptr;
        double v = wcstod(value, &end);
        a->has_value = value[0] && end && !*end && v == v && v - v == 0;
        a->value = a->has_value ? v : 0;
    }
    read_result(fields[layout.stamp - 1], a);
    return a->assessed_at != REASSESS_NO_TIME;
}

// Calls `each` for every row of the tool's record files whose save time
// is not before `since` (a day's leeway for a clock set back), from each
// file's end; `each` returns false to stop.
using Each = bool (*)(const RoundsAssessment& a, void* context);
void read_tool(const ToolDef& tool, MomentSeconds since, int utc_offset_minutes, Each each, void* context) {
    if (!tool.title || tool.id <= 0) return;
    char title[utf8_capacity_for(RECORD_TITLE_LIMIT)];
    int title_length = utf8_from_wide(tool.title, title, (int)sizeof title);
    wchar_t folder[RECORD_PATH_CAPACITY];
    if (title_length <= 0 || store_suite_path(L"records", folder, RECORD_PATH_CAPACITY) < 0) return;
    for (int version = 1; version <= RECORD_FILE_VERSIONS; version++) {
        wchar_t path[RECORD_PATH_CAPACITY];
        int made = version == 1 ? text_format(path, RECORD_PATH_CAPACITY, L"%ls%lcT%03d.csv", folder,
                                              PLATFORM_PATH_SEPARATOR, tool.id)
                                : text_format(path, RECORD_PATH_CAPACITY, L"%ls%lcT%03d-%d.csv", folder,
                                              PLATFORM_PATH_SEPARATOR, tool.id, version);
        if (made < 0 || !platform_calls.file_exists(path)) continue;
        PlatformStatus status;
        PlatformFile file = platform_calls.open_file(path, PLATFORM_READ_EXISTING, &status);
        if (file == PLATFORM_NO_FILE) continue;
        int64_t end = 0;
        if (!platform_calls.file_size(file, &end)) end = 0;
        // The header: the mark, then one line without quoted line breaks.
        int got = platform_calls.read_file(file, block, HEADER_BYTES);
        const char* line_end = got > 3 ? (const char*)memchr(block, '\n', (size_t)got) : nullptr;
        Layout layout;
        bool known = line_end && memcmp(block, "\xEF\xBB\xBF", 3) == 0 && read_layout(block + 3, line_end, &layout);
        const int64_t rows_start = known ? (line_end - block) + 1 : end;
        bool going = true;
        while (going && end > rows_start) {
            int64_t begin = end - BLOCK_BYTES > rows_start ? end - BLOCK_BYTES : rows_start;
            int size = (int)(end - begin);
            got = 0;
            if (!platform_calls.seek_file(file, begin)) break;
            while (got < size) {
                int n = platform_calls.read_file(file, block + got, size - got);
                if (n <= 0) break;
                got += n;
            }
            if (got < size) break;
            // The rows of the block from its last back; one cut by the
            // block's start is left for the next block, which ends where it begins.
            const char* row_end = block + size;
            const char* first_start = nullptr;
            for (const char* p = block + size - 1; p >= block && going; p--) {
                bool starts = p == block ? begin == rows_start : p - block >= 2 && p[-1] == '\n' && p[-2] == '\r';
                if (!starts || !row_begins_at(p, row_end, title, title_length)) continue;
                first_start = p;
                Span fields[MAX_FIELDS];
                int count = split_row(p, row_end, fields, MAX_FIELDS);
                // The save time of the first column, local time: rows are
                // appended as they are saved.
                wchar_t saved_text[24];
                char saved_bytes[24];
                memcpy(saved_bytes, p, 19);
                saved_bytes[19] = 0;
                wide_from_utf8(saved_bytes, saved_text, 24);
                MomentSeconds saved;
                if (rounds_moment_of_text(saved_text, utc_offset_minutes, &saved) && saved < since - DAY) going = false;
                RoundsAssessment a;
                if (going && read_row(tool, layout, fields, count, utc_offset_minutes, &a)) going = each(a, context);
                row_end = p;
            }
            if (begin == rows_start) break;
            // No row began in the block: it cannot be a row of this program's.
            end = first_start ? begin + (first_start - block) : begin;
        }
        platform_calls.close_file(file);
    }
}

bool same_patient(const Patient& a, const Patient& b) {
    return wcscmp(a.fields[PATIENT_ID], b.fields[PATIENT_ID]) == 0 &&
           wcscmp(a.fields[PATIENT_NAME], b.fields[PATIENT_NAME]) == 0;
}

// ---- The list -------------------------------------------------------------------------

struct ListReading {
    RoundsList* list;
    const wchar_t* ward;
    MomentSeconds since;   // the view's days
    MomentSeconds listed;  // the days a patient's assessment puts them on the list
};

bool take_latest(const RoundsAssessment& a, void* context) {
    ListReading& r = *(ListReading*)context;
    RoundsList* list = r.list;
    if (a.assessed_at < r.since || (r.ward[0] && wcscmp(a.patient.fields[PATIENT_WARD], r.ward) != 0)) return true;
    int oldest = -1;
    for (int k = 0; k < list->count; k++) {
        RoundsAssessment& held = list->entries[k].last;
        if (held.tool_id == a.tool_id && same_patient(held.patient, a.patient)) {
            if (a.assessed_at > held.assessed_at) {
                held = a;
                list->entries[k].due_at = a.due_at;
            }
            return true;
        }
        if (oldest < 0 || held.assessed_at < list->entries[oldest].last.assessed_at) oldest = k;
    }
    if (list->count < ROUNDS_LIST_CAPACITY) {
        rounds_list_add(list, a);
        return true;
    }
    // Full: the oldest gives way to a newer one, and the list says it was
    // cut when what gave way would have been listed.
    if (a.assessed_at <= list->entries[oldest].last.assessed_at) {
        list->cut = list->cut || a.assessed_at >= r.listed;
        return true;
    }
    list->cut = list->cut || list->entries[oldest].last.assessed_at >= r.listed;
    list->count--;
    list->entries[oldest] = list->entries[list->count];
    rounds_list_add(list, a);
    return true;
}

// ---- The course -----------------------------------------------------------------------

struct CourseReading {
    const Patient* patient;
    MomentSeconds since;
    MomentSeconds admitted;
    RoundsAssessment* points;
    int capacity;
    int count;
};

bool take_point(const RoundsAssessment& a, void* context) {
    CourseReading& r = *(CourseReading*)context;
    const wchar_t* visit = r.patient->fields[PATIENT_VISIT_ID];
    const wchar_t* row_visit = a.patient.fields[PATIENT_VISIT_ID];
    if (a.assessed_at < r.since || !same_patient(a.patient, *r.patient)) return true;
    if ((visit[0] && row_visit[0] && wcscmp(visit, row_visit) != 0) ||
        (r.admitted != REASSESS_NO_TIME && a.assessed_at < r.admitted))
        return true;
    // Newest first in the buffer; the oldest gives way when it is full.
    int at = r.count;
    if (at == r.capacity) {
        if (a.assessed_at <= r.points[at - 1].assessed_at) return true;
        at--;
    } else {
        r.count++;
    }
    while (at > 0 && r.points[at - 1].assessed_at < a.assessed_at) {
        r.points[at] = r.points[at - 1];
        at--;
    }
    r.points[at] = a;
    return true;
}

}  // namespace

RoundsProblem rounds_read_this_user(const ToolDef* const* tools, int tool_count, const wchar_t* ward,
                                    MomentSeconds now, int utc_offset_minutes, RoundsList* list) {
    wchar_t folder[RECORD_PATH_CAPACITY];
    if (store_suite_path(L"records", folder, RECORD_PATH_CAPACITY) == STORE_NO_DATA_FOLDER) return ROUNDS_NO_DATA_FOLDER;
    if (busy.exchange(true)) return ROUNDS_BUSY;
    rounds_list_begin(list, ROUNDS_THIS_USER, now);
    ListReading reading = {list, ward ? ward : L"", now - ROUNDS_RECENT_DAYS * DAY, now - ROUNDS_ASSESSED_DAYS * DAY};
    for (int k = 0; k < tool_count; k++)
        if (tools[k]) read_tool(*tools[k], reading.since, utc_offset_minutes, take_latest, &reading);
    busy = false;
    rounds_keep_recent_patients(list, reading.listed);
    rounds_list_finish(list, utc_offset_minutes);
    return ROUNDS_READ;
}

// The course from this user's records (rounds_read_course without a connection).
RoundsProblem rounds_read_course_this_user(const ToolDef& tool, const Patient& patient, MomentSeconds now,
                                           int utc_offset_minutes, RoundsAssessment* points, int capacity,
                                           int* count) {
    *count = 0;
    if (capacity <= 0 || patient_state(patient) != PATIENT_COMPLETE) return ROUNDS_READ;
    wchar_t folder[RECORD_PATH_CAPACITY];
    if (store_suite_path(L"records", folder, RECORD_PATH_CAPACITY) == STORE_NO_DATA_FOLDER) return ROUNDS_NO_DATA_FOLDER;
    if (busy.exchange(true)) return ROUNDS_BUSY;
    CourseReading reading = {&patient, now - ROUNDS_RECENT_DAYS * DAY, REASSESS_NO_TIME, points, capacity, 0};
    wchar_t admitted[PATIENT_FIELD_CAPACITY];
    if (patient_admission_time(patient.fields[PATIENT_ADMITTED_AT], utc_offset_minutes, admitted, PATIENT_FIELD_CAPACITY))
        rounds_moment_of_text(admitted, utc_offset_minutes, &reading.admitted);
    read_tool(tool, reading.since, utc_offset_minutes, take_point, &reading);
    busy = false;
    // Oldest first.
    for (int i = 0, j = reading.count - 1; i < j; i++, j--) {
        RoundsAssessment t = points[i];
        points[i] = points[j];
        points[j] = t;
    }
    *count = reading.count;
    return ROUNDS_READ;
}
