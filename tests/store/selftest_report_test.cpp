// The self-test report as deployment scripts read it, and the file it lands in.
#include <gtest/gtest.h>

#include <stdio.h>
#include <string>

#include "store/store.h"
#include "support/file_bytes.h"
#include "support/prepared_tool.h"

namespace {

std::wstring report_of(const ToolDef& tool, int* errors) {
    static wchar_t report[SELFTEST_REPORT_CAPACITY];
    const Prepared prepared(tool);
    *errors = selftest_report(prepared, report, SELFTEST_REPORT_CAPACITY);
    return report;
}

TEST(SelftestReport, BuiltInToolGivesSevenLines) {
    int errors = -1;
    EXPECT_EQ(L"TOOL|9|Glyvant|内分泌\r\n"
              L"LEVEL|0\r\n"
              L"OUT|餐时胰岛素|6.0|U\r\n"
              L"OUT|抽取体积|0.060|ml\r\n"
              L"VERDICT|按碳水系数计算完成\r\n"
              L"DETAIL|餐时胰岛素：6.0 U 抽取体积：0.060 ml \r\n"
              L"ERRORS|0\r\n",
              report_of(tool_builtin(), &errors));
    EXPECT_EQ(0, errors);
}

const InputDef inputs[] = {
    {.key = "dose", .label = L"剂量", .unit = L"mg", .default_value = 40},
    {.key = "weight", .label = L"体重", .unit = L"kg", .default_value = 400, .min = 0.5, .max = 350},
};

// Each formula is checked on its own: another output's key reads 0 in the
// OUT line, while the DETAIL line shows the calculation with it. A formula
// that fails shows "--" on both; a default outside its input's limits is an
// error of its own, and what reads it fails.
TEST(SelftestReport, FailuresUnitsAndOutputKeys) {
    const OutputDef outputs[] = {
        {.key = "per_kg", .label = L"每公斤", .unit = L"mg/kg", .formula = "dose/weight", .format = "f2"},
        {.key = "half", .label = L"半量", .unit = nullptr, .formula = "dose/2", .format = "f1"},
        {.key = "twice", .label = L"两倍半量", .unit = L"", .formula = "half*2", .format = "f0"},
        {.key = "bad", .label = L"错", .unit = L"mg", .formula = "dose +", .format = nullptr},
    };
    const RuleDef rules[] = {{.condition = "twice > 30", .level = 1, .message = L"大于三十"}};
    const ToolDef tool = {.id = 77, .title = L"测试", .category = L"药学", .input_count = 2,
                          .inputs = inputs, .output_count = 4, .outputs = outputs,
                          .rule_count = 1, .rules = rules};
    int errors = -1;
    EXPECT_EQ(L"TOOL|77|测试|药学\r\n"
              L"LEVEL|1\r\n"
              L"OUT|每公斤|--|mg/kg\r\n"
              L"OUT|半量|20.0|\r\n"
              L"OUT|两倍半量|0|\r\n"
              L"OUT|错|--|mg\r\n"
              L"VERDICT|大于三十\r\n"
              L"DETAIL|每公斤：-- mg/kg 半量：20.0 两倍半量：40 错：-- mg "
              L"（部分结果无法计算，请检查输入是否合理） \r\n"
              L"ERRORS|3\r\n",
              report_of(tool, &errors));
    EXPECT_EQ(3, errors);
}

// An OUT line too long for its bound ends with the cut mark and still ends
// its line, so the VERDICT line is read as such.
TEST(SelftestReport, LongOutLineKeepsItsLineBreak) {
    const std::wstring label(600, L'长');
    const OutputDef outputs[] = {{.key = "a", .label = label.c_str(), .unit = L"", .formula = "1"}};
    int errors = -1;
    std::wstring report = report_of({.id = 1, .title = L"t", .output_count = 1, .outputs = outputs}, &errors);
    EXPECT_NE(std::wstring::npos, report.find(L"OUT|" + label.substr(0, 504) + L"…\r\nVERDICT|"));
}

TEST(SelftestReport, ReportToolsHaveOneFixedOutLine) {
    const OutputDef outputs[] = {{.key = "a", .label = L"甲", .unit = L"", .formula = "1/0", .format = nullptr}};
    const ToolDef tool = {.id = 123, .title = L"报告", .category = L"护理", .output_count = 1,
                          .outputs = outputs, .report_kind = 42};
    int errors = -1;
    EXPECT_EQ(L"TOOL|123|报告|护理\r\n"
              L"LEVEL|0\r\n"
              L"OUT|报告文本|见 DETAIL|\r\n"
              L"VERDICT|暂无报告内容\r\n"
              L"DETAIL|（该工具暂无自定义报告）\r\n"
              L"ERRORS|0\r\n",
              report_of(tool, &errors));
    EXPECT_EQ(0, errors);
}

// A descriptor the program cannot serve never passes its self-test, a report
// tool included; one that fills the tables exactly does.
TEST(SelftestReport, MoreInputsOrOutputsThanTheProgramHoldsCountAsAnError) {
    constexpr int IN = TOOL_MAX_INPUTS, OUT = TOOL_MAX_OUTPUTS;
    OutputDef outputs[OUT + 1];
    for (OutputDef& o : outputs) o = {.key = "k", .label = L"值", .unit = L"", .formula = "1", .format = "f0"};
    InputDef inputs[IN + 1];
    for (InputDef& i : inputs) i = {.key = "k", .label = L"值", .unit = L"", .default_value = 1};
    struct Case {
        int input_count, output_count, report_kind, errors;
    };
    const Case cases[] = {{0, OUT + 1, 0, 1}, {IN + 1, 0, 1, 1}, {IN, OUT, 0, 0}, {IN, 0, 1, 0}};
    for (const Case& c : cases) {
        const ToolDef tool = {.id = 1, .title = L"t", .category = L"c", .input_count = c.input_count,
                              .inputs = inputs, .output_count = c.output_count, .outputs = outputs,
                              .report_kind = c.report_kind};
        int errors = -1;
        std::wstring report = report_of(tool, &errors);
        EXPECT_EQ(c.errors, errors) << c.input_count << " inputs, " << c.output_count << " outputs";
        EXPECT_NE(std::wstring::npos, report.find(c.errors ? L"ERRORS|1\r\n" : L"ERRORS|0\r\n"));
    }
}

// ---- The report file ---------------------------------------------------------


TEST(WriteUtf8File, WritesWholeTextWithoutMarkAndReplacesOldContent) {
    const wchar_t* path = L"glyvant_write_test.txt";
    ASSERT_TRUE(write_utf8_file(path, L"TOOL|9|Glyvant|内分泌\r\nERRORS|0\r\nan old, longer content"));
    ASSERT_TRUE(write_utf8_file(path, L"TOOL|9|Glyvant|内分泌\r\n"));
    EXPECT_EQ("TOOL|9|Glyvant|\xe5\x86\x85\xe5\x88\x86\xe6\xb3\x8c\r\n", file_bytes(path));

    // The longest report: 16383 characters of three UTF-8 bytes each.
    static wchar_t longest[SELFTEST_REPORT_CAPACITY];
    for (int i = 0; i < SELFTEST_REPORT_CAPACITY - 1; i++) longest[i] = L'班';
    longest[SELFTEST_REPORT_CAPACITY - 1] = 0;
    ASSERT_TRUE(write_utf8_file(path, longest));
    std::string bytes = file_bytes(path);
    ASSERT_EQ(size_t(3 * (SELFTEST_REPORT_CAPACITY - 1)), bytes.size());
    EXPECT_EQ("\xe7\x8f\xad", bytes.substr(bytes.size() - 3));
    platform_calls.remove_file(path);
}

TEST(WriteUtf8File, FailureIsReportedAndLeavesNoFile) {
    EXPECT_FALSE(write_utf8_file(L"no_such_folder_glyvant/report.txt", L"TOOL|9\r\n"));
    EXPECT_EQ("(missing)", file_bytes(L"no_such_folder_glyvant/report.txt"));
    EXPECT_EQ(EXIT_REPORT_NOT_WRITTEN, run_selftest(L"no_such_folder_glyvant/report.txt"));
#ifndef _WIN32
    // A device that takes no bytes: the write fails when the file is closed.
    EXPECT_FALSE(write_utf8_file(L"/dev/full", L"TOOL|9\r\n"));
    EXPECT_EQ(EXIT_REPORT_NOT_WRITTEN, run_selftest(L"/dev/full"));
#endif
}

}  // namespace
