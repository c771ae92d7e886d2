// The record store's lines and files as a spreadsheet reads them.
#include <gtest/gtest.h>

#include <stdio.h>
#include <stdlib.h>
#include <string>
#include <wchar.h>

#include "store/store.h"
#include "support/file_bytes.h"
#include "support/prepared_tool.h"

namespace {

const InputDef inputs[] = {
    {.key = "a", .label = L"本餐碳水", .unit = L"g", .default_value = 60},
    {.key = "b", .label = L"系数,比值", .unit = L"", .default_value = 1},
    {.key = "c", .label = L"说\"明\"", .unit = L"", .default_value = 1},
};
const Prepared tool({.id = 987, .title = L"Glyvant", .input_count = 3, .inputs = inputs});
const RecordStamp noon = {.number = L"3f1c2d4e-5a6b-4c7d-8e9f-a0b1c2d3e4f5",
                          .patient = {},
                          .user = L"nurse01",
                          .computer = L"WARD-PC-12",
                          .time = {2026, 12, 8, 9, 5, 7, 480},
                          .assessed = {2026, 12, 8, 8, 58, 0, 480},
                          .headline = L"11",
                          .has_due = true,
                          .due = {2026, 12, 9, 8, 58, 0, 480}};
// What every row of `noon` ends with when no patient is given.
#define NOON_STAMP L",3f1c2d4e-5a6b-4c7d-8e9f-a0b1c2d3e4f5,,,,,,,nurse01,WARD-PC-12,2026-12-08T09:05:07+08:00,,," \
                   L"2026-12-08T08:58:00+08:00,11,2026-12-09T08:58:00+08:00\r\n"

Calculation& calculation_of(const wchar_t* result) {
    static Calculation c;
    const double values[] = {60, 10, 100};
    tool_calculate(tool, values, &c);
    text_copy(c.text, RESULT_TEXT_CAPACITY, result);
    return c;
}

TEST(RecordLines, HeaderAndRowsQuoteWhatNeedsIt) {
    wchar_t line[RECORD_LINE_CAPACITY];
    record_header_line(tool, line, RECORD_LINE_CAPACITY);
    EXPECT_STREQ(L"时间,工具,本餐碳水,\"系数,比值\",\"说\"\"明\"\"\",结果,记录编号,住院号,姓名,床号,科室,护士工号,护士姓名,"
                 L"Windows 用户,计算机名,保存时间,就诊号,入院时间,评估时间,主要结果,下次评估\r\n",
                 line);

    struct Case {
        double values[3];
        const wchar_t* result;
        const wchar_t* row;
    };
    const Case cases[] = {
        {{60, 0.1, 1234567}, L"餐时胰岛素：6.0 U\r\n抽取体积：0.060 ml\r\n",
         L"2026-12-08 09:05:07,Glyvant,本餐碳水=60,\"系数,比值=0.1\",\"说\"\"明\"\"=1.23457e+06\","
         L"\"餐时胰岛素：6.0 U\r\n抽取体积：0.060 ml\r\n\"" NOON_STAMP},
        {{-0.5, 0, 1e-7}, L"", L"2026-12-08 09:05:07,Glyvant,本餐碳水=-0.5,\"系数,比值=0\",\"说\"\"明\"\"=1e-07\"," NOON_STAMP},
        {{1, 2, 3}, L"plain", L"2026-12-08 09:05:07,Glyvant,本餐碳水=1,\"系数,比值=2\",\"说\"\"明\"\"=3\",plain" NOON_STAMP},
        // A line break alone, of either kind, would split the row too.
        {{1, 2, 3}, L"a\rb", L"2026-12-08 09:05:07,Glyvant,本餐碳水=1,\"系数,比值=2\",\"说\"\"明\"\"=3\",\"a\rb\"" NOON_STAMP},
        {{1, 2, 3}, L"a\nb", L"2026-12-08 09:05:07,Glyvant,本餐碳水=1,\"系数,比值=2\",\"说\"\"明\"\"=3\",\"a\nb\"" NOON_STAMP},
    };
    for (const Case& c : cases) {
        record_row_line(tool, c.values, c.result, noon, line, RECORD_LINE_CAPACITY);
        EXPECT_STREQ(c.row, line);
    }
    // Names and numbers from outside: text in a spreadsheet, never a formula;
    // an offset west of Greenwich with its sign.
    struct StampCase {
        const wchar_t* id;
        const wchar_t* name;
        const wchar_t* user;
        int offset;
        const wchar_t* columns;
    };
    // The stay's two after the columns an earlier version wrote.
#define TAIL L",3,2026-12-08T08:00,2026-12-08T08:58:00+08:00,11,2026-12-09T08:58:00+08:00\r\n"
    const StampCase stamps[] = {
        {L"2026001234", L"测试患者甲", L"nurse01", 480,
         L",2026001234,测试患者甲,12,普外一科,N01,测试护士,nurse01,WARD-PC-12,2026-12-08T09:05:07+08:00" TAIL},
        {L"+86", L"=HYPERLINK(\"http://x\",\"点我\")", L"@admin", -330,
         L",'+86,\"'=HYPERLINK(\"\"http://x\"\",\"\"点我\"\")\",12,普外一科,N01,测试护士,'@admin,WARD-PC-12,"
         L"2026-12-08T09:05:07-05:30" TAIL},
        {L"-1", L"\t甲", L"a-b", 0, L",'-1,'\t甲,12,普外一科,N01,测试护士,a-b,WARD-PC-12,2026-12-08T09:05:07+00:00" TAIL},
        // Excel reads the full-width signs as their ASCII forms.
        {L"－1", L"＝1+1", L"＠admin", 0,
         L",'－1,'＝1+1,12,普外一科,N01,测试护士,'＠admin,WARD-PC-12,2026-12-08T09:05:07+00:00" TAIL},
    };
#undef TAIL
    for (const StampCase& c : stamps) {
        RecordStamp stamp = noon;
        const wchar_t* fields[PATIENT_FIELD_COUNT] = {c.id,  c.name,     L"12", L"普外一科",
                                                      L"N01", L"测试护士", L"3",  L"2026-12-08T08:00"};
        for (int f = 0; f < PATIENT_FIELD_COUNT; f++) text_copy(stamp.patient.fields[f], PATIENT_FIELD_CAPACITY, fields[f]);
        text_copy(stamp.user, RECORD_NAME_CAPACITY, c.user);
        stamp.time.utc_offset_minutes = c.offset;
        const double values[] = {1, 2, 3};
        record_row_line(tool, values, L"plain", stamp, line, RECORD_LINE_CAPACITY);
        EXPECT_STREQ(c.columns, wcsstr(line, L"e4f5") + 4) << c.name;
    }
    // A calculation's result field ends with its verdict and level in words.
    Calculation& c = calculation_of(L"总分：9 分\r\n");
    text_copy(c.verdict, VERDICT_CAPACITY, L"极高危");
    c.level = 3;
    record_result_field(c, line, RECORD_LINE_CAPACITY);
    EXPECT_STREQ(L"总分：9 分\r\n结论：极高危\r\n提示等级：红色（需立即处理）\r\n", line);
}

// The result is kept whole, however long and however many quotes it holds;
// the title and a "label=value" field past their bounds end with the cut mark.
TEST(RecordLines, ResultWholeLongFieldsMarked) {
    static wchar_t line[RECORD_LINE_CAPACITY];
    const std::wstring result(RESULT_TEXT_MAX, L'"'), label(200, L'长');
    const InputDef long_input[] = {{.key = "a", .label = label.c_str()}};
    const std::wstring title(RECORD_TITLE_LIMIT + 1, L'题');
    const Prepared wide({.id = 1, .title = title.c_str(), .input_count = 1, .inputs = long_input});
    const double values[] = {60};
    record_row_line(wide, values, result.c_str(), noon, line, RECORD_LINE_CAPACITY);
    EXPECT_EQ(L"2026-12-08 09:05:07," + title.substr(0, RECORD_TITLE_LIMIT - 1) + L"…," +
                  label.substr(0, RECORD_INPUT_FIELD_LIMIT - 1) + L"…,\"" +
                  std::wstring(2 * RESULT_TEXT_MAX, L'"') + L"\"" NOON_STAMP,
              std::wstring(line));
}

int count_of(const std::string& text, const std::string& piece) {
    int n = 0;
    for (size_t at = text.find(piece); at != std::string::npos; at = text.find(piece, at + 1)) n++;
    return n;
}

Patient patient_of(const wchar_t* id, const wchar_t* name, const wchar_t* nurse) {
    Patient p = {};
    patient_set_field(&p, PATIENT_ID, id);
    patient_set_field(&p, PATIENT_NAME, name);
    patient_set_field(&p, NURSE_NAME, nurse);
    return p;
}

// The first save creates the folders and the file with one mark and one
// header; later saves add one row each. A file an earlier version began,
// with a header of its own, is left byte for byte as it was: the rows go to
// a file of their own beside it. The patient's last row is found again
// from the file's end, and no other patient's.
TEST(RecordSave, FirstSaveCreatesFileLaterSavesAppend) {
    wchar_t where[RECORD_PATH_CAPACITY];
#ifndef _WIN32
    char folder[] = "/tmp/glyvant-records-XXXXXX";
    ASSERT_NE(nullptr, mkdtemp(folder));
    setenv("XDG_DATA_HOME", folder, 1);
#endif
    wchar_t base[RECORD_PATH_CAPACITY], old_path[RECORD_PATH_CAPACITY], path[RECORD_PATH_CAPACITY];
    ASSERT_TRUE(platform_calls.user_data_folder(base, RECORD_PATH_CAPACITY));
    const wchar_t sep = PLATFORM_PATH_SEPARATOR;
    text_format(old_path, RECORD_PATH_CAPACITY, L"%ls%lcOrvoMedSuite%lcrecords%lcT987.csv", base, sep, sep, sep);
    text_format(path, RECORD_PATH_CAPACITY, L"%ls%lcOrvoMedSuite%lcrecords%lcT987-2.csv", base, sep, sep, sep);
    platform_calls.remove_file(old_path);
    platform_calls.remove_file(path);
    const Patient no_one = {};
    ASSERT_EQ(RECORD_SAVED, record_save(tool, calculation_of(L"第一次"), no_one, where, RECORD_PATH_CAPACITY));
    EXPECT_STREQ(old_path, where);
    const std::string old_rows = "\xEF\xBB\xBF时间,工具,本餐碳水,结果\r\n2025-01-02 03:04:05,Glyvant,本餐碳水=60,旧\r\n";
    ASSERT_TRUE(platform_replace_file(old_path, old_rows.data(), (int)old_rows.size()));

    const Patient a = patient_of(L"2026001234", L"测试患者甲", L"测试护士"), b = patient_of(L"2026001235", L"测试患者乙", L"");
    ASSERT_EQ(RECORD_SAVED, record_save(tool, calculation_of(L"餐时胰岛素：6.0 U\r\n"), a, where, RECORD_PATH_CAPACITY));
    EXPECT_STREQ(path, where);
    ASSERT_EQ(RECORD_SAVED, record_save(tool, calculation_of(L"餐时胰岛素：9.5 U\r\n"), b, where, RECORD_PATH_CAPACITY));
    EXPECT_EQ(old_rows, file_bytes(old_path));
    std::string bytes = file_bytes(path);
    EXPECT_EQ(0u, bytes.find("\xEF\xBB\xBF\xE6\x97\xB6\xE9\x97\xB4,"));  // mark, then 时间
    EXPECT_EQ(1, count_of(bytes, "\xEF\xBB\xBF"));
    EXPECT_EQ(1, count_of(bytes, "下次评估\r\n"));  // one header
    EXPECT_EQ(2, count_of(bytes, ",Glyvant,本餐碳水=60,"));  // the calculation's own inputs
    platform_calls.remove_file(old_path);
    platform_calls.remove_file(path);

    // The patient's last row, found from the file's end: the assessment's
    // time (its year only in another year), the headline, not the first
    // output, and the band's words of the verdict, or the level's where it has
    // none or they only restate the score.
    const InputDef items[] = {{.key = "rr", .label = L"呼吸"}, {.key = "hr", .label = L"心率"}};
    const OutputDef outputs[] = {
        {.key = "rr_score", .label = L"呼吸评分", .unit = L"分", .formula = "rr", .format = "int"},
        {.key = "total", .label = L"总分", .unit = L"分", .formula = "rr+hr", .format = "int"},
    };
    // A headline the verdict withholds leaves its column empty, and the line
    // names no number for it.
    const RuleDef rules[] = {
        {.condition = "hr == 99", .level = 2, .message = L"不计总分：心率未测", .withholds = "total",
         .withheld_reason = L"心率未测"},
        {.condition = "total >= 7", .level = 3, .message = L"高风险（≥7 分）：立即通知医师"},
        {.condition = "total >= 3", .level = 1, .message = L"4 分：加强观察"},
        {.condition = "", .level = 0, .message = L"低风险"},
    };
    const Prepared scale({.id = 988, .title = L"早期预警", .input_count = 2, .inputs = items, .output_count = 2,
                          .outputs = outputs, .rule_count = 4, .rules = rules, .headline = "total"});
    wchar_t last[RECORD_LAST_CAPACITY];
    const LocalTime this_year = {2026, 12, 9, 8, 0, 0, 480}, next_year = {2027, 1, 1, 8, 0, 0, 480};
    const LocalTime assessed = {2026, 12, 8, 9, 12, 30, 480};
    EXPECT_FALSE(record_last_assessment(scale, a, this_year, last, RECORD_LAST_CAPACITY));
    EXPECT_STREQ(RECORD_NO_LAST_ASSESSMENT, last);
    struct Save {
        Patient patient;
        double values[2];
    };
    const Patient c = patient_of(L"2026009999", L"测试患者丙", L"");
    const Save saves[] = {{a, {1, 1}}, {a, {3, 8}}, {b, {2, 2}}, {c, {2, 99}}};
    for (const Save& save : saves) {
        Calculation calculation;
        tool_calculate(scale, save.values, &calculation);
        ASSERT_EQ(RECORD_SAVED, record_save(scale, calculation, save.patient, where, RECORD_PATH_CAPACITY, nullptr, &assessed));
    }
    const std::string rows = file_bytes(where);
    EXPECT_NE(std::string::npos, rows.find("总分：不适用：心率未测"));
    EXPECT_EQ("+08:00,,\r\n", rows.substr(rows.size() - 10));  // the withheld headline's column is empty, and no due time was given
    struct Seen {
        Patient patient;
        LocalTime now;
        const wchar_t* line;
    };
    const Seen seen[] = {
        {a, this_year, L"上次评估：12-08 09:12　总分 11 分　高风险　测试护士"},
        {b, next_year, L"上次评估：2026-12-08 09:12　总分 4 分　提醒"},
        {c, this_year, L"上次评估：12-08 09:12　不计总分"},
    };
    for (const Seen& c : seen) {
        EXPECT_TRUE(record_last_assessment(scale, c.patient, c.now, last, RECORD_LAST_CAPACITY));
        EXPECT_STREQ(c.line, last);
    }
    // The same number under another name is another patient, or a slip.
    EXPECT_FALSE(record_last_assessment(scale, patient_of(L"2026001234", L"测试患者乙", L""), this_year, last,
                                        RECORD_LAST_CAPACITY));
    record_file_path(scale, path, RECORD_PATH_CAPACITY);
    platform_calls.remove_file(old_path);
    platform_calls.remove_file(path);
}

// A row far longer in UTF-8 than 4095 bytes is written whole, and every
// field comes back from the file.
TEST(RecordSave, LongRowsAreWrittenWhole) {
    static const std::wstring label(120, L'长');
    InputDef many[TOOL_MAX_INPUTS];
    for (int i = 0; i < TOOL_MAX_INPUTS; i++)
        many[i] = {.key = "k", .label = label.c_str(), .unit = L"", .default_value = 1};
    const Prepared wide({.id = 988, .title = L"长行", .input_count = TOOL_MAX_INPUTS, .inputs = many});
    wchar_t where[RECORD_PATH_CAPACITY];
    ASSERT_EQ(RECORD_SAVED, record_save(wide, calculation_of(std::wstring(RESULT_TEXT_MAX, L'果').c_str()),
                                        Patient{}, where, RECORD_PATH_CAPACITY));
    std::string bytes = file_bytes(where);
    platform_calls.remove_file(where);
    std::string row = bytes.substr(bytes.find("\r\n") + 2);
    EXPECT_GT(row.size(), 4095u);
    EXPECT_EQ(TOOL_MAX_INPUTS + 2 + RECORD_STAMP_COLUMNS, count_of(row, ","));  // no field lost
    EXPECT_EQ(RESULT_TEXT_MAX, count_of(row, "\xE6\x9E\x9C"));  // 果, the whole result
    EXPECT_EQ("\r\n", row.substr(row.size() - 2));
}

#ifndef _WIN32
TEST(RecordSave, FailuresAreReportedNotHidden) {
    wchar_t where[RECORD_PATH_CAPACITY];
    const Calculation& x = calculation_of(L"x");

    // The folder's place is taken by a file: nothing can be written.
    char folder[] = "/tmp/glyvant-records-XXXXXX";
    ASSERT_NE(nullptr, mkdtemp(folder));
    std::string blocker = std::string(folder) + "/OrvoMedSuite";
    FILE* f = fopen(blocker.c_str(), "w");
    ASSERT_NE(nullptr, f);
    fclose(f);
    setenv("XDG_DATA_HOME", folder, 1);
    EXPECT_EQ(RECORD_NOT_WRITTEN, record_save(tool, x, Patient{}, where, RECORD_PATH_CAPACITY));
    remove(blocker.c_str());
    EXPECT_EQ(RECORD_SAVED, record_save(tool, x, Patient{}, where, RECORD_PATH_CAPACITY));

    // No per-user folder at all: the message names the folder it looked for.
    std::string home = getenv("HOME") ? getenv("HOME") : "";
    unsetenv("XDG_DATA_HOME");
    unsetenv("HOME");
    EXPECT_EQ(RECORD_NO_DATA_FOLDER, record_save(tool, x, Patient{}, where, RECORD_PATH_CAPACITY));
    EXPECT_STREQ(L"$XDG_DATA_HOME/OrvoMedSuite/records", where);
    setenv("HOME", home.c_str(), 1);
}
#endif

}  // namespace
