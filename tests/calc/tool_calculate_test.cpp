// The calculation as the window and the self-test see it: lines, note,
// verdict, level and the copy.
#include <gtest/gtest.h>

#include <string>

#include "calc/calc.h"

namespace {

Calculation& calculate(const ToolDef& tool, const double* values) {
    static Calculation c;
    tool_calculate(tool, values, &c);
    return c;
}

const wchar_t DEFAULT_RESULT[] = L"餐时胰岛素：6.0 U\r\n抽取体积：0.060 ml\r\n";

// A failed formula shows "--", and no verdict is drawn from it: not the
// dose warning, and not "done".
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
        {60, 0, 100, L"餐时胰岛素：-- U\r\n抽取体积：-- ml\r\n" CALC_FAILURE_NOTE, CALC_FALLBACK_VERDICT, 2},
        {60, 10, 0, L"餐时胰岛素：6.0 U\r\n抽取体积：-- ml\r\n" CALC_FAILURE_NOTE, CALC_FALLBACK_VERDICT, 2},
        {1e300, 1e-300, 100, L"餐时胰岛素：-- U\r\n抽取体积：-- ml\r\n" CALC_FAILURE_NOTE,
         CALC_FALLBACK_VERDICT, 2},
    };
    for (const Case& c : cases) {
        const double values[] = {c.carbs, c.icr, c.conc};
        const Calculation& r = calculate(tool_builtin(), values);
        EXPECT_STREQ(c.result, r.text) << c.carbs << " " << c.icr << " " << c.conc;
        EXPECT_STREQ(c.verdict, r.verdict);
        EXPECT_EQ(c.level, r.level);
        EXPECT_EQ(c.conc, r.inputs[2]);
    }
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
    const std::wstring long_message(600, L'长');
    const RuleDef long_verdict[] = {{.condition = "", .level = 1, .message = long_message.c_str()}};
    struct Case {
        const RuleDef* rules;
        int count;
        std::wstring verdict;
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
        {long_verdict, 1, long_message.substr(0, VERDICT_CAPACITY - 2) + L"…", 1},
    };
    for (const Case& c : cases) {
        const ToolDef tool = {.id = 1, .title = L"t", .input_count = 1, .inputs = one_input,
                              .rule_count = c.count, .rules = c.rules};
        const double values[] = {3};
        const Calculation& r = calculate(tool, values);
        EXPECT_STREQ(L"", r.text);  // no outputs, no note
        EXPECT_EQ(c.verdict, r.verdict);
        EXPECT_EQ(c.level, r.level);
    }
}

// Rules that read only inputs hold as before beside a failed output; a rule
// that reads it, or one without a condition, does not.
TEST(ToolCalculate, NoVerdictFromAFailedOutput) {
    const OutputDef outputs[] = {
        {.key = "a", .label = L"甲", .unit = L"", .formula = "10/x", .format = "f0"},
        {.key = "b", .label = L"乙", .unit = L"", .formula = "a + 1", .format = "f0"},
        {.key = "c", .label = L"丙", .unit = L"", .formula = "x + 1", .format = "f0"},
    };
    const RuleDef rules[] = {{.condition = "a != 100", .level = 3, .message = L"读甲"},
                             {.condition = "b < 100", .level = 3, .message = L"读乙"},
                             {.condition = "x <= 0", .level = 1, .message = L"x 须大于 0"},
                             {.condition = "", .level = 0, .message = L"完成"}};
    const ToolDef tool = {.id = 1, .title = L"t", .input_count = 1, .inputs = one_input,
                          .output_count = 3, .outputs = outputs, .rule_count = 4, .rules = rules};
    struct Case {
        double x;
        const wchar_t* text;
        const wchar_t* verdict;
        int level;
    };
    const Case cases[] = {
        {5, L"甲：2\r\n乙：3\r\n丙：6\r\n", L"读甲", 3},
        // b reads the failed a, so it fails too; c is sound and shown.
        {0, L"甲：--\r\n乙：--\r\n丙：1\r\n" CALC_FAILURE_NOTE, L"x 须大于 0", 1},
    };
    for (const Case& c : cases) {
        const double values[] = {c.x};
        const Calculation& r = calculate(tool, values);
        EXPECT_STREQ(c.text, r.text) << c.x;
        EXPECT_STREQ(c.verdict, r.verdict) << c.x;
        EXPECT_EQ(c.level, r.level) << c.x;
    }
    const ToolDef no_guard = {.id = 1, .title = L"t", .input_count = 1, .inputs = one_input,
                              .output_count = 1, .outputs = outputs, .rule_count = 1, .rules = rules + 3};
    const double zero[] = {0};
    EXPECT_STREQ(CALC_FALLBACK_VERDICT, calculate(no_guard, zero).verdict);
    EXPECT_EQ(CALC_FAILURE_LEVEL, calculate(no_guard, zero).level);
}

// A formula tool's text first says what was chosen in each list, then which
// boxes are ticked (or that none is). A value its input does not take (no
// option's, outside the limits, too precise, a box's but its points) is
// unknown: what reads it shows "--", and no verdict is drawn from it; a
// report tool writes no report from it.
TEST(ToolCalculate, ValuesTheirInputsDoNotTakeFail) {
    const InputChoice options[] = {{L"0 分：否", 0}, {L"3 分：是", 3}};
    const InputDef inputs[] = {
        {.key = "x", .label = L"体重", .unit = L"kg", .min = 1, .max = 300, .decimals = 1},
        {.key = "cancer", .label = L"肿瘤", .choices = options, .choice_count = 2},
        {.key = "vte", .label = L"血栓史", .box = true, .points = 2}};
    const OutputDef outputs[] = {{.key = "total", .label = L"总分", .unit = L"分", .formula = "cancer + vte", .format = "f0"},
                                 {.key = "twice", .label = L"双倍", .unit = L"kg", .formula = "x*2", .format = "f0"}};
    const RuleDef rules[] = {{.condition = "x > 200", .level = 1, .message = L"重"},
                             {.condition = "", .level = 0, .message = L"完成"}};
    const ToolDef tool = {.id = 1, .title = L"t", .input_count = 3, .inputs = inputs, .output_count = 2,
                          .outputs = outputs, .rule_count = 2, .rules = rules};
    struct Case {
        double x, cancer, vte;
        const wchar_t* text;
        const wchar_t* verdict;
    };
    const Case cases[] = {
        {60, 3, 0, L"肿瘤：3 分：是\r\n勾选项目：无\r\n总分：3 分\r\n双倍：120 kg\r\n", L"完成"},
        {300, 0, 2, L"肿瘤：0 分：否\r\n血栓史：是（2 分）\r\n总分：2 分\r\n双倍：600 kg\r\n", L"重"},
        {60, 2, 0, L"肿瘤：--\r\n勾选项目：无\r\n总分：-- 分\r\n双倍：120 kg\r\n" CALC_FAILURE_NOTE, CALC_FALLBACK_VERDICT},
        {60, 0, 1, L"肿瘤：0 分：否\r\n血栓史：--\r\n总分：-- 分\r\n双倍：120 kg\r\n" CALC_FAILURE_NOTE, CALC_FALLBACK_VERDICT},
        {0.5, 3, 2, L"肿瘤：3 分：是\r\n血栓史：是（2 分）\r\n总分：5 分\r\n双倍：-- kg\r\n" CALC_FAILURE_NOTE, CALC_FALLBACK_VERDICT},
        {301, 0, 0, L"肿瘤：0 分：否\r\n勾选项目：无\r\n总分：0 分\r\n双倍：-- kg\r\n" CALC_FAILURE_NOTE, CALC_FALLBACK_VERDICT},
        {60.24, 3, 0, L"肿瘤：3 分：是\r\n勾选项目：无\r\n总分：3 分\r\n双倍：-- kg\r\n" CALC_FAILURE_NOTE, CALC_FALLBACK_VERDICT},
    };
    for (const Case& c : cases) {
        const double values[] = {c.x, c.cancer, c.vte};
        const Calculation& r = calculate(tool, values);
        EXPECT_STREQ(c.text, r.text) << c.x << " " << c.cancer << " " << c.vte;
        EXPECT_STREQ(c.verdict, r.verdict) << c.x << " " << c.cancer << " " << c.vte;
    }
    const InputDef rota_inputs[] = {{.key = "nurses", .min = 3, .max = 40}, {.key = "days", .min = 1, .max = 31}};
    const double too_many[] = {41, 31};
    const Calculation& r = calculate({.input_count = 2, .inputs = rota_inputs, .report_kind = REPORT_NURSE_ROTA}, too_many);
    EXPECT_STREQ(CALC_FAILURE_NOTE, r.text);
    EXPECT_STREQ(CALC_FALLBACK_VERDICT, r.verdict);
    EXPECT_EQ(CALC_FAILURE_LEVEL, r.level);
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
    const Calculation& r = calculate(tool, values);
    EXPECT_STREQ(L"甲：1\r\n乙：10.00\r\n丙：3.0% %\r\n", r.text);
    EXPECT_STREQ(L"乙为十", r.verdict);
    EXPECT_EQ(1, r.level);
}

// A line too long for its bound ends with the cut mark and keeps its line
// break, so the next line never runs into it.
TEST(ToolCalculate, LongLinesAreMarkedAndKeepTheirBreak) {
    const std::wstring label(300, L'长');
    const OutputDef outputs[] = {
        {.key = "a", .label = label.c_str(), .unit = L"U", .formula = "1", .format = "f0"},
        {.key = "b", .label = label.c_str(), .unit = L"", .formula = "1", .format = "f0"},
        {.key = "c", .label = L"短", .unit = L"", .formula = "2", .format = "f0"}};
    const ToolDef tool = {.id = 1, .title = L"t", .output_count = 3, .outputs = outputs};
    const Calculation& r = calculate(tool, nullptr);
    const std::wstring cut_line = label.substr(0, RESULT_LINE_CAPACITY - 4) + L"…\r\n";
    EXPECT_EQ(cut_line + cut_line + L"短：2\r\n", std::wstring(r.text));
}

// The calculation holds 16 outputs; a seventeenth is not silently dropped.
TEST(ToolCalculate, MoreOutputsThanTheTableHoldsShowTheNote) {
    OutputDef outputs[17];
    for (OutputDef& o : outputs) o = {.key = "k", .label = L"值", .unit = L"", .formula = "1", .format = "f0"};
    const ToolDef tool = {.id = 1, .title = L"t", .output_count = 17, .outputs = outputs};
    const Calculation& r = calculate(tool, nullptr);
    std::wstring expected;
    for (int i = 0; i < 16; i++) expected += L"值：1\r\n";
    expected += CALC_FAILURE_NOTE;
    EXPECT_EQ(expected, std::wstring(r.text));
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
        const Calculation& r = calculate(tool, nullptr);
        EXPECT_EQ(std::wstring(L"甲：1\r\n") + CALC_FAILURE_NOTE, r.text);
        EXPECT_STREQ(CALC_FALLBACK_VERDICT, r.verdict);
    }
    EXPECT_STREQ(CALC_FAILURE_NOTE, calculate({.output_count = 2}, nullptr).text);
}

TEST(ToolCalculate, ReportToolsTakeTheGeneratorsTextAndVerdict) {
    const OutputDef outputs[] = {{.key = "a", .label = L"甲", .unit = L"", .formula = "1/0", .format = nullptr}};
    const RuleDef rules[] = {{.condition = "", .level = 3, .message = L"不该出现"}};
    const ToolDef tool = {.id = 1, .title = L"t", .output_count = 1, .outputs = outputs,
                          .rule_count = 1, .rules = rules, .report_kind = 99};
    const Calculation& r = calculate(tool, nullptr);
    EXPECT_STREQ(L"（该工具暂无自定义报告）", r.text);
    EXPECT_STREQ(L"暂无报告内容", r.verdict);
    EXPECT_EQ(0, r.level);
}

}  // namespace
