// When each scale's result is due again, band by band, against the
// intervals its published source gives; the due time the record and the
// hospital's database keep is the one the line shows.
#include <gtest/gtest.h>

#include <wchar.h>

#include <string>
#include <vector>

#include "delivery/delivery.h"
#include "rounds/reassess.h"
#include "support/prepared_tool.h"
#include "support/suite_tool.h"

namespace {

constexpr int C = REASSESS_CONTINUOUS;

// Hours per band, in the order of the scale's verdict rules; 0: the
// events alone. Braden, Norton and Waterlow: high and very high risk daily,
// at risk every 72 h; Morse: high risk daily; Caprini and Padua: high every
// 72 h, moderate weekly; NRS 2002: weekly below 3; NEWS2 (RCP chart 4);
// RASS/CAM-ICU every shift.
struct Scale {
    int id;
    std::vector<int> hours;
};
const Scale scales[] = {
    {18, {24, 24, 72, 72, 0}}, {37, {24, 72, 0}},   {39, {24, 24, 24, 24, 72, 72, 0, 0}},
    {19, {24, 0, 0}},          {24, {72, 168, 0, 0}}, {22, {72, 0}},
    {21, {0, 0, 168}},         {23, {C, 1, 1, 4, 12}}, {33, {8, 8, 8, 8, 8, 8}},
};

const LocalTime ASSESSED = {2026, 12, 10, 9, 12, 30, 480};

TEST(Reassessment, EveryBandOfEveryScaleIsDueAsItsSourceSays) {
    for (const Scale& scale : scales) {
        Prepared tool(suite_tool(scale.id));
        ASSERT_EQ((int)scale.hours.size(), tool.rule_count) << scale.id;
        Calculation calculation;
        tool_calculate(tool, nullptr, &calculation);
        calculation.any_failed = false;
        for (int rule = 0; rule < tool.rule_count; rule++) {
            calculation.verdict_rule = rule;
            Reassessment plan;
            wchar_t line[REASSESS_LINE_CAPACITY];
            ASSERT_TRUE(reassess_plan(tool, calculation, ASSESSED, nullptr, &plan, line, REASSESS_LINE_CAPACITY));
            const int hours = scale.hours[rule];
            const std::wstring shown = line;
            SCOPED_TRACE(testing::Message() << scale.id << " band " << rule);
            EXPECT_EQ(0u, shown.find(L"下次评估："));
            EXPECT_NE(std::wstring::npos, shown.find(tool.reassess_events));
            EXPECT_EQ(hours != 0, plan.has_due);
            if (hours > 0) {
                EXPECT_NE(std::wstring::npos, shown.find(L"每 " + std::to_wstring(hours) + L" 小时"));
                EXPECT_EQ(reassess_moment(ASSESSED) + hours * 3600, reassess_moment(plan.due));
            } else if (hours == C) {
                EXPECT_NE(std::wstring::npos, shown.find(L"持续监测"));
                EXPECT_EQ(reassess_moment(ASSESSED), reassess_moment(plan.due));
            } else {
                // Never "not due": the events alone.
                EXPECT_EQ(L"下次评估：" + std::wstring(tool.reassess_events), shown);
            }
        }
    }
}

TEST(Reassessment, TheLineTheRecordAndTheDatabaseAgree) {
    Prepared braden(suite_tool(18));
    Calculation calculation;
    tool_calculate(braden, nullptr, &calculation);
    calculation.verdict_rule = 1;
    calculation.any_failed = false;
    struct Case {
        LocalTime assessed;
        const int* hospital;
        const wchar_t* line;
        const wchar_t* due;
    };
    const int hospital[] = {REASSESS_KEEP, 48, REASSESS_KEEP, REASSESS_KEEP, REASSESS_KEEP};
    const Case cases[] = {
        {ASSESSED, nullptr, L"下次评估：12-11 09:12 前（高危：每 24 小时；病情变化、转科、术后随时复评）",
         L"2026-12-11T09:12:30+08:00"},
        // The hospital's interval for the band; across the year's end the year shows.
        {{2026, 12, 31, 22, 0, 0, 480}, hospital,
         L"下次评估：2027-01-02 22:00 前（高危：每 48 小时；病情变化、转科、术后随时复评）",
         L"2027-01-02T22:00:00+08:00"},
    };
    for (const Case& c : cases) {
        Reassessment plan;
        wchar_t line[REASSESS_LINE_CAPACITY];
        ASSERT_TRUE(reassess_plan(braden, calculation, c.assessed, c.hospital, &plan, line, REASSESS_LINE_CAPACITY));
        EXPECT_STREQ(c.line, line);
        RecordStamp stamp = {};
        stamp.time = stamp.assessed = c.assessed;
        stamp.has_due = plan.has_due;
        stamp.due = plan.due;
        static wchar_t row[RECORD_LINE_CAPACITY];
        const double inputs[TOOL_MAX_INPUTS] = {};
        record_row_line(braden, inputs, L"", stamp, row, RECORD_LINE_CAPACITY);
        EXPECT_EQ(std::wstring(L",") + c.due + L"\r\n", std::wstring(row).substr(wcslen(row) - wcslen(c.due) - 3));
        static DeliveryRow sent;
        delivery_row_of(braden, calculation, stamp, &sent);
        EXPECT_STREQ(c.due, sent.texts[DELIVERY_DUE_AT]);
    }
    // A formula tool's result, or one no band gave, is due for nothing.
    Prepared insulin(suite_tool(10));
    Calculation dose;
    tool_calculate(insulin, nullptr, &dose);
    Reassessment plan;
    wchar_t line[REASSESS_LINE_CAPACITY];
    EXPECT_FALSE(reassess_plan(insulin, dose, ASSESSED, nullptr, &plan, line, REASSESS_LINE_CAPACITY));
    calculation.verdict_rule = -1;
    EXPECT_FALSE(reassess_plan(braden, calculation, ASSESSED, nullptr, &plan, line, REASSESS_LINE_CAPACITY));
    EXPECT_STREQ(L"", line);
}

}  // namespace
