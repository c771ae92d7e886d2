// The calculation as the window and the self-test see it: lines, note,
// verdict, level and the copy.
#include <gtest/gtest.h>

#include <string>

#include "calc/calc.h"

namespace {

struct Calculation {
    wchar_t result[4096];
    wchar_t verdict[512];
    wchar_t copy[8192];
    int level;
    int returned;
};

Calculation calculate(const ToolDef& tool, const double* values, int result_capacity = 4096,
                      int verdict_capacity = 512, int copy_capacity = 8192) {
    Calculation c;
    c.level = -1;
    c.returned = tool_calculate(tool, values, c.result, result_capacity, c.verdict, verdict_capacity,
                                &c.level, c.copy, copy_capacity);
    return c;
}

const wchar_t DEFAULT_RESULT[] = L"餐时胰岛素：6.0 U\r\n抽取体积：0.060 ml\r\n";

TEST(ToolCalculate, BuiltInTool) {
    struct Case {
        double carbs, icr, conc;
        const wchar_t* result;
        const wchar_t* verdict;
        int level;
    };
    const Case cases[] = {
        {60, 10, 100, DEFAULT_RESULT, L"按碳水系数计算完成", 0},
        {250, 10, 100, L"餐时胰岛素：25.0 U\r\n抽取体积：0.250 ml\r\n",
         L"单次餐时剂量较大，建议复核对碳水与比值", 2},
        {200, 10, 100, L"餐时胰岛素：20.0 U\r\n抽取体积：0.200 ml\r\n", L"按碳水系数计算完成", 0},
        {60, 0, 100,
         L"餐时胰岛素：0.0 U\r\n抽取体积：0.000 ml\r\n（部分结果无法计算，请检查输入是否合理）\r\n",
         L"按碳水系数计算完成", 0},
        {60, 10, 0,
         L"餐时胰岛素：6.0 U\r\n抽取体积：0.000 ml\r\n（部分结果无法计算，请检查输入是否合理）\r\n",
         L"按碳水系数计算完成", 0},
        // An infinite dose fails, shows "--" and still raises the warning.
        {1e300, 1e-300, 100,
         L"餐时胰岛素：-- U\r\n抽取体积：-- ml\r\n（部分结果无法计算，请检查输入是否合理）\r\n",
         L"单次餐时剂量较大，建议复核对碳水与比值", 2},
    };
    for (const Case& c : cases) {
        const double values[] = {c.carbs, c.icr, c.conc};
        Calculation r = calculate(tool_builtin(), values);
        EXPECT_STREQ(c.result, r.result) << c.carbs << " " << c.icr << " " << c.conc;
        EXPECT_STREQ(c.result, r.copy);
        EXPECT_STREQ(c.verdict, r.verdict);
        EXPECT_EQ(c.level, r.level);
        EXPECT_EQ(c.level, r.returned);
    }
}

// A line that does not fit is cut, and nothing after it is added.
TEST(ToolCalculate, AppendRuleAtSmallCapacities) {
    const double values[] = {60, 0, 100};  // both formulas fail: a note follows
    const std::wstring full =
        L"餐时胰岛素：0.0 U\r\n抽取体积：0.000 ml\r\n（部分结果无法计算，请检查输入是否合理）\r\n";
    const int first_line = (int)std::wstring(L"餐时胰岛素：0.0 U\r\n").size();
    const int capacities[] = {1, 2, first_line, first_line + 1, first_line + 3, (int)full.size(),
                              (int)full.size() + 1};
    for (int capacity : capacities) {
        Calculation r = calculate(tool_builtin(), values, capacity, 512, capacity);
        std::wstring expected = full.substr(0, (size_t)(capacity - 1));
        EXPECT_EQ(expected, std::wstring(r.result)) << "capacity " << capacity;
        EXPECT_EQ(expected, std::wstring(r.copy)) << "capacity " << capacity;
        EXPECT_STREQ(L"按碳水系数计算完成", r.verdict);
    }
    // The verdict and the copy are cut on their own capacities.
    Calculation r = calculate(tool_builtin(), values, 4096, 4, 5);
    EXPECT_STREQ(L"按碳水", r.verdict);
    EXPECT_STREQ(L"餐时胰岛", r.copy);
    r = calculate(tool_builtin(), values, 4096, 1, 1);
    EXPECT_STREQ(L"", r.verdict);
    EXPECT_STREQ(L"", r.copy);
}

const InputDef one_input[] = {{.key = "x", .label = L"x", .unit = L"", .default_value = 3}};

TEST(ToolCalculate, RulesAndTheFallbackVerdict) {
    const RuleDef empty_message[] = {{.condition = "x > 1", .level = 2, .message = L""}};
    const RuleDef all_fail[] = {{.condition = "y > 1", .level = 3, .message = L"未知"},
                                {.condition = "1/0", .level = 3, .message = L"除零"},
                                {.condition = "x > 1 1", .level = 3, .message = L"多余"},
                                {.condition = "exp(1000)", .level = 3, .message = L"无穷"},
                                {.condition = "x < 1", .level = 1, .message = L"假"}};
    const RuleDef first_wins[] = {{.condition = "", .level = 1, .message = L"先"},
                                  {.condition = "x > 1", .level = 3, .message = L"后"}};
    const RuleDef null_condition[] = {{.condition = nullptr, .level = 2, .message = L"空条件"}};
    const RuleDef negative_holds[] = {{.condition = "0 - x", .level = 2, .message = L"负值为真"}};
    const RuleDef nan_holds[] = {{.condition = "!(0*exp(1000))", .level = 3, .message = L"否"},
                                 {.condition = "(0*exp(1000)) ? 1 : 0", .level = 1, .message = L"NaN 为真"}};
    struct Case {
        const RuleDef* rules;
        int count;
        const wchar_t* verdict;
        int level;
    };
    const Case cases[] = {
        {nullptr, 0, L"请核对输入参数后重新计算", 0},
        {empty_message, 1, L"请核对输入参数后重新计算", 2},
        {all_fail, 5, L"请核对输入参数后重新计算", 0},
        {first_wins, 2, L"先", 1},
        {null_condition, 1, L"空条件", 2},
        {nan_holds, 2, L"NaN 为真", 1},
        {negative_holds, 1, L"负值为真", 2},
    };
    for (const Case& c : cases) {
        const ToolDef tool = {.id = 1, .title = L"t", .input_count = 1, .inputs = one_input,
                              .rule_count = c.count, .rules = c.rules};
        const double values[] = {3};
        Calculation r = calculate(tool, values);
        EXPECT_STREQ(L"", r.result);  // no outputs, no note
        EXPECT_STREQ(c.verdict, r.verdict);
        EXPECT_EQ(c.level, r.level);
    }
}

TEST(ToolCalculate, OutputsSeeEarlierOutputsOnly) {
    const OutputDef outputs[] = {
        {.key = "a", .label = L"甲", .unit = L"", .formula = "b + a + 1", .format = "f0"},
        {.key = "b", .label = L"乙", .unit = nullptr, .formula = "a * 10", .format = nullptr},
        {.key = "c", .label = L"丙", .unit = L"%", .formula = "x", .format = "pct"},
    };
    const RuleDef rules[] = {{.condition = "b == 10", .level = 1, .message = L"乙为十"}};
    const ToolDef tool = {.id = 1, .title = L"t", .input_count = 1, .inputs = one_input,
                          .output_count = 3, .outputs = outputs, .rule_count = 1, .rules = rules};
    const double values[] = {3};
    Calculation r = calculate(tool, values);
    EXPECT_STREQ(L"甲：1\r\n乙：10.00\r\n丙：3.0% %\r\n", r.result);
    EXPECT_STREQ(L"乙为十", r.verdict);
    EXPECT_EQ(1, r.level);
}

TEST(ToolCalculate, LongLinesAreCutAt255Characters) {
    const std::wstring label(300, L'长');
    const OutputDef outputs[] = {
        {.key = "a", .label = label.c_str(), .unit = L"", .formula = "1", .format = "f0"},
        {.key = "b", .label = L"短", .unit = L"", .formula = "2", .format = "f0"}};
    const ToolDef tool = {.id = 1, .title = L"t", .output_count = 2, .outputs = outputs};
    Calculation r = calculate(tool, nullptr);
    EXPECT_EQ(label.substr(0, 255) + L"短：2\r\n", std::wstring(r.result));
}

// The calculation holds 16 outputs; a seventeenth is not silently dropped.
TEST(ToolCalculate, MoreOutputsThanTheTableHoldsShowTheNote) {
    OutputDef outputs[17];
    for (OutputDef& o : outputs) o = {.key = "k", .label = L"值", .unit = L"", .formula = "1", .format = "f0"};
    const ToolDef tool = {.id = 1, .title = L"t", .output_count = 17, .outputs = outputs};
    Calculation r = calculate(tool, nullptr);
    std::wstring expected;
    for (int i = 0; i < 16; i++) expected += L"值：1\r\n";
    expected += CALC_FAILURE_NOTE;
    EXPECT_EQ(expected, std::wstring(r.result));
}

// A count without its records is served without them, and the note says
// that something is missing.
TEST(ToolCalculate, CountsWithoutRecordsAreNotRead) {
    const OutputDef one[] = {{.key = "a", .label = L"甲", .unit = L"", .formula = "1", .format = "f0"}};
    const ToolDef tools[] = {
        {.output_count = 1, .outputs = one, .rule_count = 2},
        {.input_count = 3, .output_count = 1, .outputs = one},
    };
    for (const ToolDef& tool : tools) {
        Calculation r = calculate(tool, nullptr);
        EXPECT_EQ(std::wstring(L"甲：1\r\n") + CALC_FAILURE_NOTE, r.result);
        EXPECT_STREQ(CALC_FALLBACK_VERDICT, r.verdict);
    }
    EXPECT_STREQ(CALC_FAILURE_NOTE, calculate({.output_count = 2}, nullptr).result);
}

TEST(ToolCalculate, ReportToolsTakeTheGeneratorsTextAndVerdict) {
    const OutputDef outputs[] = {{.key = "a", .label = L"甲", .unit = L"", .formula = "1/0", .format = nullptr}};
    const RuleDef rules[] = {{.condition = "", .level = 3, .message = L"不该出现"}};
    const ToolDef tool = {.id = 1, .title = L"t", .output_count = 1, .outputs = outputs,
                          .rule_count = 1, .rules = rules, .report_kind = 99};
    Calculation r = calculate(tool, nullptr);
    EXPECT_STREQ(L"（该工具暂无自定义报告）", r.result);
    EXPECT_STREQ(L"（该工具暂无自定义报告）", r.copy);
    EXPECT_STREQ(L"暂无报告内容", r.verdict);
    EXPECT_EQ(0, r.level);
}

}  // namespace
