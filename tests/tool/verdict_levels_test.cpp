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

// A verdict as the box shows it, its lines broken as Chinese is printed:
// between characters but never before a closing sign, a Latin word kept
// whole unless wider than the box, a space at a break left out.
TEST(VerdictLevels, MessagesBreakAsChineseIsPrinted) {
    const struct {
        const wchar_t* message;
        const wchar_t* shown;
    } cases[] = {
        {L"按碳水系数计算完成", L"按碳水系数计算完成"},
        {L"血糖 ≥33.3 mmol/L：高血糖危象可能，立即通知医师，不按皮下校正剂量给药",
         L"血糖 ≥33.3 mmol/L：高血糖危象可能，立即通知\r\n医师，不按皮下校正剂量给药"},
        {L"极高危（≥20 分）：立即落实压力性损伤预防措施；营养筛查 >2 分：须营养评估",
         L"极高危（≥20 分）：立即落实压力性损伤预防措\r\n施；营养筛查 >2 分：须营养评估"},
        {L"单次餐时剂量较大，建议复核对碳水与比值，请复核 mmol/L",
         L"单次餐时剂量较大，建议复核对碳水与比值，请复核\r\nmmol/L"},
        {L"aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa bb", L"aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa\r\naaaaa bb"},
    };
    for (const auto& c : cases) {
        wchar_t shown[256];
        int lines = verdict_wrapped(c.message, shown, 256);
        EXPECT_STREQ(c.shown, shown);
        EXPECT_EQ(lines, verdict_lines(c.message));
    }
}
