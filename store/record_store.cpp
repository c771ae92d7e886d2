// The record store: a running CSV log of saved calculations, one file per tool.
#include "store/store.h"

#include <math.h>
#include <string.h>
#include <wchar.h>

namespace {


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

enum Beginning { BEGINS_WITH, BEGINS_OTHERWISE, HELD_BY_ANOTHER, UNREADABLE };

// Whether the file at `path` begins with `bytes`: a record file with this
// header, or one an earlier version began with a header of its own.
Beginning file_begins_with(const wchar_t* path, const char* bytes, int count) {
    PlatformStatus status;
    PlatformFile file = platform_calls.open_file(path, PLATFORM_READ_EXISTING, &status);
    if (file == PLATFORM_NO_FILE) return status == PLATFORM_IN_USE ? HELD_BY_ANOTHER : UNREADABLE;
    char part[4096];
    int compared = 0, n = 1;
    bool same = true;
    while (same && compared < count) {
        int wanted = count - compared < (int)sizeof part ? count - compared : (int)sizeof part;
        n = platform_calls.read_file(file, part, wanted);
        same = n > 0 && memcmp(part, bytes + compared, (size_t)n) == 0;
        compared += n > 0 ? n : 0;
    }
    platform_calls.close_file(file);
    // A file shorter than the header began otherwise; one that cannot be
    // read (a folder of its name) is not passed over for the next name.
    if (n < 0) return UNREADABLE;
    return same ? BEGINS_WITH : BEGINS_OTHERWISE;
}

}  // namespace

int record_header_line(const PreparedTool& tool, wchar_t* line, int capacity) {
    text_copy(line, capacity, L"时间,工具");
    for (int i = 0; i < tool.input_count; i++) append_field(line, capacity, tool.inputs[i].label, RECORD_COLUMN_LIMIT);
    text_append(line, capacity, L",结果,记录编号");
    for (int field = 0; field < PATIENT_STAMP_FIELDS; field++)
        append_field(line, capacity, patient_field_name(field).label, RECORD_COLUMN_LIMIT);
    text_append(line, capacity, L",Windows 用户,计算机名,保存时间");
    for (int field = PATIENT_STAMP_FIELDS; field < PATIENT_FIELD_COUNT; field++)
        append_field(line, capacity, patient_field_name(field).label, RECORD_COLUMN_LIMIT);
    text_append(line, capacity, L",评估时间,主要结果,下次评估\r\n");
    return text_length(line);
}

int record_time_text(const LocalTime& time, wchar_t* text, int capacity) {
    int offset = time.utc_offset_minutes < 0 ? -time.utc_offset_minutes : time.utc_offset_minutes;
    return text_format(text, capacity, L"%04d-%02d-%02dT%02d:%02d:%02d%lc%02d:%02d", time.year, time.month, time.day,
                       time.hour, time.minute, time.second, time.utc_offset_minutes < 0 ? L'-' : L'+', offset / 60,
                       offset % 60);
}

int record_input_text(const PreparedTool& tool, int input, double value, wchar_t* text, int capacity) {
    return text_format_marked(text, capacity < RECORD_INPUT_FIELD_LIMIT + 1 ? capacity : RECORD_INPUT_FIELD_LIMIT + 1,
                              L"%ls=%g", tool.inputs[input].label, value);
}

int record_row_line(const PreparedTool& tool, const double* input_values, const wchar_t* result,
                    const RecordStamp& stamp, wchar_t* line, int capacity) {
    const LocalTime& time = stamp.time;
    text_format(line, capacity, L"%04d-%02d-%02d %02d:%02d:%02d", time.year, time.month, time.day,
                time.hour, time.minute, time.second);
    append_field(line, capacity, tool.title, RECORD_TITLE_LIMIT);
    for (int i = 0; i < tool.input_count; i++) {
        wchar_t field[RECORD_INPUT_FIELD_LIMIT + 1];
        record_input_text(tool, i, input_values[i], field, RECORD_INPUT_FIELD_LIMIT + 1);
        append_field(line, capacity, field, RECORD_INPUT_FIELD_LIMIT);
    }
    append_field(line, capacity, result, RECORD_RESULT_LIMIT);
    append_field(line, capacity, stamp.number, RECORD_NUMBER_CAPACITY);
    // Names and numbers from outside are data: never a formula in a
    // spreadsheet, whatever they begin with.
    wchar_t cell[RECORD_NAME_CAPACITY + 1];
    auto patient_field = [&](int field) {
        spreadsheet_text(stamp.patient.fields[field], cell, RECORD_NAME_CAPACITY + 1);
        append_field(line, capacity, cell, PATIENT_FIELD_CAPACITY);
    };
    for (int field = 0; field < PATIENT_STAMP_FIELDS; field++) patient_field(field);
    spreadsheet_text(stamp.user, cell, RECORD_NAME_CAPACITY + 1);
    append_field(line, capacity, cell, RECORD_NAME_CAPACITY);
    spreadsheet_text(stamp.computer, cell, RECORD_NAME_CAPACITY + 1);
    append_field(line, capacity, cell, RECORD_NAME_CAPACITY);
    wchar_t when[RECORD_TIME_CAPACITY];
    record_time_text(time, when, RECORD_TIME_CAPACITY);
    append_field(line, capacity, when, RECORD_TIME_CAPACITY);
    for (int field = PATIENT_STAMP_FIELDS; field < PATIENT_FIELD_COUNT; field++) patient_field(field);
    record_time_text(stamp.assessed, when, RECORD_TIME_CAPACITY);
    append_field(line, capacity, when, RECORD_TIME_CAPACITY);
    append_field(line, capacity, stamp.headline, VALUE_TEXT_CAPACITY);
    if (stamp.has_due) record_time_text(stamp.due, when, RECORD_TIME_CAPACITY);
    else when[0] = 0;
    append_field(line, capacity, when, RECORD_TIME_CAPACITY);
    text_append(line, capacity, L"\r\n");
    return text_length(line);
}

bool record_headline_value(const PreparedTool& tool, const Calculation& calculation, wchar_t* text, int capacity) {
    text_copy(text, capacity, L"");
    int j = tool.headline_output;
    if (j < 0 || !isfinite(calculation.output_values[j])) return false;
    format_value(tool.outputs[j].format, calculation.output_values[j], text, capacity);
    return true;
}

void record_stamp_now(const Patient& patient, RecordStamp* stamp) {
    // A version 4 UUID: random but for its version and variant bits. Should
    // the system give no randomness, the number is left empty rather than
    // one that may repeat.
    unsigned char b[16];
    stamp->number[0] = 0;
    if (platform_calls.random_bytes(b, 16)) {
        b[6] = (unsigned char)((b[6] & 0x0F) | 0x40);
        b[8] = (unsigned char)((b[8] & 0x3F) | 0x80);
        text_format(stamp->number, RECORD_NUMBER_CAPACITY,
                    L"%02x%02x%02x%02x-%02x%02x-%02x%02x-%02x%02x-%02x%02x%02x%02x%02x%02x", b[0], b[1], b[2],
                    b[3], b[4], b[5], b[6], b[7], b[8], b[9], b[10], b[11], b[12], b[13], b[14], b[15]);
    }
    stamp->patient = patient;
    platform_calls.user_name(stamp->user, RECORD_NAME_CAPACITY);
    platform_calls.computer_name(stamp->computer, RECORD_NAME_CAPACITY);
    platform_calls.local_time(&stamp->time);
    stamp->assessed = stamp->time;
    stamp->headline[0] = 0;
    stamp->has_due = false;
    stamp->due = stamp->time;
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

int store_suite_folder(const wchar_t* name, wchar_t* path, int capacity) {
    int n = store_suite_path(name, path, capacity);
    if (n > 0) create_folder_chain(path);
    return n;
}

RecordOutcome record_file_path(const PreparedTool& tool, wchar_t* path, int capacity) {
    wchar_t folder[RECORD_PATH_CAPACITY];
    int made = store_suite_path(L"records", folder, RECORD_PATH_CAPACITY);
    text_copy(path, capacity, folder);
    if (made == STORE_NO_DATA_FOLDER) return RECORD_NO_DATA_FOLDER;
    if (made < 0) return RECORD_NOT_WRITTEN;
    wchar_t header[RECORD_HEADER_CAPACITY];
    char expected[utf8_capacity_for(RECORD_HEADER_CAPACITY) + 3];
    record_header_line(tool, header, RECORD_HEADER_CAPACITY);
    int length = line_bytes(header, true, expected, (int)sizeof expected);
    for (int version = 1; version <= RECORD_FILE_VERSIONS; version++) {
        wchar_t name[32];
        text_format(name, 32, version == 1 ? L"T%03d.csv" : L"T%03d-%d.csv", tool.id, version);
        // A cut path would name another file.
        if (text_format(path, capacity, L"%ls%lc%ls", folder, PLATFORM_PATH_SEPARATOR, name) < 0) break;
        if (!platform_calls.file_exists(path)) return RECORD_SAVED;
        switch (file_begins_with(path, expected, length)) {
        case BEGINS_WITH: return RECORD_SAVED;
        case BEGINS_OTHERWISE: continue;
        case HELD_BY_ANOTHER: return RECORD_FILE_IN_USE;
        case UNREADABLE: return RECORD_NOT_WRITTEN;
        }
    }
    text_copy(path, capacity, folder);
    return RECORD_NOT_WRITTEN;
}

int record_copy_text(const PreparedTool& tool, const Calculation& calculation, const Patient& patient,
                     wchar_t* text, int capacity) {
    wchar_t line[4 * PATIENT_FIELD_CAPACITY + 2] = L"";
    if (patient_line(patient, line, 4 * PATIENT_FIELD_CAPACITY)) text_append(line, 4 * PATIENT_FIELD_CAPACITY + 2, L"\r\n");
    if (tool.report_kind == REPORT_NONE)
        return text_format(text, capacity, L"%ls%ls\r\n%ls—— %ls", line, tool.title, calculation.text,
                           calculation.verdict);
    return text_format(text, capacity, L"%ls%ls\r\n%ls", line, tool.title, calculation.text);
}

RecordOutcome record_save(const PreparedTool& tool, const Calculation& calculation, const Patient& patient,
                          wchar_t* where, int where_capacity, RecordStamp* saved_stamp, const LocalTime* assessed,
                          const LocalTime* due) {
    wchar_t path[RECORD_PATH_CAPACITY];
    RecordOutcome found = record_file_path(tool, path, RECORD_PATH_CAPACITY);
    text_copy(where, where_capacity, path);
    if (found != RECORD_SAVED) return found;
    wchar_t folder[RECORD_PATH_CAPACITY];
    store_suite_folder(L"records", folder, RECORD_PATH_CAPACITY);

    wchar_t line[RECORD_LINE_CAPACITY];
    char bytes[utf8_capacity_for(RECORD_LINE_CAPACITY) + 3];

    // Whoever creates the file writes the mark and the header, once, at its
    // start; everybody else only appends rows.
    if (!platform_calls.file_exists(path)) {
        record_header_line(tool, line, RECORD_LINE_CAPACITY);
        int n = line_bytes(line, true, bytes, (int)sizeof bytes);
        if (n > 0) platform_publish_new_file(path, bytes, n);
    }
    RecordStamp own_stamp;
    RecordStamp& stamp = saved_stamp ? *saved_stamp : own_stamp;
    record_stamp_now(patient, &stamp);
    if (assessed) stamp.assessed = *assessed;
    if (due) stamp.has_due = true, stamp.due = *due;
    record_headline_value(tool, calculation, stamp.headline, VALUE_TEXT_CAPACITY);
    wchar_t result[RECORD_RESULT_LIMIT + 1];
    record_result_field(calculation, result, RECORD_RESULT_LIMIT + 1);
    record_row_line(tool, calculation.inputs, result, stamp, line, RECORD_LINE_CAPACITY);
    int n = line_bytes(line, false, bytes, (int)sizeof bytes);
    if (n < 0) return RECORD_NOT_WRITTEN;
    switch (platform_append_to_file(path, bytes, n)) {
    case PLATFORM_DONE: return RECORD_SAVED;
    case PLATFORM_IN_USE: return RECORD_FILE_IN_USE;
    default: return RECORD_NOT_WRITTEN;
    }
}
