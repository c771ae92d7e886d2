// The patient's last assessment in this user's record on this PC: the tool's record file read
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

// Only the window's thread reads the record (the delivery's thread never
// does); the buffers are too large for its stack.
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

// What the window shows of a row: the assessment's time, the headline
// with its label and unit, the band's words (or the level's) and the
// nurse.
void describe_row(const PreparedTool& tool, const Span* fields, const LocalTime& now, wchar_t* line,
                  int capacity) {
    const int n = tool.input_count;
    const int stamp = 3 + n;  // the record number's column
    // "2026-12-08T09:12:30+08:00" shows as "12-08 09:12" within the year.
    char time[RECORD_TIME_CAPACITY * 4];
    field_value(fields[stamp + RECORD_ASSESSED_COLUMN], time, (int)sizeof time);
    bool sound = strlen(time) >= 16 && time[10] == 'T';
    for (int i = 0; sound && i < 16; i++) sound = i == 4 || i == 7 || i == 10 || i == 13 || is_digit(time[i]);
    wchar_t when[32] = L"--";
    if (sound) {
        time[10] = ' ', time[16] = 0;
        bool this_year = (time[0] - '0') * 1000 + (time[1] - '0') * 100 + (time[2] - '0') * 10 + (time[3] - '0') == now.year;
        wide_from_utf8(this_year ? time + 5 : time, when, 32);
    }

    // "总分 11 分": the headline column with the output's label and unit.
    // An empty column had no value (its verdict withheld it, or it failed):
    // the band's words say what came of it, and no number stands for it.
    wchar_t headline[RESULT_LINE_CAPACITY] = L"";
    wchar_t value[VALUE_TEXT_CAPACITY];
    shown_value(fields[stamp + RECORD_HEADLINE_COLUMN], value, VALUE_TEXT_CAPACITY);
    if (tool.headline_output >= 0 && value[0]) {
        const OutputDef& output = tool.outputs[tool.headline_output];
        text_format_marked(headline, RESULT_LINE_CAPACITY, output.unit[0] ? L"%ls %ls %ls" : L"%ls %ls", output.label,
                           value, output.unit);
    }
    // The verdict's and the level's lines of the result field.
    field_value(fields[2 + n], field_bytes, FIELD_BYTES);
    if (wide_from_utf8(field_bytes, field_text, RECORD_RESULT_LIMIT + 2) < 0) field_text[0] = 0;
    wchar_t band[RECORD_BAND_WORDS_LIMIT + 1] = L"", level[64] = L"";
    const wchar_t verdict_prefix[] = L"结论：";
    const int prefix_length = (int)(sizeof verdict_prefix / sizeof *verdict_prefix) - 1;
    for (wchar_t* p = field_text; *p;) {
        wchar_t* end = wcschr(p, L'\r');
        if (!end) end = p + wcslen(p);
        wchar_t kept = *end;
        *end = 0;
        if (wcsncmp(p, verdict_prefix, (size_t)prefix_length) == 0) record_band_words(p + prefix_length, band, RECORD_BAND_WORDS_LIMIT + 1);
        int found = calc_level_of_line(p);
        if (found >= 0) text_copy(level, 64, verdict_level(found).meaning);
        *end = kept;
        p = end;
        while (*p == L'\r' || *p == L'\n') p++;
    }
    wchar_t nurse[PATIENT_FIELD_CAPACITY + 1];
    shown_value(fields[stamp + 1 + NURSE_NAME], nurse, PATIENT_FIELD_CAPACITY + 1);
    if (!nurse[0]) shown_value(fields[stamp + 1 + NURSE_ID], nurse, PATIENT_FIELD_CAPACITY + 1);

    // Band words that only restate the score ("0 分：…") say nothing the
    // headline does not: the level's words stand instead.
    if (tool.headline_output >= 0 && value[0]) {
        wchar_t restated[RESULT_LINE_CAPACITY];
        text_format(restated, RESULT_LINE_CAPACITY, L"%ls %ls", value, tool.outputs[tool.headline_output].unit);
        if (wcscmp(restated, band) == 0) band[0] = 0;
    }
    text_format(line, capacity, L"上次评估：%ls", when);
    const wchar_t* parts[] = {headline, band[0] ? band : level, nurse};
    for (const wchar_t* part : parts) {
        if (!part[0]) continue;
        text_append(line, capacity, L"\x3000");
        text_append(line, capacity, part);
    }
}

}  // namespace

int record_band_words(const wchar_t* verdict, wchar_t* words, int capacity) {
    int n = 0;
    while (verdict[n] && verdict[n] != L'\xFF08' && verdict[n] != L'\xFF1A' && verdict[n] != L'\xFF0C') n++;
    while (n > 0 && verdict[n - 1] == L' ') n--;
    words[0] = 0;
    if (n == 0 || n > RECORD_BAND_WORDS_LIMIT || n >= capacity) return 0;
    for (int i = 0; i < n; i++) words[i] = verdict[i];
    words[n] = 0;
    return n;
}

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
