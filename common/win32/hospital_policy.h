// What the hospital's IT sets for every program of the suite, by Group
// Policy (HKLM\ POLICY_KEY_TEXT): read afresh at each use, so a change
// applies without a restart.
#pragma once

#include <windows.h>

#include "common/policy_key.h"
#include "delivery/delivery.h"

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
