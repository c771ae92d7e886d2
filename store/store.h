// What the program keeps on disk: the record store's CSV files and the
// self-test report.
#pragma once

#include "calc/calc.h"
#include "platform/platform.h"
#include "tool/tool.h"

// The program's exit codes: the self-test's, and the window's. The
// deployment note lists them from here.
enum ExitCode : int {
    EXIT_OK = 0,                  // the self-test passed and wrote its report; the window closed
    EXIT_NO_WINDOW = 1,           // the main window could not be created (the native command has none)
    EXIT_FORMULA_FAILED = 2,      // an output formula failed; the report was written
    EXIT_REPORT_NOT_WRITTEN = 3,  // the report could not be created or fully written
};

// The report holds at most this many characters with its terminator.
constexpr int SELFTEST_REPORT_CAPACITY = 32768;
// The DETAIL line keeps at most this many characters of the result text:
// every result whole.
constexpr int SELFTEST_DETAIL_LIMIT = RESULT_TEXT_MAX;

// Builds the self-test report of `tool` with its default inputs into
// `report` (cut where it is full, always terminated) and returns the number
// of errors: output formulas that failed to evaluate, defaults their input
// does not take, and one more when the tool is served incomplete.
int selftest_report(const PreparedTool& tool, wchar_t* report, int capacity);

// The headless run: computes the build's tool, writes its report to `path`
// (relative to the current directory) and returns the exit code: 0 when every
// output formula evaluated, 2 when one failed, 3 when the report could not be
// written whole (a partly written file is emptied then).
int run_selftest(const wchar_t* path);

// Writes `text` (at most SELFTEST_REPORT_CAPACITY characters) as UTF-8
// without a byte-order mark, replacing the file. Returns false when the file
// could not be created or fully written; a file left incomplete is emptied.
bool write_utf8_file(const wchar_t* path, const wchar_t* text);

// ---- The suite's per-user folder -------------------------------------------------

// Everything the suite keeps for a user (the records, the launcher's lists)
// lives in this folder of the per-user data folder.
#define STORE_SUITE_FOLDER L"OrvoMedSuite"

// What store_suite_path may return besides a length.
constexpr int STORE_NO_DATA_FOLDER = -1;  // the per-user data folder is unknown
constexpr int STORE_PATH_TOO_LONG = -2;   // the path does not fit: cut, it would name another file

// Writes "<per-user data folder>/OrvoMedSuite/<name>" (the folder itself for
// an empty name) into `path` and returns its length. When the data folder
// is unknown, `path` names the place as a user finds it
// ("%LOCALAPPDATA%\OrvoMedSuite\records") for a message, and the return is
// STORE_NO_DATA_FOLDER; STORE_PATH_TOO_LONG when the path does not fit.
int store_suite_path(const wchar_t* name, wchar_t* path, int capacity);

// ---- The record store ----------------------------------------------------------

// One CSV file per tool, "T" and the tool's number in three digits, under
// <per-user data folder>/OrvoMedSuite/records. UTF-8; the file starts with a
// byte-order mark and the header line; one row per save. Fields holding a
// comma, a double quote, CR or LF are quoted the standard CSV way, so the
// result text keeps its line breaks inside one field.

constexpr int RECORD_PATH_CAPACITY = 520;
// A row keeps at most this many characters of the title and of each
// "label=value" field; a longer one ends with TEXT_CUT_MARK in its last
// kept place. The result text is kept whole.
constexpr int RECORD_TITLE_LIMIT = 4075;
constexpr int RECORD_INPUT_FIELD_LIMIT = 126;
// The result field: the result text, then the verdict and its level in
// words on two lines of their own, so that a row says what the result
// meant as the printed page does.
constexpr int RECORD_RESULT_LIMIT = RESULT_TEXT_MAX + 2 * (CALC_VERDICT_LINE_CAPACITY + 2);
// A field's room in the line at its longest: its comma, its quotes, and
// every character a quote that is doubled.
constexpr int record_field_room(int limit) { return 1 + 2 * limit + 2; }
// A header or row line, quoted fields included, always fits this buffer.
constexpr int RECORD_LINE_CAPACITY = sizeof "YYYY-MM-DD hh:mm:ss" + record_field_room(RECORD_TITLE_LIMIT) +
                                     TOOL_MAX_INPUTS * record_field_room(RECORD_INPUT_FIELD_LIMIT) +
                                     record_field_room(RECORD_RESULT_LIMIT) + sizeof "\r\n";

enum RecordOutcome {
    RECORD_SAVED,           // the row is in the file
    RECORD_NO_DATA_FOLDER,  // the per-user data folder is unknown; nothing written
    RECORD_NOT_WRITTEN,     // the row did not reach the file
    RECORD_FILE_IN_USE,     // another program (Excel) holds the file; nothing written
};

// The header line, CR LF included: 时间,工具, one column per input label, 结果.
int record_header_line(const PreparedTool& tool, wchar_t* line, int capacity);

// The result field of a calculation's row: its text, "结论：…" and
// "提示等级：…（…）", every line ended with CR LF. `field` holds
// RECORD_RESULT_LIMIT + 1 characters.
int record_result_field(const Calculation& calculation, wchar_t* field, int capacity);

// One row, CR LF included: the time, the title, "label=value" per input (the
// value in %g form), and the whole `result` field (at most
// RECORD_RESULT_LIMIT characters).
int record_row_line(const PreparedTool& tool, const double* input_values, const wchar_t* result,
                    const LocalTime& time, wchar_t* line, int capacity);

// Appends a row for the calculation, its inputs and its result text, to the
// tool's record file, creating the folder chain and, once, the file with its
// mark and header. RECORD_SAVED only once the row is on the disk, not merely
// handed to the system. `where` receives the file's path, or the folder that
// could not be found when the outcome is RECORD_NO_DATA_FOLDER.
RecordOutcome record_save(const PreparedTool& tool, const Calculation& calculation, wchar_t* where,
                          int where_capacity);
