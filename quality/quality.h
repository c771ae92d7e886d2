// The nursing quality department's month: each ward's indicators read
// from the hospital's database (the quality views of docs/records/, the one
// home of their definitions) and written as one workbook: a summary, a
// sheet per indicator family with its charts, the HIS figures the rates
// divide by, and what each figure means.
#pragma once

#include <stdint.h>

#include <atomic>

#include "rounds/rounds.h"

// The program's title, its window's and the launcher's button's.
#define QUALITY_TITLE L"护理质量月报"

// ---- Months -------------------------------------------------------------------------

struct QualityMonth {
    int year, month;  // month 1 to 12
};
// "2026-11" (a zero before a one-digit month may be left out); false for
// anything else, a month before 2000 or after 9998 among them.
bool quality_month_parse(const wchar_t* text, QualityMonth* month);
QualityMonth quality_month_add(QualityMonth month, int months);
// "2026-11".
void quality_month_text(QualityMonth month, wchar_t* text, int capacity);

// The months a workbook holds, oldest first: the same month a year before
// (同期) first, the month before (上月), and the report's month (本期) last.
constexpr int QUALITY_MONTHS = 13;
constexpr int QUALITY_SAME_MONTH_LAST_YEAR = 0;
constexpr int QUALITY_LAST_MONTH = QUALITY_MONTHS - 2;
constexpr int QUALITY_THIS_MONTH = QUALITY_MONTHS - 1;

// ---- What is counted ---------------------------------------------------------------

// A ward's month of one scale, as the views count it.
enum QualityScaleCount {
    QC_ASSESSMENTS,    // results saved
    QC_PATIENTS,       // patients assessed
    QC_HIGH_RESULTS,   // results of level 2 or 3
    QC_HIGH_PATIENTS,  // patients with one at least
    QC_DUE,            // reassessments due whose time has passed
    QC_ON_TIME,        // of those, done at or before the due time
    QUALITY_SCALE_COUNTS,
};
// A ward's month of the hospital's stays, as the stays view counts it.
enum QualityStayCount {
    QS_ADMISSIONS,
    QS_DISCHARGES,
    QS_BED_DAYS,
    QS_BRADEN_24H,  // admissions assessed with the scale within 24 h
    QS_MORSE_24H,
    QS_NRS2002_24H,
    QS_VTE_24H,     // with Caprini or Padua
    QS_VTE_ASSESSED,       // discharges assessed with Caprini or Padua during the stay
    QS_VTE_MODERATE_HIGH,  // of those, found at moderate or high risk
    QUALITY_STAY_COUNTS,
};

// The families the national indicators report, each with its scales.
constexpr int QUALITY_FAMILY_TOOLS = 3;
struct QualityFamily {
    const wchar_t* name;       // its sheet's name
    const wchar_t* indicator;  // the published indicator its figures serve
    int tools[QUALITY_FAMILY_TOOLS];
    const wchar_t* tool_names[QUALITY_FAMILY_TOOLS];
    int tool_count;
    int admission;             // its QualityStayCount within 24 h of admission; -1: none
    bool vte;                  // the discharges' VTE risk assessment is its own
};
constexpr int QUALITY_FAMILY_COUNT = 5;
extern const QualityFamily quality_families[QUALITY_FAMILY_COUNT];
// Every family's scales, one after another.
constexpr int QUALITY_TOOL_COUNT = 12;
int quality_family_slot(int family, int tool);

// ---- One report's figures ------------------------------------------------------------

constexpr int QUALITY_WARD_CAPACITY = 100;
constexpr int QUALITY_WARD_TEXT = 2 * 32 + 1;  // varchar(32), in UTF-16 units at worst
constexpr int QUALITY_WARDS_TEXT_CAPACITY = 1024;
// The whole hospital's place after the wards': every ward's, those not
// asked for among them, with a patient two wards assessed counted once.
constexpr int QUALITY_HOSPITAL = QUALITY_WARD_CAPACITY;
constexpr int QUALITY_PLACES = QUALITY_WARD_CAPACITY + 1;

struct QualityFigures {
    QualityMonth month;  // the report's (本期)
    int ward_count;      // wards, in the order of their names
    wchar_t wards[QUALITY_WARD_CAPACITY][QUALITY_WARD_TEXT];
    bool listed;         // only the wards asked for: the hospital's row is more than their sum
    bool stays;          // the stays view was read: the HIS figures are the database's
    int64_t scale[QUALITY_MONTHS][QUALITY_PLACES][QUALITY_TOOL_COUNT][QUALITY_SCALE_COUNTS];
    // A family's scales together, each patient once.
    int64_t family[QUALITY_MONTHS][QUALITY_PLACES][QUALITY_FAMILY_COUNT][QUALITY_SCALE_COUNTS];
    // Without the stays, the admissions' 24 h counts are the rows' own and
    // the admissions, discharges and bed-days stay 0: the HIS sheet's.
    int64_t stay[QUALITY_MONTHS][QUALITY_PLACES][QUALITY_STAY_COUNTS];
};

// What a workbook came to.
enum QualityOutcome {
    QUALITY_WRITTEN,
    QUALITY_NOT_READ,        // the database did not give the figures: `reading` says why
    QUALITY_NO_CONNECTION,   // no connection string is set
    QUALITY_TOO_MANY_WARDS,  // more than QUALITY_WARD_CAPACITY wards
    QUALITY_FILE_IN_USE,     // the workbook is open in another program (Excel)
    QUALITY_FILE_FAILED,     // the workbook could not be written there
    QUALITY_CANCELLED,
};
struct QualityResult {
    QualityOutcome outcome;
    RoundsProblem reading;  // QUALITY_NOT_READ's
};
// "服务器无法连接", "工作簿正被其他程序打开…" and the like.
const wchar_t* quality_result_words(QualityResult result);
// The process's exit code headless: 0 once written, one number per kind
// of reason otherwise, for the Task Scheduler's history.
int quality_exit_code(QualityResult result);

// How a long month goes, for the window; `cancel` is asked between
// queries and between sheets.
struct QualityProgress {
    std::atomic<long> rows{0};
    std::atomic<int> months{0};  // months read
    std::atomic<int> sheets{0};  // sheets written
    std::atomic<bool> cancel{false};
};
constexpr int QUALITY_SHEET_COUNT = 3 + QUALITY_FAMILY_COUNT;

// Reads the thirteen months up to `month` through the reading connection:
// every ward, or the wards of `wards` (names split by commas, each listed
// even where it has no rows). A query waits ROUNDS_QUERY_TIMEOUT_SECONDS
// at most.
QualityResult quality_read(const wchar_t* connection, QualityMonth month, const wchar_t* wards,
                           QualityFigures* figures, QualityProgress* progress);

// A file name in the bytes the library's file calls take: UTF-8, but on
// Windows the system's code page (MinGW's build opens them narrow).
// False when the name cannot be spelled so.
using QualityLibraryName = bool (*)(const wchar_t* path, char* bytes, int capacity);
bool quality_utf8_name(const wchar_t* path, char* bytes, int capacity);
constexpr int QUALITY_LIBRARY_NAME_CAPACITY = 3 * 1024 + 1;

// Writes the workbook of `figures` to the file `file` (the library's
// bytes). `temp_folder` is where the library keeps its temporary files, in
// the same bytes; `version` and `made` go on the 说明 sheet.
QualityResult quality_write_workbook(const QualityFigures& figures, const char* file, const char* temp_folder,
                                     const wchar_t* version, const wchar_t* made, QualityProgress* progress);

// The whole report: reads, writes the workbook beside `path` under a name
// of its own and moves it over `path` once whole, so that a cancel, a
// failure or a workbook held open by Excel leaves no half-written file and
// the old one as it was.
struct QualityRequest {
    QualityMonth month;
    const wchar_t* wards;       // empty: every ward
    const wchar_t* connection;  // the policy's QualityDatabase
    const wchar_t* path;
    const char* temp_folder;    // in the library's bytes
    QualityLibraryName library_name;
    const wchar_t* version;
    const wchar_t* made;        // the local time it is made, as 说明 shows it
};
QualityResult quality_make(const QualityRequest& request, QualityFigures* figures, QualityProgress* progress);
