// What the hospital's IT sets for every program of the suite, by Group
// Policy (HKLM\ POLICY_KEY_TEXT): read afresh at each use, so a change
// applies without a restart.
#pragma once

#include <windows.h>

#include "common/policy_key.h"
#include "delivery/delivery.h"
#include "rounds/reassess.h"

#define POLICY_WIDEN(text) L##text
#define POLICY_WIDE(text) POLICY_WIDEN(text)
constexpr wchar_t POLICY_KEY[] = POLICY_WIDE(POLICY_KEY_TEXT);

// RequirePatient: whether a result is saved or printed only for a patient.
// 1: every tool's; 0: none; not set (or any other value): an assessment's
// (a nursing document filed in the chart), a formula tool's and a
// report's not.
bool policy_requires_patient(bool assessment);

// RecordsDatabase: the ODBC connection string of the hospital's database
// (REG_SZ, or REG_EXPAND_SZ with its variables expanded), at most
// DELIVERY_CONNECTION_LIMIT characters once expanded.
enum PolicyString {
    POLICY_NOT_SET,   // nothing is sent
    POLICY_SET,
    POLICY_TOO_LONG,  // longer than DELIVERY_CONNECTION_LIMIT: results queue, and the status line says why none go
};
constexpr int POLICY_CONNECTION_CAPACITY = DELIVERY_CONNECTION_LIMIT + 1;
PolicyString policy_records_database(wchar_t* connection, int capacity);

// ReadingDatabase: the ODBC connection string the ward's list and a
// patient's course are read with (the reading login: SELECT on the views
// of recent assessments alone), with RecordsDatabase's rules and limit.
// Not set: they are read from this Windows user's records on this PC.
PolicyString policy_reading_database(wchar_t* connection, int capacity);

// QualityDatabase: the ODBC connection string the quality department's
// monthly workbook is read with (a login of the readers' role), with
// RecordsDatabase's rules and limit. Not set: no workbook is made.
PolicyString policy_quality_database(wchar_t* connection, int capacity);

// Ward: the ward (科室/病区) this PC serves, as the records write it, for
// the ward's list when the patient bar names none. Empty when not set.
void policy_ward(wchar_t* ward, int capacity);

// ReassessHours\<tool number>: the hospital's reassessment interval of each
// band of a tool, "24,24,72,72,0" in the order of its verdict rules
// (hours; 0 on change only; "-" keeps the tool's own for that band). Fills
// `hours` (one per rule, REASSESS_KEEP where the policy keeps the tool's
// own) and returns whether the policy sets any. A value that is not wholly
// such items, or names more bands than `count`, sets none.
constexpr int POLICY_REASSESS_BANDS = 64;
bool policy_reassess_hours(int tool_id, int* hours, int count);

// AdmissionScales: the scales every admission needs within 24 hours, as
// tool numbers, "18,19,21,24/22": a "/" joins scales of which one is
// enough. Not set: Braden, Morse, NRS 2002, and Caprini or Padua.
constexpr int POLICY_ADMISSION_TEXT_CAPACITY = 128;
#define POLICY_ADMISSION_DEFAULT L"18,19,21,24/22"
void policy_admission_scales(wchar_t* scales, int capacity);
