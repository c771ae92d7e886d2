// The ward's round read back: the latest assessment of each patient and
// scale (the ward's list of who is due), and one patient's course, from
// the hospital's database through the reading login or, without one,
// from this Windows user's records on this PC.
#pragma once

#include <stdint.h>

#include "patient/patient.h"
#include "platform/database.h"
#include "rounds/reassess.h"
#include "tool/tool.h"

// The band's words of a verdict ("高危"), as the record's verdict starts.
constexpr int ROUNDS_BAND_CAPACITY = 17;

// One assessment as read back.
struct RoundsAssessment {
    Patient patient;  // number, name, bed, ward, nurse, stay as the row holds them
    int tool_id;
    bool has_value;   // the headline value; none where it failed or was withheld
    double value;
    int level;        // 0 to 3
    wchar_t band[ROUNDS_BAND_CAPACITY];
    MomentSeconds assessed_at;
    MomentSeconds due_at;  // REASSESS_NO_TIME: no interval applies
    // A field of the patient as read breaks the patient's rules (longer
    // than a field holds, a control or invisible character): it holds what
    // could be kept, cut with TEXT_CUT_MARK, U+FFFD for what cannot be
    // shown. Show it, but never hand it to a tool as the patient.
    bool unsound;
};

// Where a list came from, which its heading says.
enum RoundsSource {
    ROUNDS_CENSUS,          // the hospital's stays: every patient in hospital on the ward
    ROUNDS_WARD_ASSESSED,   // the database without stays: patients assessed on the ward in the last 7 days
    ROUNDS_THIS_USER,       // no reading connection: this Windows user's records on this PC
};

// How a row of the list stands at `now`.
enum RoundsDue {
    ROUNDS_OVERDUE,        // its due time has passed (alarm colour)
    ROUNDS_DUE_IN_SHIFT,   // due before the current shift ends (amber)
    ROUNDS_DUE_LATER,
    ROUNDS_EVENTS_ONLY,    // no interval: reassessed on the events alone
};

// The most scales an admission's group joins ("24/22": Caprini or Padua).
constexpr int ROUNDS_GROUP_TOOLS = 4;

// One row of the ward's list: a patient's latest result of a scale, or an
// admission assessment not yet done (no assessment: assessed_at is
// REASSESS_NO_TIME, due at admission + 24 h). A census patient of whom
// nothing is on record and no admission is known has one row of tool_id 0.
struct RoundsEntry {
    RoundsAssessment last;
    bool admission_missing;
    // An admission row's scales of which one is enough ("Caprini or
    // Padua"), the first of them last.tool_id; 1 for a single scale.
    int admission_tool_count;
    int admission_tools[ROUNDS_GROUP_TOOLS];
    MomentSeconds due_at;
    RoundsDue due;
};

constexpr int ROUNDS_LIST_CAPACITY = 600;
struct RoundsList {
    RoundsSource source;
    MomentSeconds read_at;
    int count;
    bool cut;  // more rows than the list holds
    RoundsEntry entries[ROUNDS_LIST_CAPACITY];
};

// The end of the shift `now` falls in: the next of 08:00, 16:00 and 24:00
// local time.
MomentSeconds rounds_shift_end(MomentSeconds now, int utc_offset_minutes);

// ---- Due states, the shift and the sort ---------------------------------------------

// How a row due at `due_at` stands at `now`: REASSESS_NO_TIME is
// ROUNDS_EVENTS_ONLY; a due time at or before `now` is overdue; one at or
// before the end of the shift `now` falls in is due in the shift.
RoundsDue rounds_due_state(MomentSeconds due_at, MomentSeconds now, int utc_offset_minutes);

// A time as the record, the database and the hospital system write it:
// "2026-12-11T09:12:00+08:00" (the record), "2026-12-11 09:12:00+08"
// (PostgreSQL), "2026-12-11 09:12:00.0000000 +08:00" (SQL Server), "Z" for
// UTC, seconds and their fraction optional. A text without an offset is
// local time at `utc_offset_minutes`. False for anything else, `*moment`
// REASSESS_NO_TIME then.
bool rounds_moment_of_text(const wchar_t* text, int utc_offset_minutes, MomentSeconds* moment);
// The moment as the record writes it, at `utc_offset_minutes`:
// "2026-12-11T09:12:00+08:00"; "" for REASSESS_NO_TIME.
int rounds_moment_text(MomentSeconds moment, int utc_offset_minutes, wchar_t* text, int capacity);

// ---- The admission's scales ---------------------------------------------------------

// The scales every admission needs within ROUNDS_ADMISSION_HOURS, as the
// policy AdmissionScales writes them: "18,19,21,24/22", a "/" joining
// scales of which one is enough.
constexpr int ROUNDS_ADMISSION_GROUPS = 8;
struct RoundsAdmissionScales {
    int group_count;
    int tool_count[ROUNDS_ADMISSION_GROUPS];
    int tools[ROUNDS_ADMISSION_GROUPS][ROUNDS_GROUP_TOOLS];  // tool numbers, 1 to 999
};
// Reads `text` into `scales`. What is no tool number ("18,,x,19") is passed
// over, as are groups and scales beyond the capacities; false when
// anything was passed over (the groups read are kept).
bool rounds_admission_scales(const wchar_t* text, RoundsAdmissionScales* scales);

constexpr int ROUNDS_ADMISSION_HOURS = 24;
// Without the hospital's stays, the list holds the patients assessed on
// the ward within this many days; a row is kept for each scale's latest
// assessment of the view's ROUNDS_RECENT_DAYS.
constexpr int ROUNDS_ASSESSED_DAYS = 7;
constexpr int ROUNDS_RECENT_DAYS = 30;

// ---- Building a list ----------------------------------------------------------------
// What the readers below do with the rows they read; a test builds one of
// invented patients so.

// An empty list of that source, read at `read_at`.
void rounds_list_begin(RoundsList* list, RoundsSource source, MomentSeconds read_at);
// A patient's latest assessment of a scale, due at its own due_at. False
// when the list is full (its `cut` set then).
bool rounds_list_add(RoundsList* list, const RoundsAssessment& latest);
// A patient in hospital, admitted at `admitted` (REASSESS_NO_TIME: not
// known), once the patient's assessments are in the list: with the
// admission known, a row for each group of `scales` none of whose scales
// the list holds an assessment of since the admission (admission_missing,
// the group's first scale as last.tool_id, due at admission +
// ROUNDS_ADMISSION_HOURS, and so overdue after it, for as long as the
// patient is listed and the scale not done); and a patient of whom the
// list then holds no row at all gets one with tool_id 0 (no assessment on
// record, ROUNDS_EVENTS_ONLY), so that the census leaves nobody out.
void rounds_list_add_stay(RoundsList* list, const Patient& patient, MomentSeconds admitted,
                          const RoundsAdmissionScales& scales);
// Each entry's due state at the list's time, then the sort: by due time,
// rows with no interval after those with one; within a time by bed (its
// numbers as numbers: 2 before 10), patient and scale.
void rounds_list_finish(RoundsList* list, int utc_offset_minutes);

// ---- Reading ------------------------------------------------------------------------

// Why a list or a course could not be read. A list that could not be read
// is left as it was: the caller shows the last one with its time and these
// words.
enum RoundsProblem : int {
    ROUNDS_READ,                 // read
    ROUNDS_NO_DRIVER,            // as delivery_problem_words says them
    ROUNDS_UNREACHABLE,
    ROUNDS_LOGIN_REFUSED,
    ROUNDS_CERTIFICATE_REFUSED,
    ROUNDS_NO_ANSWER,
    ROUNDS_CONNECTION_TOO_LONG,
    ROUNDS_NO_VIEW,              // orvomed.recent_assessments is missing
    ROUNDS_NOT_PERMITTED,        // the reading login may not read it (or orvomed.stays)
    ROUNDS_VIEW_MISMATCH,        // the view lacks a column this version reads
    ROUNDS_QUERY_FAILED,         // any other answer with an error
    ROUNDS_NO_WARD,              // no ward to read the list of
    ROUNDS_NO_DATA_FOLDER,       // this user's records: the per-user data folder is unknown
    ROUNDS_BUSY,                 // another read of this process is under way: try again
};
// "服务器无法连接", "评估视图不存在" and the like.
const wchar_t* rounds_problem_words(RoundsProblem problem);
// What a reading's failed connection, or a failed query, comes to: every
// program that reads the hospital's views tells them alike.
RoundsProblem rounds_problem_of_connection(const DatabaseAnswer& answer);
RoundsProblem rounds_problem_of_query(const DatabaseAnswer& answer);

// A connection attempt gives up after DELIVERY_LOGIN_TIMEOUT_SECONDS, a
// query after this many.
constexpr int ROUNDS_QUERY_TIMEOUT_SECONDS = 10;

// The ward's list from the hospital's database through the reading
// connection (ODBC, the policy's ReadingDatabase): the view
// orvomed.recent_assessments, and orvomed.stays where the reading login
// finds it. With stays (ROUNDS_CENSUS): every patient in hospital on the
// ward (discharged_at NULL), each with the latest assessment of each
// scale since the admission, the admission's scales not yet done
// (`admission_scales`, the policy's AdmissionScales text) and nobody
// discharged. Without (ROUNDS_WARD_ASSESSED): the patients assessed on the
// ward within ROUNDS_ASSESSED_DAYS, each with the latest assessment of
// each scale on the ward within ROUNDS_RECENT_DAYS. Only the scales among
// `tools` are listed (the catalogue's assessments; nullptr: every scale).
// `*list` is filled only once everything was read; otherwise it is left as
// it was and the problem returned.
RoundsProblem rounds_read_ward(const wchar_t* connection, const wchar_t* ward, const wchar_t* admission_scales,
                               const ToolDef* const* tools, int tool_count, MomentSeconds now,
                               int utc_offset_minutes, RoundsList* list);

// The same from this Windows user's records on this PC (ROUNDS_THIS_USER):
// the record files of `tools` (every version of each), the patients
// assessed within ROUNDS_ASSESSED_DAYS (on `ward` when it is not empty),
// each with the latest assessment of each scale within ROUNDS_RECENT_DAYS.
// No admission rows: another nurse's on another PC are not known here.
RoundsProblem rounds_read_this_user(const ToolDef* const* tools, int tool_count, const wchar_t* ward,
                                    MomentSeconds now, int utc_offset_minutes, RoundsList* list);

// One patient's course on one scale: the patient's (number and name)
// assessments of `tool` within ROUNDS_RECENT_DAYS, of the stay when the
// patient names one (its number, or its admission: rows of another stay,
// or before the admission, are left out), the newest `capacity` of them,
// oldest first in `points`, how many in `*count`. From the database
// through `connection`, or from this Windows user's records when
// `connection` is nullptr or empty. `*count` is 0 on a problem.
constexpr int ROUNDS_COURSE_CAPACITY = 240;
RoundsProblem rounds_read_course(const wchar_t* connection, const ToolDef& tool, const Patient& patient,
                                 MomentSeconds now, int utc_offset_minutes, RoundsAssessment* points, int capacity,
                                 int* count);
