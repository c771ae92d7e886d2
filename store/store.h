// What the program keeps on disk: the record store's CSV files and the
// self-test report.
#pragma once

#include "calc/calc.h"
#include "patient/patient.h"
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
// The same, the folder made with every folder above it that is missing.
// Whether that worked shows when a file is written there.
int store_suite_folder(const wchar_t* name, wchar_t* path, int capacity);

// ---- The record store ----------------------------------------------------------

// One CSV file per tool, "T" and the tool's number in three digits, under
// <per-user data folder>/OrvoMedSuite/records. UTF-8; the file starts with a
// byte-order mark and the header line; one row per save. Fields holding a
// comma, a double quote, CR or LF are quoted the standard CSV way, so the
// result text keeps its line breaks inside one field.
//
// After the result come who and where: the record's number, the patient,
// the nurse, the Windows user, the computer and the save time with its UTC
// offset. A file begun by an earlier version, with a header of its own, is
// never written to again, so that it stays as its readers know it: the rows
// go to "T018-2.csv", the first of T018-2 to T018-9 that is new or has this
// header.

constexpr int RECORD_PATH_CAPACITY = 520;
// The most files a tool's rows are spread over as its header changes.
constexpr int RECORD_FILE_VERSIONS = 9;
// A row keeps at most this many characters of the title and of each
// "label=value" field; a longer one ends with TEXT_CUT_MARK in its last
// kept place. The result text is kept whole.
constexpr int RECORD_TITLE_LIMIT = 4075;
constexpr int RECORD_INPUT_FIELD_LIMIT = 126;
// The result field: the result text, then the verdict and its level in
// words on two lines of their own, so that a row says what the result
// meant as the printed page does.
constexpr int RECORD_RESULT_LIMIT = RESULT_TEXT_MAX + 2 * (CALC_VERDICT_LINE_CAPACITY + 2);
// The Windows user's and the computer's names as the system gives them
// (256 characters at most for a user, 15 for a computer).
constexpr int RECORD_NAME_CAPACITY = 257;
// A record's number: a random UUID, "xxxxxxxx-xxxx-4xxx-yxxx-xxxxxxxxxxxx".
constexpr int RECORD_NUMBER_CAPACITY = 37;
// The save time, "2026-12-09T08:15:00+08:00", with room for any numbers a
// broken clock gives.
constexpr int RECORD_TIME_CAPACITY = 96;

// Who and where a row was saved, and what it came to: its last columns.
struct RecordStamp {
    wchar_t number[RECORD_NUMBER_CAPACITY];
    Patient patient;
    wchar_t user[RECORD_NAME_CAPACITY];
    wchar_t computer[RECORD_NAME_CAPACITY];
    LocalTime time;      // the save
    LocalTime assessed;  // the calculation the result came from
    // The headline output's value as the window showed it, without its
    // unit; empty where it failed or the tool names none.
    wchar_t headline[VALUE_TEXT_CAPACITY];
};
// The columns after the result, in order: the number, the patient and the
// nurse, the user, the computer, the save time; then what later versions
// added: the stay's number and admission, the assessment's time and the
// headline value.
// Where they lie, counted from the record number's column.
constexpr int RECORD_ASSESSED_COLUMN = 1 + PATIENT_STAMP_FIELDS + 3 + (PATIENT_FIELD_COUNT - PATIENT_STAMP_FIELDS);
constexpr int RECORD_HEADLINE_COLUMN = RECORD_ASSESSED_COLUMN + 1;
// The due time of the next assessment, a time as 评估时间's; empty where no
// interval applies.
constexpr int RECORD_DUE_COLUMN = RECORD_HEADLINE_COLUMN + 1;
constexpr int RECORD_STAMP_COLUMNS = RECORD_HEADLINE_COLUMN + 1;

// A field's room in the line at its longest: its comma, its quotes, and
// every character a quote that is doubled.
constexpr int record_field_room(int limit) { return 1 + 2 * limit + 2; }
// A header or row line, quoted fields included, always fits this buffer.
constexpr int RECORD_LINE_CAPACITY = sizeof "YYYY-MM-DD hh:mm:ss" + record_field_room(RECORD_TITLE_LIMIT) +
                                     TOOL_MAX_INPUTS * record_field_room(RECORD_INPUT_FIELD_LIMIT) +
                                     record_field_room(RECORD_RESULT_LIMIT) +
                                     record_field_room(RECORD_NUMBER_CAPACITY) +
                                     PATIENT_FIELD_COUNT * record_field_room(PATIENT_FIELD_CAPACITY) +
                                     2 * record_field_room(RECORD_NAME_CAPACITY) +
                                     2 * record_field_room(RECORD_TIME_CAPACITY) +
                                     record_field_room(VALUE_TEXT_CAPACITY) + sizeof "\r\n";

// A header column keeps at most this many characters; the header line,
// quoted columns included, always fits RECORD_HEADER_CAPACITY.
constexpr int RECORD_COLUMN_LIMIT = 127;
constexpr int RECORD_HEADER_CAPACITY = (TOOL_MAX_INPUTS + PATIENT_FIELD_COUNT + 8) * record_field_room(RECORD_COLUMN_LIMIT);

enum RecordOutcome {
    RECORD_SAVED,           // the row is in the file
    RECORD_NO_DATA_FOLDER,  // the per-user data folder is unknown; nothing written
    RECORD_NOT_WRITTEN,     // the row did not reach the file
    RECORD_FILE_IN_USE,     // another program (Excel) holds the file; nothing written
};

// The header line, CR LF included: 时间,工具, one column per input label, 结果,
// then 记录编号,住院号,姓名,床号,科室,护士工号,护士姓名,Windows 用户,计算机名,保存时间,
// 就诊号,入院时间,评估时间,主要结果.
int record_header_line(const PreparedTool& tool, wchar_t* line, int capacity);

// The result field of a calculation's row: its text, "结论：…" and
// "提示等级：…（…）", every line ended with CR LF. `field` holds
// RECORD_RESULT_LIMIT + 1 characters.
int record_result_field(const Calculation& calculation, wchar_t* field, int capacity);

// One row, CR LF included: the time, the title, "label=value" per input (the
// value in %g form), the whole `result` field (at most RECORD_RESULT_LIMIT
// characters), then the stamp's columns, each text from outside written as
// spreadsheet_text has it.
int record_row_line(const PreparedTool& tool, const double* input_values, const wchar_t* result,
                    const RecordStamp& stamp, wchar_t* line, int capacity);

// An input as the record and the hospital's database keep it: "label=value",
// cut with the cut mark at RECORD_INPUT_FIELD_LIMIT characters.
int record_input_text(const PreparedTool& tool, int input, double value, wchar_t* text, int capacity);

// A time as the record and the hospital's database keep it, with its UTC
// offset: "2026-12-09T08:15:00+08:00". Returns the length.
int record_time_text(const LocalTime& time, wchar_t* text, int capacity);

// The stamp of a save now: a new record number, the patient, the user, the
// computer and the time (the assessment's too, and no headline).
void record_stamp_now(const Patient& patient, RecordStamp* stamp);

// The headline output's value of a calculation as the record and the window
// write it ("11", "19.0"): empty where it failed or the tool names none.
// Returns whether there is one.
bool record_headline_value(const PreparedTool& tool, const Calculation& calculation, wchar_t* text, int capacity);

// The file the tool's rows go to, in `path`: RECORD_SAVED when it has this
// header or does not exist yet; otherwise the outcome a save would have,
// with the folder in `path` (RECORD_NOT_WRITTEN when every name is taken by
// another header).
RecordOutcome record_file_path(const PreparedTool& tool, wchar_t* path, int capacity);

// Appends a row for the calculation, its inputs and its result text, with
// the patient, to the tool's record file, creating the folder chain and,
// once, the file with its mark and header. RECORD_SAVED only once the row
// is on the disk, not merely handed to the system. `where` receives the
// file's path, or the folder that could not be found when the outcome is
// RECORD_NO_DATA_FOLDER.
// `stamp`, when given, receives the row's stamp (its record number above
// all), for the hospital's database.
// `assessed`, when given, is the time the result was calculated; else the
// save's.
RecordOutcome record_save(const PreparedTool& tool, const Calculation& calculation, const Patient& patient,
                          wchar_t* where, int where_capacity, RecordStamp* stamp = nullptr,
                          const LocalTime* assessed = nullptr);

// The result as Copy puts it on the clipboard and the hospital's database
// keeps it: the patient's line when a patient is given, the title, the
// result text and, for a formula tool, "—— " and the verdict. Returns the
// length.
int record_copy_text(const PreparedTool& tool, const Calculation& calculation, const Patient& patient,
                     wchar_t* text, int capacity);
// The copy of any result fits this many characters.
constexpr int RECORD_COPY_CAPACITY = RESULT_TEXT_CAPACITY + RECORD_TITLE_LIMIT + VERDICT_CAPACITY + 256;

// ---- The patient's last assessment ------------------------------------------------

constexpr int RECORD_LAST_CAPACITY = 256;
// The line the window shows when the record has no row of the patient: the
// record is this Windows user's on this PC, not the ward's.
#define RECORD_NO_LAST_ASSESSMENT L"本机本用户无此患者的记录"

// The same patient's (hospital number and name) last saved row of the tool
// in this user's record on this PC, read from the end of its record file,
// as the window shows it: "上次评估：12-08 09:12　总分 11 分　高风险　李敏"
// (the assessment's time, the year too when it is not this one; the
// headline with its label and unit; the band's words of the verdict, or
// the level's; the nurse, by number when the name is not known). False,
// with RECORD_NO_LAST_ASSESSMENT in `line`, when there is none. `now` tells
// the year.
// The band's words of a verdict: what comes before its first "（", "："
// or "，" ("高风险（≥7 分）：立即通知医师" is "高风险"), spaces before it
// left out; empty when that is empty or longer than RECORD_BAND_WORDS_LIMIT,
// the level's words standing for it then. The hospital's database's view
// of recent assessments applies the same rule. Returns the length.
constexpr int RECORD_BAND_WORDS_LIMIT = 16;
int record_band_words(const wchar_t* verdict, wchar_t* words, int capacity);

bool record_last_assessment(const PreparedTool& tool, const Patient& patient, const LocalTime& now,
                            wchar_t* line, int capacity);
