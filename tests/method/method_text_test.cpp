// How a tool calculates, as its guide writes it for a reader: labels for
// keys, the signs a reader knows, chains as bands, rules with their level
// in words.
#include <gtest/gtest.h>

#include "launcher/tool_details.h"
#include "method/method.h"
#include "suite/catalogue.h"

namespace {

const ToolDef& suite_tool(int id) {
    for (int t = 0; t < suite_tool_count; t++)
        if (suite_tools[t]->id == id) return *suite_tools[t];
    ADD_FAILURE() << "no tool " << id;
    return *suite_tools[0];
}

TEST(MethodText, FormulasAndRulesReadAsAReaderWritesThem) {
    struct Case {
        int id;
        bool rule;  // a rule's text, else an output's
        int index;
        const wchar_t* text;
    };
    const Case cases[] = {
        {9, false, 0, L"餐时胰岛素 = 本餐碳水 ÷ 碳水系数"},
        {9, false, 1, L"抽取体积 = 本餐碳水 ÷ 碳水系数 ÷ 规格"},
        {9, true, 0, L"餐时胰岛素 > 20 → 单次餐时剂量较大，建议复核对碳水与比值（橙色，需关注）"},
        {9, true, 1, L"其余 → 按碳水系数计算完成（绿色，完成）"},
        {23, false, 0, L"呼吸频率评分 = 呼吸频率 ≤ 8 → 3；≤ 11 → 1；≤ 20 → 0；≤ 24 → 2；其余 → 3"},
        {38, false, 0, L"总分 = (呼吸频率 ≥ 22 → 1；其余 → 0) + (收缩压 ≤ 100 → 1；其余 → 0) + 意识状态"},
        {33, true, 0, L"RASS 评分 ≤ −4 → 深度镇静或昏迷（RASS ≤-4）：暂不能评估谵妄，稍后复评（橙色，需关注）"},
        {33, true, 1, L"特征 1：意识状态急性改变或 24 小时内波动 > 0 且 特征 2：注意力障碍（字母试验错误 >2 个） > 0 且 "
                      L"(RASS 评分 ≠ 0 或 特征 4：思维紊乱（问题与指令错误 >1 个） > 0) → "
                      L"CAM-ICU 阳性：存在谵妄，立即报告医师（红色，需立即处理）"},
    };
    for (const Case& c : cases) {
        PreparedTool tool;
        tool_prepare(suite_tool(c.id), &tool);
        wchar_t text[1024];
        if (c.rule) method_rule_text(tool, c.index, text, 1024);
        else method_output_text(tool, c.index, text, 1024);
        EXPECT_STREQ(c.text, text) << c.id << " " << c.index;
    }
    // A text longer than its room ends with the cut mark.
    PreparedTool tool;
    tool_prepare(suite_tool(9), &tool);
    wchar_t text[8];
    EXPECT_EQ(7, method_output_text(tool, 0, text, 8));
    EXPECT_STREQ(L"餐时胰岛素 …", text);
}

// The launcher's details pane: what a tool asks for, how it calculates and
// where each verdict starts; a report tool, what it lists, as its generator
// writes it from the defaults.
TEST(MethodText, TheDetailsPaneShowsHowEachToolCalculates) {
    struct Case {
        int id;
        const wchar_t* shown;
        bool formulas;
    };
    const Case cases[] = {
        {9, L"  · 本餐碳水（g）：默认 60；范围 0–300 g，最多 1 位小数\r\n", true},
        {9, L"计算方法：\r\n  · 餐时胰岛素 = 本餐碳水 ÷ 碳水系数\r\n", true},
        {9, L"  · 餐时胰岛素 > 20 → 单次餐时剂量较大，建议复核对碳水与比值（橙色，需关注）\r\n", true},
        {24, L"【1 分项】\r\n  · 计划小手术（勾选项，1 分）\r\n", true},
        {101, L"示例（按默认输入）：\r\n    排班规则：", false},
        {101, L"    ……（全文共 85 行）\r\n", false},
    };
    static wchar_t text[16384];
    for (const Case& c : cases) {
        tool_details_text(suite_tool(c.id), text, 16384);
        EXPECT_NE(nullptr, wcsstr(text, c.shown)) << c.id;
        EXPECT_EQ(c.formulas, wcsstr(text, L"计算方法：") != nullptr) << c.id;
    }
}

}  // namespace
