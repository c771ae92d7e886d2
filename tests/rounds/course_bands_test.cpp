// The bands a scale's course is shaded in, as its published cut-offs read,
// and none claimed where the verdict reads more than the total.
#include <gtest/gtest.h>

#include "rounds/course_bands.h"
#include "support/suite_tool.h"

TEST(CourseBands, AsEachScaleCutsItsTotal) {
    struct Case { int tool; const char* scale; };  // "least-most: band-band:level ..."
    const Case cases[] = {
        {18, "6-23: 6-9:3 10-12:3 13-14:2 15-18:1 19-23:0"},  // Braden
        {19, "0-125: 0-24:0 25-45:1 46-125:2"},               // Morse
        // NEWS2 below 5: a single parameter scoring 3 decides, not the total.
        {23, "0-20: 5-6:3 7-20:3"},
        {101, "none"},  // the rota: no headline
    };
    for (const Case& c : cases) {
        static PreparedTool tool;
        tool_prepare(suite_tool(c.tool), &tool);
        CourseScale scale;
        char text[256] = "none";
        if (course_scale(tool, &scale)) {
            int n = snprintf(text, sizeof text, "%g-%g:", scale.low, scale.high);
            for (int b = 0; b < scale.band_count; b++)
                n += snprintf(text + n, sizeof text - n, " %g-%g:%d", scale.bands[b].low, scale.bands[b].high, scale.bands[b].level);
        }
        EXPECT_STREQ(c.scale, text) << c.tool;
    }
}
