// When a result is due again: each band's reassessment interval (the
// tool's own, or the hospital's where its policy sets one), the events that
// call for one sooner, and the line the result ends with.
#pragma once

#include <stdint.h>

#include "calc/calc.h"
#include "platform/platform.h"

// A band's interval in hours: a positive number, or one of these.
constexpr int REASSESS_ON_CHANGE = 0;    // no interval: the events alone call for one
constexpr int REASSESS_CONTINUOUS = -1;  // continuous monitoring: due at once, always
// In a hospital's table of intervals: the tool's own for that band.
constexpr int REASSESS_KEEP = -2;
// The longest interval a hospital may set: a year.
constexpr int REASSESS_MAX_HOURS = 24 * 366;

// A moment as seconds since 1970-01-01T00:00:00Z, what the record's and
// the database's times come to; REASSESS_NO_TIME where there is none.
using MomentSeconds = int64_t;
constexpr MomentSeconds REASSESS_NO_TIME = INT64_MIN;
MomentSeconds reassess_moment(const LocalTime& time);
// The moment as local time at `utc_offset_minutes`.
LocalTime reassess_local(MomentSeconds moment, int utc_offset_minutes);
