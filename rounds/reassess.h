// When a result is due again: each band's reassessment interval (the
// tool's own, or the hospital's where its policy sets one), the events that
// call for one sooner, and the line the result ends with.
#pragma once

#include <stdint.h>

#include "calc/calc.h"
#include "platform/platform.h"

// A band's interval in hours: a positive number, REASSESS_ON_CHANGE or
// REASSESS_CONTINUOUS (tool/tool.h). In a hospital's table of intervals:
// the tool's own for that band.
constexpr int REASSESS_KEEP = -2;

// A moment as seconds since 1970-01-01T00:00:00Z, what the record's and
// the database's times come to; REASSESS_NO_TIME where there is none.
using MomentSeconds = int64_t;
constexpr MomentSeconds REASSESS_NO_TIME = INT64_MIN;
MomentSeconds reassess_moment(const LocalTime& time);
// The moment as local time at `utc_offset_minutes`.
LocalTime reassess_local(MomentSeconds moment, int utc_offset_minutes);

// What a result asks of the next assessment.
struct Reassessment {
    int hours;       // the band's interval as it applies (the hospital's where set)
    bool has_due;    // a due time: an interval, or continuous monitoring (due at once)
    LocalTime due;
};
constexpr int REASSESS_LINE_CAPACITY = 256;

// An interval as the due line and the guide write it: "每 24 小时",
// "持续监测", or "" for none. Returns the length.
int reassess_interval_text(int hours, wchar_t* text, int capacity);
// What an assessment's events are where its descriptor names none.
#define REASSESS_DEFAULT_EVENTS L"病情变化时随时复评"

// The band's interval: the hospital's `hospital_hours[rule]` where given
// and not REASSESS_KEEP (nullptr: none set), else the rule's own.
int reassess_band_hours(const PreparedTool& tool, int rule, const int* hospital_hours);

// For an assessment whose verdict came from a band: when it is due again
// and the line the result ends with, "下次评估：12-11 09:12 前（高危：每 24
// 小时；病情变化、转科、术后随时复评）", or the events alone where no
// interval applies. False, with an empty line, for any other result (a
// formula tool's, a report's, or one no band gave a verdict to).
bool reassess_plan(const PreparedTool& tool, const Calculation& calculation, const LocalTime& assessed,
                   const int* hospital_hours, Reassessment* plan, wchar_t* line, int capacity);
