// The patient's last assessment on this PC: the tool's record file read
// from its end, a block at a time, until a row of the patient turns up, so
// that a file grown over years answers as fast as a new one for a patient
// seen today.
#include "store/store.h"

#include <string.h>
#include <wchar.h>

namespace {

// A block holds more than any row, so that every row lies whole in the
// block that reaches back to its start.
constexpr int BLOCK_BYTES = 1 << 20;
static_assert(BLOCK_BYTES > 2 * utf8_capacity_for(RECORD_LINE_CAPACITY), "a block holds every row whole");
constexpr int FIELD_BYTES = utf8_capacity_for(RECORD_RESULT_LIMIT + 2);

// The window's one thread reads the record; the buffers are too large for
// its stack.
char block[BLOCK_BYTES];
char field_bytes[FIELD_BYTES];
wchar_t field_text[RECORD_RESULT_LIMIT + 2];

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// Whether `needle` occurs in [p, end).
bool holds(const char* p, const char* end, const char* needle, int length) {
    for (; end - p >= length; p++) {
        p = (const char*)memchr(p, needle[0], (size_t)(end - p - length + 1));
        if (!p) return false;
        if (memcmp(p, needle, (size_t)length) == 0) return true;
    }
    return false;
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

struct Span {
    const char* begin;
    const char* end;
};

// The row's fields, quotes and all, up to `capacity` of them. Returns how
// many it holds.
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

// A field as written: its quotes gone and every doubled quote one again.
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

// A field as the program wrote it from `text`: spreadsheet_text, quotes
// doubled, but not enclosed; what the row's bytes hold somewhere.
int written_form(const wchar_t* text, char* out, int capacity) {
    wchar_t cell[PATIENT_FIELD_CAPACITY + 1];
    spreadsheet_text(text, cell, PATIENT_FIELD_CAPACITY + 1);
    char bytes[utf8_capacity_for(PATIENT_FIELD_CAPACITY + 1)];
    int length = utf8_from_wide(cell, bytes, (int)sizeof bytes);
    int n = 0;
    for (int i = 0; i < length && n < capacity - 2; i++) {
        if (bytes[i] == '"') out[n++] = '"';
        out[n++] = bytes[i];
    }
    out[n] = 0;
    return n;
}

bool field_is(Span field, const wchar_t* text) {
    wchar_t cell[PATIENT_FIELD_CAPACITY + 1];
    spreadsheet_text(text, cell, PATIENT_FIELD_CAPACITY + 1);
    char expected[utf8_capacity_for(PATIENT_FIELD_CAPACITY + 1)];
    int length = utf8_from_wide(cell, expected, (int)sizeof expected);
    char value[utf8_capacity_for(PATIENT_FIELD_CAPACITY + 1) + 1];
    return field_value(field, value, (int)sizeof value) == length && memcmp(value, expected, (size_t)length) == 0;
}

// A field's text as typed, without the apostrophe spreadsheet_text put
// before a formula's sign.
void shown_value(Span field, wchar_t* text, int capacity) {
    field_value(field, field_bytes, FIELD_BYTES);
    if (wide_from_utf8(field_bytes, field_text, RECORD_RESULT_LIMIT + 2) < 0) field_text[0] = 0;
    const wchar_t* start = field_text;
    if (start[0] == L'\'' && spreadsheet_formula_start(start[1])) start++;
    text_copy(text, capacity, start);
}

// What the window shows of a row: its time, the first output's value, the
// verdict's level in words and the nurse.
void describe_row(const PreparedTool& tool, const Span* fields, const LocalTime& now, wchar_t* line,
                  int capacity) {
    const int n = tool.input_count;
    // "2026-12-08 09:12:30" shows as "12-08 09:12" within the year.
    char time[32];
    field_value(fields[0], time, 32);
    time[16] = 0;
    bool this_year = (time[0] - '0') * 1000 + (time[1] - '0') * 100 + (time[2] - '0') * 10 + (time[3] - '0') == now.year;
    wchar_t when[32];
    wide_from_utf8(this_year ? time + 5 : time, when, 32);

    // The first output's line ("总分：14 分"), or a report's first line; and
    // the level's line.
    field_value(fields[2 + n], field_bytes, FIELD_BYTES);
    if (wide_from_utf8(field_bytes, field_text, RECORD_RESULT_LIMIT + 2) < 0) field_text[0] = 0;
    wchar_t first[RESULT_LINE_CAPACITY] = L"", level[64] = L"";
    wchar_t label[RESULT_LINE_CAPACITY];
    text_format(label, RESULT_LINE_CAPACITY, L"%ls：", tool.output_count ? tool.outputs[0].label : L"");
    int label_length = text_length(label);
    for (wchar_t* p = field_text; *p;) {
        wchar_t* end = wcschr(p, L'\r');
        if (!end) end = p + wcslen(p);
        wchar_t kept = *end;
        *end = 0;
        bool first_output = tool.output_count ? wcsncmp(p, label, (size_t)label_length) == 0 : p == field_text;
        if (first_output && !first[0]) text_copy(first, RESULT_LINE_CAPACITY, tool.output_count ? p + label_length : p);
        int found = calc_level_of_line(p);
        if (found >= 0) text_copy(level, 64, verdict_level(found).meaning);
        *end = kept;
        p = end;
        while (*p == L'\r' || *p == L'\n') p++;
    }
    wchar_t nurse[PATIENT_FIELD_CAPACITY + 1];
    shown_value(fields[3 + n + 1 + NURSE_NAME], nurse, PATIENT_FIELD_CAPACITY + 1);
    if (!nurse[0]) shown_value(fields[3 + n + 1 + NURSE_ID], nurse, PATIENT_FIELD_CAPACITY + 1);

    text_format(line, capacity, L"上次评估：%ls", when);
    const wchar_t* parts[] = {first, level, nurse};
    for (const wchar_t* part : parts) {
        if (!part[0]) continue;
        text_append(line, capacity, L"\x3000");
        text_append(line, capacity, part);
    }
}

}  // namespace

bool record_last_assessment(const PreparedTool& tool, const Patient& patient, const LocalTime& now,
                            wchar_t* line, int capacity) {
    text_copy(line, capacity, RECORD_NO_LAST_ASSESSMENT);
    if (patient_state(patient) != PATIENT_COMPLETE) return false;
    wchar_t path[RECORD_PATH_CAPACITY];
    if (record_file_path(tool, path, RECORD_PATH_CAPACITY) != RECORD_SAVED || !platform_calls.file_exists(path))
        return false;

    wchar_t header[RECORD_HEADER_CAPACITY];
    char header_bytes[utf8_capacity_for(RECORD_HEADER_CAPACITY)];
    record_header_line(tool, header, RECORD_HEADER_CAPACITY);
    const int64_t rows_start = 3 + utf8_from_wide(header, header_bytes, (int)sizeof header_bytes);
    char title[utf8_capacity_for(RECORD_TITLE_LIMIT)];
    int title_length = utf8_from_wide(tool.title, title, (int)sizeof title);
    char id[2 * utf8_capacity_for(PATIENT_FIELD_CAPACITY + 1)];
    int id_length = written_form(patient.fields[PATIENT_ID], id, (int)sizeof id);
    if (title_length < 0 || id_length <= 0) return false;

    PlatformStatus status;
    PlatformFile file = platform_calls.open_file(path, PLATFORM_READ_EXISTING, &status);
    if (file == PLATFORM_NO_FILE) return false;
    int64_t end = 0;
    bool found = false;
    if (!platform_calls.file_size(file, &end)) end = 0;
    const int columns = 3 + tool.input_count + RECORD_STAMP_COLUMNS;
    const int id_column = 3 + tool.input_count + 1 + PATIENT_ID;
    const int name_column = 3 + tool.input_count + 1 + PATIENT_NAME;
    while (!found && end > rows_start) {
        int64_t begin = end - BLOCK_BYTES > rows_start ? end - BLOCK_BYTES : rows_start;
        int size = (int)(end - begin), got = 0;
        if (!platform_calls.seek_file(file, begin)) break;
        while (got < size) {
            int n = platform_calls.read_file(file, block + got, size - got);
            if (n <= 0) break;
            got += n;
        }
        if (got < size) break;
        // The rows of the block from its last back; a row cut by the
        // block's start is left for the next block, which ends where it
        // begins.
        const char* row_end = block + size;
        const char* first_start = nullptr;
        for (const char* p = block + size - 1; p >= block && !found; p--) {
            bool starts = p == block ? begin == rows_start : p - block >= 2 && p[-1] == '\n' && p[-2] == '\r';
            if (!starts || !row_begins_at(p, row_end, title, title_length)) continue;
            first_start = p;
            if (holds(p, row_end, id, id_length)) {
                Span fields[3 + TOOL_MAX_INPUTS + RECORD_STAMP_COLUMNS];
                if (split_row(p, row_end, fields, columns) == columns && field_is(fields[id_column], patient.fields[PATIENT_ID]) &&
                    field_is(fields[name_column], patient.fields[PATIENT_NAME])) {
                    describe_row(tool, fields, now, line, capacity);
                    found = true;
                }
            }
            row_end = p;
        }
        if (begin == rows_start) break;
        // No row began in the block: it cannot be a row of this program's.
        end = first_start ? begin + (first_start - block) : begin;
    }
    platform_calls.close_file(file);
    return found;
}
