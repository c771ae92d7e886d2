// The bands a scale's course is shaded in, as its published cut-offs read,
// and no band claimed where the verdict reads more than the total.
#include <gtest/gtest.h>

#include <string>

#include "rounds/course_bands.h"
#include "suite/catalogue.h"

namespace {

const ToolDef& scale_of(int id) {
    for (int i = 0; i < suite_tool_count; i++)
        if (suite_tools[i]->id == id) return *suite_tools[i];
    return *suite_tools[0];
}

// "6-9:3 10-12:3 ...": each band's values and level, lowest first.
std::string bands_text(const CourseScale& scale) {
    char text[256] = "";
    for (int b = 0, n = 0; b < scale.band_count; b++) {
        const CourseBand& band = scale.bands[b];
        n += snprintf(text + n, sizeof text - n, "%s%g-%g:%d", b ? " " : "", band.low, band.high, band.level);
    }
    return text;
}

TEST(CourseBands, AsEachScaleCutsItsTotal) {
    struct Case {
        int tool;
        int low, high;
        const char* bands;
    };
    const Case cases[] = {
        // Braden 6-23: very high to 9, high 10-12, moderate 13-14, low 15-18.
        {18, 6, 23, "6-9:3 10-12:3 13-14:2 15-18:1 19-23:0"},
        // Morse 0-125: high above 45, moderate from 25.
        {19, 0, 125, "0-24:0 25-45:1 46-125:2"},
        // NEWS2: below 5 a single parameter scoring 3 changes the verdict,
        // which the total does not tell: no band there.
        {23, 0, 20, "5-6:3 7-20:3"},
    };
    for (const Case& c : cases) {
        static PreparedTool tool;
        tool_prepare(scale_of(c.tool), &tool);
        CourseScale scale;
        ASSERT_TRUE(course_scale(tool, &scale)) << c.tool;
        EXPECT_EQ(c.low, scale.low) << c.tool;
        EXPECT_EQ(c.high, scale.high) << c.tool;
        EXPECT_EQ(c.bands, bands_text(scale)) << c.tool;
    }
}

TEST(CourseBands, NoneWithoutAHeadline) {
    static PreparedTool tool;
    tool_prepare(scale_of(101), &tool);
    CourseScale scale;
    EXPECT_FALSE(course_scale(tool, &scale));
}

}  // namespace
