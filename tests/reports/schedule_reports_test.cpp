// The schedule reports: the rota's rotation, the timetable's days and clock
// times, and follow-up dates across month and year ends.
#include <math.h>
#include <time.h>

#include "calc/calc.h"
#include "reports/report_run.h"

namespace {

const wchar_t ROTA_RULE[] = L"排班规则：三班轮转（白班 D / 夜班 N / 休息 R），每日每班 1 人，按人员顺序滚动。";
const wchar_t ROTA_TIP[] = L"提示：连续夜班不超过 2 个，夜班后应安排休息；请按科室实际人数与能级调整。";

TEST(NurseRota, RotationAndBounds) {
    Report r = generate(1, {{"nurses", 2}, {"days", 3}});
    EXPECT_EQ(std::wstring(ROTA_RULE) + L"\r\n人员：2 人；周期：3 天\r\n\r\n"
                  L"护士01：\r\n  1日D 2日R 3日N \r\n护士02：\r\n  1日N 2日D 3日R \r\n\r\n" + ROTA_TIP + L"\r\n",
              r.text);
    EXPECT_EQ(L"已生成轮转排班表，可复制到排班本或表格", r.verdict);
    EXPECT_EQ(0, r.level);

    Report one = generate(1, {});
    EXPECT_EQ(L"人员：1 人；周期：1 天", one.lines[1]);
    EXPECT_EQ(L"  1日D ", one.lines[4]);
    EXPECT_EQ(L"人员：40 人；周期：31 天", generate(1, {{"nurses", 41}, {"days", 40}}).lines[1]);
    EXPECT_EQ(L"人员：1 人；周期：1 天", generate(1, {{"nurses", NAN}, {"days", 1e12}}).lines[1]);
}

// Every report at its largest stays within REPORT_TEXT_MAX, which the
// result buffer is sized from: the whole 40-nurse, 31-day rota, its tip
// line included, is what the window shows, Copy copies and Save records.
TEST(ReportTexts, EveryKindAtItsLargestFitsTheResult) {
    const double huge = 1e308;
    const std::vector<Input> largest[] = {
        {},
        {{"nurses", 40}, {"days", 31}},
        {{"start", 2147483600.0 * 24}, {"interval", 23.99}, {"times", 30}},  // ten-digit days
        {{"kind", 2}},
        {{"kind", 1}},
        {{"kind", 3}},
        {{"drugA", -2147483648.0}, {"drugB", -2147483648.0}},
        {{"start", 2147483647}, {"gap", 2147483647}, {"times", 20}},
        {},
        {{"beds", 30}},
        {{"bed", -2147483648.0}, {"dose", -huge}, {"volume", -huge}, {"gtt", -huge}},
        {{"panel", 2}},
    };
    static_assert(sizeof largest / sizeof largest[0] == REPORT_KIND_COUNT, "one row per kind");
    for (int kind = 1; kind < REPORT_KIND_COUNT; kind++) {
        Report r = generate(kind, largest[kind], 4 * REPORT_TEXT_MAX);
        EXPECT_LE(r.text.size(), (size_t)REPORT_TEXT_MAX) << "kind " << kind;
        EXPECT_EQ(L"", r.lines.back()) << "kind " << kind << " is whole";
    }

    static Calculation c;
    InputDef inputs[] = {{.key = "nurses", .default_value = 40}, {.key = "days", .default_value = 31}};
    const double values[] = {40, 31};
    tool_calculate({.input_count = 2, .inputs = inputs, .report_kind = REPORT_NURSE_ROTA}, values, &c);
    std::wstring text = c.text;
    EXPECT_EQ(6390u, text.size());
    std::vector<std::wstring> lines = split_lines(text);
    ASSERT_EQ(3u + 2 * 40 + 3, lines.size());
    EXPECT_EQ(L"护士40：", lines[81]);
    EXPECT_EQ(L"  1日D 2日R 3日N 4日D 5日R 6日N 7日D 8日R 9日N 10日D 11日R 12日N 13日D 14日R 15日N 16日D "
              L"17日R 18日N 19日D 20日R 21日N 22日D 23日R 24日N 25日D 26日R 27日N 28日D 29日R 30日N "
              L"31日D ",
              lines[82]);
    EXPECT_EQ(ROTA_TIP, lines[84]);
}

TEST(DosingTimetable, SlotsHeadingAndDefaults) {
    struct Case {
        std::vector<Input> inputs;
        const wchar_t* heading;
        const wchar_t* slots;
    };
    const Case cases[] = {
        {{}, L"首剂时间 0:00，间隔 8 小时，共 1 次：", L"第1天 00:00"},
        {{{"start", 22}, {"interval", 8}, {"times", 3}}, L"首剂时间 22:00，间隔 8 小时，共 3 次：",
         L"第1天 22:00  |  第2天 06:00  |  第2天 14:00"},
        // Minutes rounded, in the heading as in the slots.
        {{{"start", 8.01}, {"interval", 8}, {"times", 2}}, L"首剂时间 8:01，间隔 8 小时，共 2 次：",
         L"第1天 08:01  |  第1天 16:01"},
        {{{"start", 7.5}}, L"首剂时间 7:30，间隔 8 小时，共 1 次：", L"第1天 07:30"},
        {{{"start", 25}}, L"首剂时间 25:00，间隔 8 小时，共 1 次：", L"第2天 01:00"},
        {{{"start", -3}, {"times", 2}}, L"首剂时间 0:00，间隔 8 小时，共 2 次：", L"第1天 00:00  |  第1天 08:00"},
        {{{"interval", -4}, {"times", 2}}, L"首剂时间 0:00，间隔 8 小时，共 2 次：", L"第1天 00:00  |  第1天 08:00"},
        {{{"interval", 0}, {"times", 40}}, L"首剂时间 0:00，间隔 8 小时，共 30 次：", nullptr},
        {{{"start", NAN}, {"interval", NAN}}, L"首剂时间 0:00，间隔 8 小时，共 1 次：", L"第1天 00:00"},
        // Days beyond the 32-bit range are not shown as wrapped-around days.
        {{{"start", 5.1e10}}, L"首剂时间 51000000000:00，间隔 8 小时，共 1 次：", L"第2125000001天 00:00"},
        {{{"start", 5.2e10}}, L"首剂时间 52000000000:00，间隔 8 小时，共 1 次：", L"--"},
        {{{"start", 2147483647.0 * 24}}, nullptr, L"--"},  // day 2147483648 would not fit
        {{{"interval", 1e308}, {"times", 3}}, nullptr, L"第1天 00:00  |  --  |  --"},
    };
    for (const Case& c : cases) {
        Report r = generate(2, c.inputs);
        SCOPED_TRACE(r.text.c_str());
        ASSERT_EQ(4u, r.lines.size());
        if (c.heading) {
            EXPECT_EQ(c.heading, r.lines[0]);
        }
        if (c.slots) {
            EXPECT_EQ(c.slots, r.lines[1]);
        }
        EXPECT_EQ(L"说明：按等间隔给药；抗菌药物需结合半衰期与肾肝功能调整。", r.lines[2]);
        EXPECT_EQ(L"给药时间表已生成，注意首剂与夜间给药时间", r.verdict);
    }
    Report thirty = generate(2, {{"times", 30}});
    EXPECT_EQ(L"第10天 16:00", thirty.lines[1].substr(thirty.lines[1].size() - 10));
}

Report follow_up_on(int year, int month, int day, const std::vector<Input>& inputs) {
    int64_t today = days_from_civil(year, month, day);
    return run_report(inputs, 8192, [today](const PreparedTool& tool, const double* values,
                                            wchar_t* text, int capacity, wchar_t* verdict) {
        return report_follow_up_plan_from(today, tool, values, text, capacity, verdict, 512);
    });
}

TEST(FollowUpPlan, DatesFromAGivenDay) {
    Report r = follow_up_on(2026, 12, 7, {{"start", 0}, {"gap", 7}, {"times", 3}});
    EXPECT_EQ(L"随访节点（以今天为基准，起始第 0 天，间隔 7 天，共 3 次）：\r\n"
              L"第 1 次：2026-12-07\r\n第 2 次：2026-12-14\r\n第 3 次：2026-12-21\r\n"
              L"内容：症状与体征、用药依从性、复查项目、并发症预警、是否需要提前复诊。\r\n",
              r.text);
    EXPECT_EQ(L"随访计划已生成，可按日期短信提醒患者", r.verdict);

    struct Case {
        int year, month, day;
        std::vector<Input> inputs;
        size_t visits;
        const wchar_t* last_line;
    };
    const Case cases[] = {
        {2026, 12, 7, {{"start", 30}}, 1, L"第 1 次：2027-01-06"},
        {2027, 1, 1, {{"start", -1}}, 1, L"第 1 次：2026-12-31"},
        {2028, 2, 15, {{"start", 7}, {"gap", 7}, {"times", 3}}, 3, L"第 3 次：2028-03-07"},
        {2028, 2, 22, {{"start", 7}}, 1, L"第 1 次：2028-02-29"},
        {2027, 2, 22, {{"start", 7}}, 1, L"第 1 次：2027-03-01"},
        {2026, 1, 31, {{"gap", 0}, {"times", 2}}, 2, L"第 2 次：2026-02-07"},
        {2026, 12, 7, {{"times", 25}, {"gap", 1}}, 20, L"第 20 次：2026-12-26"},
        {2026, 12, 7, {{"times", -3}}, 1, L"第 1 次：2026-12-07"},
        // The farthest start the whole-number reading can give still has an
        // exact date, and is stated in the heading.
        {1970, 1, 1, {{"start", 1e12}}, 1, L"第 1 次：-5877641-06-23"},
        {1970, 1, 1, {{"start", 2147483647}, {"gap", 2147483647}, {"times", 20}}, 20,
         L"第 20 次：117594180-06-28"},
    };
    for (const Case& c : cases) {
        Report r = follow_up_on(c.year, c.month, c.day, c.inputs);
        SCOPED_TRACE(r.text.c_str());
        ASSERT_EQ(c.visits + 3, r.lines.size());
        EXPECT_EQ(c.last_line, r.lines[c.visits]);
    }
}

std::wstring local_date_now() {
    time_t now = time(nullptr);
    struct tm* local = localtime(&now);
    wchar_t text[32];
    text_format(text, 32, L"%04d-%02d-%02d", local->tm_year + 1900, local->tm_mon + 1, local->tm_mday);
    return text;
}

// Today comes from the platform's local date: it must be the date the C
// library gives (on Windows, GetLocalTime's), around midnight either one.
TEST(FollowUpPlan, CountsFromTodaysLocalDate) {
    std::wstring before = local_date_now();
    Report r = generate(7, {});
    std::wstring after = local_date_now();
    EXPECT_TRUE(r.lines[1] == L"第 1 次：" + before || r.lines[1] == L"第 1 次：" + after)
        << r.lines[1] << " is not " << before;
}

}  // namespace
