// The verdict's colour name in the user guide, by level; any other level
// shows as level 0 and never reads outside the table.
#include <gtest/gtest.h>

#include "tool/tool.h"

namespace {

TEST(VerdictLevels, NameOfEachLevelAndAnyOtherAsLevelZero) {
    const struct {
        int level;
        const wchar_t* name;
    } cases[] = {{0, L"绿色"}, {1, L"黄色"}, {2, L"橙色"}, {3, L"红色"}};
    for (const auto& c : cases) EXPECT_STREQ(c.name, verdict_level(c.level).colour_name) << c.level;
    for (int level : {-1, VERDICT_LEVEL_COUNT, 1000}) EXPECT_EQ(&verdict_level(0), &verdict_level(level)) << level;
}

}  // namespace
