// The outbox: what a saved result sends, one file per result, written
// whole, claimed by one program before it is sent, removed once the
// database has committed it.
#include "delivery/delivery.h"

#include <math.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>
#include <wchar.h>

#include "delivery/outbox_files.h"
#include "glyvant_version.h"

namespace {

const char* const COLUMNS[DELIVERY_TEXT_COUNT] = {
    "record_id", "saved_at",     "tool_title", "program_version", "computer", "windows_user",
    "nurse_id",  "nurse_name",   "patient_id", "patient_name",    "bed",      "ward",
    "inputs",    "outputs",      "verdict",    "level_words",     "result_text",  "visit_id",
    "admitted_at", "assessed_at", "due_at",
};
const char TOOL_ID[] = "tool_id", LEVEL[] = "level", HEADLINE_VALUE[] = "headline_value", FORMAT[] = "format";
// What the headline's place held in the files of the formats before: the
// first output's value, which is not sent as the headline's.
const char FIRST_VALUE[] = "first_value";
// The texts the earlier formats had: the first two's, those before the
// stay's; the third's, those before the due time.
constexpr int FORMAT_2_TEXTS = DELIVERY_VISIT_ID;
constexpr int FORMAT_3_TEXTS = DELIVERY_DUE_AT;

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
    if (text == DELIVERY_TEXT_COUNT + 2) return HEADLINE_VALUE;
    return text >= 0 && text < DELIVERY_TEXT_COUNT ? COLUMNS[text] : "";
}

void delivery_row_of(const PreparedTool& tool, const Calculation& calculation, const RecordStamp& stamp,
                     DeliveryRow* row) {
    auto& t = row->texts;
    text_copy(t[DELIVERY_RECORD_ID], DELIVERY_TEXT_CAPACITY, stamp.number);
    record_time_text(stamp.time, t[DELIVERY_SAVED_AT], DELIVERY_TEXT_CAPACITY);
    text_copy(t[DELIVERY_TOOL_TITLE], DELIVERY_TEXT_CAPACITY, tool.title);
    text_copy(t[DELIVERY_PROGRAM_VERSION], DELIVERY_TEXT_CAPACITY, L"" GLYVANT_VERSION_TEXT);
    text_copy(t[DELIVERY_COMPUTER], DELIVERY_TEXT_CAPACITY, stamp.computer);
    text_copy(t[DELIVERY_WINDOWS_USER], DELIVERY_TEXT_CAPACITY, stamp.user);
    const int from_patient[][2] = {{DELIVERY_NURSE_ID, NURSE_ID},     {DELIVERY_NURSE_NAME, NURSE_NAME},
                                   {DELIVERY_PATIENT_ID, PATIENT_ID}, {DELIVERY_PATIENT_NAME, PATIENT_NAME},
                                   {DELIVERY_BED, PATIENT_BED},       {DELIVERY_WARD, PATIENT_WARD}};
    for (const auto& f : from_patient) text_copy(t[f[0]], DELIVERY_TEXT_CAPACITY, stamp.patient.fields[f[1]]);
    text_copy(t[DELIVERY_VISIT_ID], DELIVERY_TEXT_CAPACITY, stamp.patient.fields[PATIENT_VISIT_ID]);
    patient_admission_time(stamp.patient.fields[PATIENT_ADMITTED_AT], stamp.time.utc_offset_minutes,
                           t[DELIVERY_ADMITTED_AT], DELIVERY_TEXT_CAPACITY);
    record_time_text(stamp.assessed, t[DELIVERY_ASSESSED_AT], DELIVERY_TEXT_CAPACITY);
    if (stamp.has_due) record_time_text(stamp.due, t[DELIVERY_DUE_AT], DELIVERY_TEXT_CAPACITY);
    else t[DELIVERY_DUE_AT][0] = 0;
    t[DELIVERY_INPUTS][0] = 0;
    for (int i = 0; i < tool.input_count; i++) {
        wchar_t field[RECORD_INPUT_FIELD_LIMIT + 3];
        record_input_text(tool, i, calculation.inputs[i], field, RECORD_INPUT_FIELD_LIMIT + 1);
        if (i) text_append(t[DELIVERY_INPUTS], DELIVERY_TEXT_CAPACITY, L"\r\n");
        text_append(t[DELIVERY_INPUTS], DELIVERY_TEXT_CAPACITY, field);
    }
    t[DELIVERY_OUTPUTS][0] = 0;
    for (int i = 0; tool.report_kind == REPORT_NONE && i < tool.output_count; i++) {
        wchar_t value[RESULT_LINE_CAPACITY], field[RESULT_LINE_CAPACITY];
        calc_output_text(tool, calculation, i, value, RESULT_LINE_CAPACITY);
        text_format_marked(field, RESULT_LINE_CAPACITY, L"%ls=%ls", tool.outputs[i].label, value);
        if (i) text_append(t[DELIVERY_OUTPUTS], DELIVERY_TEXT_CAPACITY, L"\r\n");
        text_append(t[DELIVERY_OUTPUTS], DELIVERY_TEXT_CAPACITY, field);
    }
    text_copy(t[DELIVERY_VERDICT], DELIVERY_TEXT_CAPACITY, calculation.verdict);
    text_copy(t[DELIVERY_LEVEL_WORDS], DELIVERY_TEXT_CAPACITY, verdict_level(calculation.level).meaning);
    record_copy_text(tool, calculation, stamp.patient, t[DELIVERY_RESULT_TEXT], DELIVERY_TEXT_CAPACITY);
    row->tool_id = tool.id;
    row->level = calculation.level;
    const int headline = tool.headline_output;
    row->headline_value = headline >= 0 && isfinite(calculation.output_values[headline])
                              ? calculation.output_values[headline]
                              : NAN;
}

int delivery_file_text(const DeliveryRow& row, char* bytes, int capacity) {
    wchar_t format[16];
    text_format(format, 16, L"%d", DELIVERY_FILE_FORMAT);
    int n = put_line(bytes, 0, capacity, FORMAT, format);
    for (int text = 0; text < DELIVERY_TEXT_COUNT && n >= 0; text++)
        n = put_line(bytes, n, capacity, COLUMNS[text], row.texts[text]);
    wchar_t numbers[3][64];
    text_format(numbers[0], 64, L"%d", row.tool_id);
    text_format(numbers[1], 64, L"%d", row.level);
    // Seventeen digits give the double back exactly; NaN stands for NULL.
    text_format(numbers[2], 64, isfinite(row.headline_value) ? L"%.17g" : L"", row.headline_value);
    const char* names[] = {TOOL_ID, LEVEL, HEADLINE_VALUE};
    for (int k = 0; k < 3 && n >= 0; k++) n = put_line(bytes, n, capacity, names[k], numbers[k]);
    if (n >= 0) bytes[n] = 0;
    return n;
}

bool delivery_read_file_text(const char* bytes, int length, DeliveryRow* row) {
    static thread_local char value[utf8_capacity_for(DELIVERY_TEXT_CAPACITY)];
    bool seen[DELIVERY_TEXT_COUNT + 3] = {};
    const char* end = bytes + length;
    const char* p = bytes;
    // The first format has no format line; a later one this version does
    // not know may mean its columns otherwise.
    static_assert(DELIVERY_FILE_FORMAT == 4, "the reader knows the format it writes");
    int format = 1;
    if (length >= 7 && memcmp(p, "format=", 7) == 0) {
        if (length < 9 || p[7] < '2' || p[7] > '4' || p[8] != '\n') return false;
        format = p[7] - '0';
        p += 9;
    }
    // Before the third format, the headline's place held the first output.
    const bool earlier = format < 3;
    const int texts = format < 3 ? FORMAT_2_TEXTS : format == 3 ? FORMAT_3_TEXTS : DELIVERY_TEXT_COUNT;
    for (int k = FORMAT_2_TEXTS; k < DELIVERY_TEXT_COUNT; k++) row->texts[k][0] = 0;
    row->headline_value = NAN;
    while (p < end) {
        const char* line_end = (const char*)memchr(p, '\n', (size_t)(end - p));
        if (!line_end) return false;
        const char* equals = (const char*)memchr(p, '=', (size_t)(line_end - p));
        if (!equals || !unescape(equals + 1, line_end, value, (int)sizeof value)) return false;
        const int name_length = (int)(equals - p);
        int column = -1;
        for (int k = 0; k < DELIVERY_TEXT_COUNT + 3 && column < 0; k++) {
            bool known = k < texts || k >= DELIVERY_TEXT_COUNT;
            const char* name = earlier && k == DELIVERY_TEXT_COUNT + 2 ? FIRST_VALUE : delivery_column(k);
            if (known && same(p, name_length, name)) column = k;
        }
        if (column < 0 || seen[column]) return false;
        seen[column] = true;
        if (column < DELIVERY_TEXT_COUNT) {
            if (wide_from_utf8(value, row->texts[column], DELIVERY_TEXT_CAPACITY) < 0) return false;
        } else if (column == DELIVERY_TEXT_COUNT + 2) {
            char* number_end = value;
            // A number or nothing (NULL): an infinity is no value a tool
            // shows, and would not be written back as itself.
            double number = value[0] ? strtod(value, &number_end) : NAN;
            if (*number_end || (value[0] && !isfinite(number))) return false;
            if (!earlier) row->headline_value = number;
        } else {
            char* number_end = value;
            // Sixty-four bits on every platform: Windows' long would clamp
            // a number beyond its 32 to the largest that fits.
            long long number = strtoll(value, &number_end, 10);
            if (!value[0] || *number_end || number < -2147483647LL || number > 2147483647LL) return false;
            (column == DELIVERY_TEXT_COUNT ? row->tool_id : row->level) = (int)number;
        }
        p = line_end + 1;
    }
    for (int k = 0; k < DELIVERY_TEXT_COUNT + 3; k++)
        if (!seen[k] && !(k >= texts && k < DELIVERY_TEXT_COUNT)) return false;
    return true;
}

bool delivery_queue(const DeliveryRow& row) {
    // Without a record number (the system gave no randomness) a row could
    // not be told from another: it is not sent.
    if (!row.texts[DELIVERY_RECORD_ID][0]) return false;
    wchar_t folder[RECORD_PATH_CAPACITY], path[RECORD_PATH_CAPACITY];
    if (store_suite_folder(DELIVERY_OUTBOX_FOLDER, folder, RECORD_PATH_CAPACITY) < 0 ||
        outbox_file_path(DELIVERY_OUTBOX_FOLDER, row.texts[DELIVERY_RECORD_ID], OUTBOX_ROW_SUFFIX, path) < 0)
        return false;
    static thread_local char bytes[DELIVERY_FILE_BYTES];
    int n = delivery_file_text(row, bytes, DELIVERY_FILE_BYTES);
    return n > 0 && platform_publish_new_file(path, bytes, n);
}

// ---- Names ----------------------------------------------------------------------

int outbox_file_path(const wchar_t* folder_name, const wchar_t* record, const wchar_t* suffix, wchar_t* path) {
    wchar_t folder[RECORD_PATH_CAPACITY];
    if (store_suite_path(folder_name, folder, RECORD_PATH_CAPACITY) < 0) return -1;
    if (!*record) return text_copy(path, RECORD_PATH_CAPACITY, folder);
    return text_format(path, RECORD_PATH_CAPACITY, L"%ls%lc%ls%ls", folder, PLATFORM_PATH_SEPARATOR, record, suffix);
}

bool outbox_name_read(const wchar_t* name, OutboxName* read) {
    *read = {};
    const wchar_t* row = wcsstr(name, OUTBOX_ROW_SUFFIX);
    int record_length = row ? (int)(row - name) : 0;
    if (!row || record_length == 0 || record_length >= RECORD_NUMBER_CAPACITY) return false;
    for (int i = 0; i < record_length; i++) read->record[i] = name[i];
    read->record[record_length] = 0;
    const wchar_t* rest = row + 4;
    if (!*rest) {
        read->kind = OUTBOX_WAITING;
        return true;
    }
    if (*rest != L'.' || rest[1] < L'0' || rest[1] > L'9') return false;
    wchar_t* after = nullptr;
    read->process = wcstoul(rest + 1, &after, 10);
    if (*after == L'-') {  // "<process>-<start>": a claim
        const wchar_t* start = after + 1;
        if (*start < L'0' || *start > L'9') return false;
        read->started = wcstoull(start, &after, 10);
        if (*after) return false;
        read->kind = OUTBOX_CLAIMED;
        read->started_known = true;
        return true;
    }
    if (!*after) {  // "<process>": a claim of the first format's programs
        read->kind = OUTBOX_CLAIMED;
        return true;
    }
    if (wcscmp(after, PLATFORM_PRIVATE_SUFFIX) == 0) {  // being written under its private name
        read->kind = OUTBOX_WRITING;
        return true;
    }
    return false;
}

bool outbox_writer_alive(const OutboxName& name) {
    uint64_t started = 0;
    if (!platform_calls.process_start_time(name.process, &started)) return false;
    return !name.started_known || started == name.started;
}

// A row is written in milliseconds: a private file minutes old was left by
// a crash, even when the id in its name is another process's now.
constexpr int64_t OUTBOX_WRITE_SECONDS = 300;

bool outbox_left_behind(const OutboxName& name, int64_t written) {
    return platform_calls.file_clock() - written > OUTBOX_WRITE_SECONDS * PLATFORM_TICKS_PER_SECOND ||
           !outbox_writer_alive(name);
}

int outbox_claim_name(const wchar_t* record, wchar_t* name, int capacity) {
    unsigned long self = platform_calls.process_id();
    uint64_t started = 0;
    platform_calls.process_start_time(self, &started);
    return text_format(name, capacity, L"%ls%ls.%lu-%llu", record, OUTBOX_ROW_SUFFIX, self, (unsigned long long)started);
}

// ---- What lies there --------------------------------------------------------------

namespace {

struct Tally {
    DeliveryCounts* counts;
    int64_t newest_reason;
    wchar_t newest[PLATFORM_NAME_CAPACITY];
};

// A crash's file is waiting too: the next pass sends it or sets it aside.
void tally_outbox(const wchar_t* name, int64_t written, void* context) {
    OutboxName read;
    if (outbox_name_read(name, &read) && (read.kind != OUTBOX_WRITING || outbox_left_behind(read, written)))
        ((Tally*)context)->counts->waiting++;
}

// The length of `name` without `suffix`, or 0 when it does not end so.
size_t without_suffix(const wchar_t* name, const wchar_t* suffix) {
    const size_t length = wcslen(name), n = wcslen(suffix);
    return length > n && wcscmp(name + length - n, suffix) == 0 ? length - n : 0;
}

void tally_rejected(const wchar_t* name, int64_t written, void* context) {
    Tally& tally = *(Tally*)context;
    OutboxName read;
    if (outbox_name_read(name, &read) && read.kind == OUTBOX_WAITING) tally.counts->rejected++;
    if (without_suffix(name, OUTBOX_REASON_SUFFIX) && written >= tally.newest_reason) {
        tally.newest_reason = written;
        text_copy(tally.newest, PLATFORM_NAME_CAPACITY, name);
    }
    // A broken file is told apart from the rows refused, while it lies there.
    wchar_t record[RECORD_NUMBER_CAPACITY], row[RECORD_PATH_CAPACITY];
    const size_t length = without_suffix(name, OUTBOX_BROKEN_SUFFIX);
    if (length && length < RECORD_NUMBER_CAPACITY) {
        text_copy(record, (int)length + 1, name);
        if (outbox_file_path(DELIVERY_REJECTED_FOLDER, record, OUTBOX_ROW_SUFFIX, row) >= 0 && platform_calls.file_exists(row))
            tally.counts->broken++;
    }
}

}  // namespace

DeliveryCounts delivery_counts() {
    DeliveryCounts counts = {};
    Tally tally = {&counts, INT64_MIN, L""};
    wchar_t folder[RECORD_PATH_CAPACITY];
    if (outbox_file_path(DELIVERY_OUTBOX_FOLDER, L"", L"", folder) >= 0) platform_calls.scan_folder(folder, tally_outbox, &tally);
    if (outbox_file_path(DELIVERY_REJECTED_FOLDER, L"", L"", folder) < 0) return counts;
    platform_calls.scan_folder(folder, tally_rejected, &tally);
    counts.rejected -= counts.broken;
    // The newest reason's words, its line "原因：…".
    wchar_t path[RECORD_PATH_CAPACITY];
    char bytes[OUTBOX_REASON_BYTES];
    if (!counts.rejected || !tally.newest[0] ||
        text_format(path, RECORD_PATH_CAPACITY, L"%ls%lc%ls", folder, PLATFORM_PATH_SEPARATOR, tally.newest) < 0 ||
        platform_read_small_file(path, bytes, OUTBOX_REASON_BYTES) < 0)
        return counts;
    const char* cause = strstr(bytes, OUTBOX_CAUSE_LABEL);
    if (!cause) return counts;
    cause += sizeof OUTBOX_CAUSE_LABEL - 1;
    char line[utf8_capacity_for(DELIVERY_CAUSE_CAPACITY)];
    int n = 0;
    while (cause[n] && cause[n] != '\r' && cause[n] != '\n' && n < (int)sizeof line - 1) {
        line[n] = cause[n];
        n++;
    }
    line[n] = 0;
    if (wide_from_utf8(line, counts.cause, DELIVERY_CAUSE_CAPACITY) < 0) counts.cause[0] = 0;
    return counts;
}

namespace {

struct Search {
    const wchar_t* record;
    bool found;
};

void find_record(const wchar_t* name, int64_t, void* context) {
    Search& search = *(Search*)context;
    OutboxName read;
    if (outbox_name_read(name, &read) && wcscmp(read.record, search.record) == 0) search.found = true;
}

}  // namespace

DeliveryRowState delivery_row_state(const wchar_t* record_id) {
    wchar_t folder[RECORD_PATH_CAPACITY], path[RECORD_PATH_CAPACITY];
    Search search = {record_id, false};
    // An outbox that cannot be read does not tell a row gone.
    if (outbox_file_path(DELIVERY_OUTBOX_FOLDER, L"", L"", folder) < 0 ||
        platform_calls.scan_folder(folder, find_record, &search) < 0 || search.found)
        return DELIVERY_ROW_WAITING;
    if (outbox_file_path(DELIVERY_REJECTED_FOLDER, record_id, OUTBOX_ROW_SUFFIX, path) >= 0 && platform_calls.file_exists(path))
        return DELIVERY_ROW_REJECTED;
    return DELIVERY_ROW_DELIVERED;
}

bool outbox_set_aside(const wchar_t* claimed, const wchar_t* record, bool broken, const char* state,
                      const wchar_t* cause, const wchar_t* message) {
    wchar_t folder[RECORD_PATH_CAPACITY], row[RECORD_PATH_CAPACITY], reason[RECORD_PATH_CAPACITY];
    if (store_suite_folder(DELIVERY_REJECTED_FOLDER, folder, RECORD_PATH_CAPACITY) < 0 ||
        outbox_file_path(DELIVERY_REJECTED_FOLDER, record, OUTBOX_ROW_SUFFIX, row) < 0 ||
        outbox_file_path(DELIVERY_REJECTED_FOLDER, record, broken ? OUTBOX_BROKEN_SUFFIX : OUTBOX_REASON_SUFFIX,
                         reason) < 0)
        return false;
    constexpr int TEXT = DATABASE_MESSAGE_CAPACITY + 2 * DELIVERY_CAUSE_CAPACITY;
    wchar_t text[TEXT];
    text_format(text, TEXT, L"SQLSTATE: %s\r\n" OUTBOX_CAUSE_WIDE L"%ls\r\n服务器：%ls\r\n", state, cause, message);
    char bytes[OUTBOX_REASON_BYTES];
    int n = utf8_from_wide(text, bytes, OUTBOX_REASON_BYTES);
    // The reason first: a row set aside is never without its why.
    return n >= 0 && platform_replace_file_whole(reason, bytes, n) && platform_calls.move_over(claimed, row);
}
