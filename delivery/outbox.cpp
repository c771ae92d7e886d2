// The outbox: what a saved result sends, one file per result, written
// whole, claimed by one program before it is sent, removed once the
// database has committed it.
#include "delivery/delivery.h"

#include <math.h>
#include <string.h>
#include <wchar.h>

#include "glyvant_version.h"

namespace {

const char* const COLUMNS[DELIVERY_TEXT_COUNT] = {
    "record_id", "saved_at",     "tool_title", "program_version", "computer", "windows_user",
    "nurse_id",  "nurse_name",   "patient_id", "patient_name",    "bed",      "ward",
    "inputs",    "outputs",      "verdict",    "level_words",     "result_text",
};
const char TOOL_ID[] = "tool_id", LEVEL[] = "level", FIRST_VALUE[] = "first_value";
const wchar_t ROW_SUFFIX[] = L".row";
constexpr int PASS_FILES = 256;

int outbox_path(const wchar_t* name, wchar_t* path, int capacity) {
    wchar_t folder[RECORD_PATH_CAPACITY];
    if (store_suite_path(L"outbox", folder, RECORD_PATH_CAPACITY) < 0) return -1;
    if (!*name) return text_copy(path, capacity, folder);
    return text_format(path, capacity, L"%ls%lc%ls", folder, PLATFORM_PATH_SEPARATOR, name);
}

// One "column=value" line, the value's backslashes and line breaks escaped.
int put_line(char* bytes, int at, int capacity, const char* column, const wchar_t* value) {
    static thread_local char utf8[utf8_capacity_for(DELIVERY_TEXT_CAPACITY)];
    if (utf8_from_wide(value, utf8, (int)sizeof utf8) < 0) return -1;
    int n = at;
    auto put = [&](char c) {
        if (n < capacity - 1) bytes[n++] = c;
        else n = capacity;
    };
    for (const char* c = column; *c; c++) put(*c);
    put('=');
    for (const char* c = utf8; *c; c++) {
        if (*c == '\\' || *c == '\r' || *c == '\n') {
            put('\\');
            put(*c == '\r' ? 'r' : *c == '\n' ? 'n' : '\\');
        } else {
            put(*c);
        }
    }
    put('\n');
    return n >= capacity ? -1 : n;
}

bool same(const char* a, int length, const char* b) { return (int)strlen(b) == length && memcmp(a, b, (size_t)length) == 0; }

// The line's value with its escapes undone, into `value` (UTF-8).
bool unescape(const char* p, const char* end, char* value, int capacity) {
    int n = 0;
    for (; p < end && n < capacity - 1; p++) {
        if (*p != '\\') {
            value[n++] = *p;
            continue;
        }
        if (++p >= end) return false;
        value[n++] = *p == 'r' ? '\r' : *p == 'n' ? '\n' : *p == '\\' ? '\\' : 0;
        if (!value[n - 1]) return false;
    }
    value[n] = 0;
    return p == end;
}

}  // namespace

const char* delivery_column(int text) {
    if (text == DELIVERY_TEXT_COUNT) return TOOL_ID;
    if (text == DELIVERY_TEXT_COUNT + 1) return LEVEL;
    if (text == DELIVERY_TEXT_COUNT + 2) return FIRST_VALUE;
    return text >= 0 && text < DELIVERY_TEXT_COUNT ? COLUMNS[text] : "";
}

void delivery_row_of(const PreparedTool& tool, const Calculation& calculation, const RecordStamp& stamp,
                     DeliveryRow* row) {
    auto& t = row->texts;
    text_copy(t[DELIVERY_RECORD_ID], DELIVERY_TEXT_CAPACITY, stamp.number);
    // The same time text as the record row's last column.
    static thread_local wchar_t line[RECORD_LINE_CAPACITY];
    record_row_line(tool, calculation.inputs, L"", stamp, line, RECORD_LINE_CAPACITY);
    const wchar_t* last_comma = wcsrchr(line, L',');
    text_copy(t[DELIVERY_SAVED_AT], DELIVERY_TEXT_CAPACITY, last_comma ? last_comma + 1 : L"");
    wchar_t* end = wcschr(t[DELIVERY_SAVED_AT], L'\r');
    if (end) *end = 0;
    text_copy(t[DELIVERY_TOOL_TITLE], DELIVERY_TEXT_CAPACITY, tool.title);
    text_copy(t[DELIVERY_PROGRAM_VERSION], DELIVERY_TEXT_CAPACITY, L"" GLYVANT_VERSION_TEXT);
    text_copy(t[DELIVERY_COMPUTER], DELIVERY_TEXT_CAPACITY, stamp.computer);
    text_copy(t[DELIVERY_WINDOWS_USER], DELIVERY_TEXT_CAPACITY, stamp.user);
    const int from_patient[][2] = {{DELIVERY_NURSE_ID, NURSE_ID},     {DELIVERY_NURSE_NAME, NURSE_NAME},
                                   {DELIVERY_PATIENT_ID, PATIENT_ID}, {DELIVERY_PATIENT_NAME, PATIENT_NAME},
                                   {DELIVERY_BED, PATIENT_BED},       {DELIVERY_WARD, PATIENT_WARD}};
    for (const auto& f : from_patient) text_copy(t[f[0]], DELIVERY_TEXT_CAPACITY, stamp.patient.fields[f[1]]);
    t[DELIVERY_INPUTS][0] = 0;
    for (int i = 0; i < tool.input_count; i++) {
        wchar_t field[RECORD_INPUT_FIELD_LIMIT + 3];
        text_format_marked(field, RECORD_INPUT_FIELD_LIMIT + 1, L"%ls=%g", tool.inputs[i].label, calculation.inputs[i]);
        if (i) text_append(t[DELIVERY_INPUTS], DELIVERY_TEXT_CAPACITY, L"\r\n");
        text_append(t[DELIVERY_INPUTS], DELIVERY_TEXT_CAPACITY, field);
    }
    t[DELIVERY_OUTPUTS][0] = 0;
    for (int i = 0; tool.report_kind == REPORT_NONE && i < tool.output_count; i++) {
        const OutputDef& output = tool.outputs[i];
        wchar_t value[VALUE_TEXT_CAPACITY], field[RESULT_LINE_CAPACITY];
        format_value(output.format, calculation.output_values[i], value, VALUE_TEXT_CAPACITY);
        text_format_marked(field, RESULT_LINE_CAPACITY, *output.unit ? L"%ls=%ls %ls" : L"%ls=%ls", output.label, value,
                           output.unit);
        if (i) text_append(t[DELIVERY_OUTPUTS], DELIVERY_TEXT_CAPACITY, L"\r\n");
        text_append(t[DELIVERY_OUTPUTS], DELIVERY_TEXT_CAPACITY, field);
    }
    text_copy(t[DELIVERY_VERDICT], DELIVERY_TEXT_CAPACITY, calculation.verdict);
    text_copy(t[DELIVERY_LEVEL_WORDS], DELIVERY_TEXT_CAPACITY, verdict_level(calculation.level).meaning);
    record_copy_text(tool, calculation, stamp.patient, t[DELIVERY_RESULT_TEXT], DELIVERY_TEXT_CAPACITY);
    row->tool_id = tool.id;
    row->level = calculation.level;
    const bool formulas = tool.report_kind == REPORT_NONE && tool.output_count > 0;
    row->first_value = formulas && isfinite(calculation.output_values[0]) ? calculation.output_values[0] : NAN;
}

int delivery_file_text(const DeliveryRow& row, char* bytes, int capacity) {
    int n = 0;
    for (int text = 0; text < DELIVERY_TEXT_COUNT && n >= 0; text++)
        n = put_line(bytes, n, capacity, COLUMNS[text], row.texts[text]);
    wchar_t numbers[3][64];
    text_format(numbers[0], 64, L"%d", row.tool_id);
    text_format(numbers[1], 64, L"%d", row.level);
    // Seventeen digits give the double back exactly; NaN stands for NULL.
    text_format(numbers[2], 64, isfinite(row.first_value) ? L"%.17g" : L"", row.first_value);
    const char* names[] = {TOOL_ID, LEVEL, FIRST_VALUE};
    for (int k = 0; k < 3 && n >= 0; k++) n = put_line(bytes, n, capacity, names[k], numbers[k]);
    if (n >= 0) bytes[n] = 0;
    return n;
}

bool delivery_read_file_text(const char* bytes, int length, DeliveryRow* row) {
    static thread_local char value[utf8_capacity_for(DELIVERY_TEXT_CAPACITY)];
    bool seen[DELIVERY_TEXT_COUNT + 3] = {};
    const char* end = bytes + length;
    for (const char* p = bytes; p < end;) {
        const char* line_end = (const char*)memchr(p, '\n', (size_t)(end - p));
        if (!line_end) return false;
        const char* equals = (const char*)memchr(p, '=', (size_t)(line_end - p));
        if (!equals || !unescape(equals + 1, line_end, value, (int)sizeof value)) return false;
        int column = -1;
        for (int k = 0; k < DELIVERY_TEXT_COUNT + 3 && column < 0; k++)
            if (same(p, (int)(equals - p), delivery_column(k))) column = k;
        if (column < 0 || seen[column]) return false;
        seen[column] = true;
        if (column < DELIVERY_TEXT_COUNT) {
            if (wide_from_utf8(value, row->texts[column], DELIVERY_TEXT_CAPACITY) < 0) return false;
        } else if (column == DELIVERY_TEXT_COUNT + 2) {
            row->first_value = value[0] ? strtod(value, nullptr) : NAN;
        } else {
            (column == DELIVERY_TEXT_COUNT ? row->tool_id : row->level) = atoi(value);
        }
        p = line_end + 1;
    }
    for (bool s : seen)
        if (!s) return false;
    return true;
}

bool delivery_queue(const DeliveryRow& row) {
    // Without a record number (the system gave no randomness) a row could
    // not be told from another: it is not sent.
    if (!row.texts[DELIVERY_RECORD_ID][0]) return false;
    wchar_t folder[RECORD_PATH_CAPACITY], path[RECORD_PATH_CAPACITY], name[PLATFORM_NAME_CAPACITY];
    if (outbox_path(L"", folder, RECORD_PATH_CAPACITY) < 0) return false;
    platform_calls.create_directory(folder);
    text_format(name, PLATFORM_NAME_CAPACITY, L"%ls%ls", row.texts[DELIVERY_RECORD_ID], ROW_SUFFIX);
    if (outbox_path(name, path, RECORD_PATH_CAPACITY) < 0) return false;
    static thread_local char bytes[DELIVERY_FILE_BYTES];
    int n = delivery_file_text(row, bytes, DELIVERY_FILE_BYTES);
    return n > 0 && platform_publish_new_file(path, bytes, n);
}

int delivery_waiting() {
    wchar_t folder[RECORD_PATH_CAPACITY];
    if (outbox_path(L"", folder, RECORD_PATH_CAPACITY) < 0) return 0;
    static thread_local wchar_t names[PASS_FILES][PLATFORM_NAME_CAPACITY];
    int rows = platform_calls.list_folder(folder, ROW_SUFFIX, names, PASS_FILES);
    // A claimed file ends with the claiming program's id.
    int claimed = 0;
    static thread_local wchar_t all[PASS_FILES][PLATFORM_NAME_CAPACITY];
    int any = platform_calls.list_folder(folder, L"", all, PASS_FILES);
    for (int k = 0; k < any; k++) {
        size_t length = wcslen(all[k]);
        bool writing = length > 4 && wcscmp(all[k] + length - 4, L".new") == 0;  // not a row yet
        if (wcsstr(all[k], L".row.") && !writing) claimed++;
    }
    return (rows > 0 ? rows : 0) + claimed;
}
