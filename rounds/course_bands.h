// What a patient's course of a scale is drawn against: the range of values
// its headline can take, and the bands of it over which one verdict rule
// holds whatever the other inputs are, read from the tool's own rules.
#pragma once

#include "tool/tool.h"

// One band: the headline's values from `low` to `high` (both taken, on the
// steps the headline shows) give the verdict of rule `rule`, at `level`.
struct CourseBand {
    double low, high;
    int rule;
    int level;
};

// A scale has at most a band per rule; the rest is left unshaded.
constexpr int COURSE_BAND_MAX = 16;

struct CourseScale {
    double low, high;  // the least and the most the headline came to over the inputs tried
    double step;       // between two values the headline shows (1 for "f0", 0.1 for "f1"...)
    int band_count;
    CourseBand bands[COURSE_BAND_MAX];
};

// The scale of `tool`'s headline: false for a tool without one. A value is
// in a band only where the first rule that holds for it holds on the
// headline alone; where a rule before it reads another input or output
// (NEWS2's single score of 3 below a total of 5), no band is claimed.
bool course_scale(const PreparedTool& tool, CourseScale* scale);
