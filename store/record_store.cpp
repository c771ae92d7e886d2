// The record store: a running CSV log of saved calculations, one file per tool.
#include "store/store.h"

#include <wchar.h>

namespace {

constexpr int COLUMN_LIMIT = 127;  // a header column without its comma

bool needs_quotes(const wchar_t* field, int length) {
    for (int i = 0; i < length; i++)
        if (field[i] == L',' || field[i] == L'"' || field[i] == L'\r' || field[i] == L'\n') return true;
    return false;
}

// Appends a comma and `field`, quoted the standard CSV way when it holds a
// comma, a quote or a line break. A field longer than `limit` keeps limit - 1
// characters and the cut mark. The line is sized so that nothing else is cut.
void append_field(wchar_t* line, int capacity, const wchar_t* field, int limit) {
    int length = text_length(field);
    bool cut = length > limit;
    int kept = cut ? limit - 1 : length;
    bool quoted = needs_quotes(field, kept);
    int n = text_length(line);
    auto put = [&](wchar_t c) {
        if (n < capacity - 1) line[n++] = c;
    };
    put(L',');
    if (quoted) put(L'"');
    for (int i = 0; i < kept; i++) {
        if (field[i] == L'"') put(L'"');
        put(field[i]);
    }
    if (cut) put(TEXT_CUT_MARK);
    if (quoted) put(L'"');
    line[n] = 0;
}

// Converts a line to UTF-8, with the byte-order mark in front when asked.
int line_bytes(const wchar_t* line, bool mark, char* bytes, int capacity) {
    int offset = 0;
    if (mark) {
        bytes[0] = (char)0xEF, bytes[1] = (char)0xBB, bytes[2] = (char)0xBF;
        offset = 3;
    }
    int n = utf8_from_wide(line, bytes + offset, capacity - offset);
    return n < 0 ? -1 : n + offset;
}

// Creates the folder and every missing folder above it. Failures are left to
// show when the file is written.
void create_folder_chain(wchar_t* path) {
    // From the fourth character on, so a drive's root ("C:\") is never cut.
    for (int i = 3; path[i]; i++) {
        if (path[i] != PLATFORM_PATH_SEPARATOR) continue;
        path[i] = 0;
        platform_calls.create_directory(path);
        path[i] = PLATFORM_PATH_SEPARATOR;
    }
    platform_calls.create_directory(path);
}

}  // namespace

int record_header_line(const PreparedTool& tool, wchar_t* line, int capacity) {
    text_copy(line, capacity, L"时间,工具");
    for (int i = 0; i < tool.input_count; i++) append_field(line, capacity, tool.inputs[i].label, COLUMN_LIMIT);
    text_append(line, capacity, L",结果\r\n");
    return text_length(line);
}

int record_row_line(const PreparedTool& tool, const double* input_values, const wchar_t* result,
                    const LocalTime& time, wchar_t* line, int capacity) {
    text_format(line, capacity, L"%04d-%02d-%02d %02d:%02d:%02d", time.year, time.month, time.day,
                time.hour, time.minute, time.second);
    append_field(line, capacity, tool.title, RECORD_TITLE_LIMIT);
    for (int i = 0; i < tool.input_count; i++) {
        wchar_t field[RECORD_INPUT_FIELD_LIMIT + 1];
        text_format_marked(field, RECORD_INPUT_FIELD_LIMIT + 1, L"%ls=%g", tool.inputs[i].label,
                           input_values[i]);
        append_field(line, capacity, field, RECORD_INPUT_FIELD_LIMIT);
    }
    append_field(line, capacity, result, RECORD_RESULT_LIMIT);
    text_append(line, capacity, L"\r\n");
    return text_length(line);
}

int record_result_field(const Calculation& calculation, wchar_t* field, int capacity) {
    wchar_t verdict[CALC_VERDICT_LINE_CAPACITY], level[CALC_VERDICT_LINE_CAPACITY];
    calc_verdict_line(calculation, verdict, CALC_VERDICT_LINE_CAPACITY);
    calc_level_line(calculation, level, CALC_VERDICT_LINE_CAPACITY);
    return text_format(field, capacity, L"%ls%ls\r\n%ls\r\n", calculation.text, verdict, level);
}

int store_suite_path(const wchar_t* name, wchar_t* path, int capacity) {
    wchar_t base[RECORD_PATH_CAPACITY];
    const wchar_t sep = PLATFORM_PATH_SEPARATOR;
    bool known = platform_calls.user_data_folder(base, RECORD_PATH_CAPACITY);
    if (!known) text_copy(base, RECORD_PATH_CAPACITY, PLATFORM_USER_DATA_FOLDER_NAME);
    int n = *name ? text_format(path, capacity, L"%ls%lc" STORE_SUITE_FOLDER L"%lc%ls", base, sep, sep, name)
                  : text_format(path, capacity, L"%ls%lc" STORE_SUITE_FOLDER, base, sep);
    if (!known) return STORE_NO_DATA_FOLDER;
    return n < 0 ? STORE_PATH_TOO_LONG : n;
}

RecordOutcome record_save(const PreparedTool& tool, const Calculation& calculation, wchar_t* where,
                          int where_capacity) {
    wchar_t folder[RECORD_PATH_CAPACITY];
    wchar_t path[RECORD_PATH_CAPACITY];
    int made = store_suite_path(L"records", folder, RECORD_PATH_CAPACITY);
    if (made == STORE_NO_DATA_FOLDER) {
        text_copy(where, where_capacity, folder);
        return RECORD_NO_DATA_FOLDER;
    }
    int cut = made < 0 ? -1
                       : text_format(path, RECORD_PATH_CAPACITY, L"%ls%lcT%03d.csv", folder, PLATFORM_PATH_SEPARATOR,
                                     tool.id);
    text_copy(where, where_capacity, cut >= 0 ? path : folder);
    if (cut < 0) return RECORD_NOT_WRITTEN;  // a cut path would name another file
    create_folder_chain(folder);

    wchar_t line[RECORD_LINE_CAPACITY];
    char bytes[utf8_capacity_for(RECORD_LINE_CAPACITY) + 3];

    // Whoever creates the file writes the mark and the header, once, at its
    // start; everybody else only appends rows.
    if (!platform_calls.file_exists(path)) {
        record_header_line(tool, line, RECORD_LINE_CAPACITY);
        int n = line_bytes(line, true, bytes, (int)sizeof bytes);
        if (n > 0) platform_publish_new_file(path, bytes, n);
    }
    LocalTime now;
    platform_calls.local_time(&now);
    wchar_t result[RECORD_RESULT_LIMIT + 1];
    record_result_field(calculation, result, RECORD_RESULT_LIMIT + 1);
    record_row_line(tool, calculation.inputs, result, now, line, RECORD_LINE_CAPACITY);
    int n = line_bytes(line, false, bytes, (int)sizeof bytes);
    if (n < 0) return RECORD_NOT_WRITTEN;
    switch (platform_append_to_file(path, bytes, n)) {
    case PLATFORM_DONE: return RECORD_SAVED;
    case PLATFORM_IN_USE: return RECORD_FILE_IN_USE;
    default: return RECORD_NOT_WRITTEN;
    }
}
