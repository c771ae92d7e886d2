// The policy values the ward's round reads: its reading connection, the
// ward this PC serves and the scales every admission needs.
#include "common/win32/hospital_policy.h"

#include "common/win32/policy_values.h"

PolicyString policy_reading_database(wchar_t* connection, int capacity) {
    return policy_connection(L"ReadingDatabase", connection, capacity);
}

void policy_ward(wchar_t* ward, int capacity) {
    ward[0] = 0;
    wchar_t stored[PATIENT_FIELD_CAPACITY + 1];
    DWORD type = 0, size = sizeof stored - sizeof(wchar_t);
    if (!policy_value(L"Ward", &type, stored, &size) || type != REG_SZ || size == 0xFFFFFFFF) return;
    // What was stored may lack its terminator; a ward longer than a
    // record's field is none the records hold.
    stored[size / sizeof(wchar_t)] = 0;
    if (text_length(stored) < PATIENT_FIELD_CAPACITY) text_copy(ward, capacity, stored);
}

void policy_admission_scales(wchar_t* scales, int capacity) {
    // Braden, Morse, NRS 2002, and Caprini or Padua.
    text_copy(scales, capacity, L"18,19,21,24/22");
    wchar_t stored[POLICY_ADMISSION_TEXT_CAPACITY];
    DWORD type = 0, size = sizeof stored - sizeof(wchar_t);
    if (!policy_value(L"AdmissionScales", &type, stored, &size) || type != REG_SZ || size == 0xFFFFFFFF) return;
    stored[size / sizeof(wchar_t)] = 0;
    if (stored[0]) text_copy(scales, capacity, stored);
}
