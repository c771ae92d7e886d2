// The ward's round read back: the latest assessment of each patient and
// scale (the ward's list of who is due), and one patient's course, from
// the hospital's database through the reading login or, without one,
// from this Windows user's records on this PC.
#pragma once

#include <stdint.h>

#include "patient/patient.h"
#include "rounds/reassess.h"

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

// One row of the ward's list: a patient's latest result of a scale, or an
// admission assessment not yet done (no assessment: assessed_at is
// REASSESS_NO_TIME, due at admission + 24 h).
struct RoundsEntry {
    RoundsAssessment last;
    bool admission_missing;
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
