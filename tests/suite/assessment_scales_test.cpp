// The suite's assessment scales against worked examples and at every band
// edge, as a nurse would see them: what was chosen in each list, the scores,
// the verdict and its level.
#include "tool/tool.h"  // first, so the descriptors' own include is a no-op

#include <gtest/gtest.h>

#include <math.h>

#include "calc/calc.h"

namespace t018 {
#include "suite/t018_braden.cpp"
}
namespace t019 {
#include "suite/t019_morse_fall.cpp"
}
namespace t020 {
#include "suite/t020_barthel.cpp"
}
namespace t021 {
#include "suite/t021_nrs2002.cpp"
}
namespace t022 {
#include "suite/t022_padua.cpp"
}
namespace t023 {
#include "suite/t023_news2.cpp"
}

namespace {

const wchar_t BRADEN_VERY_HIGH[] = L"极高危（≤9 分）：立即落实压力性损伤预防措施";
const wchar_t BRADEN_HIGH[] = L"高危（10–12 分）：落实预防措施，每班评估皮肤";
const wchar_t BRADEN_MODERATE[] = L"中危（13–14 分）：采取预防措施，定时翻身减压";
const wchar_t BRADEN_LOW[] = L"低危（15–18 分）：注意预防，定期复评";
const wchar_t MORSE_HIGH[] = L"高危（>45 分）：落实防跌倒措施，悬挂警示标识";
const wchar_t MORSE_MODERATE[] = L"中危（25–45 分）：防跌倒宣教，保持环境安全";
const wchar_t BARTHEL_SEVERE[] = L"重度依赖（≤40 分）：全部需他人照护";
const wchar_t BARTHEL_MODERATE[] = L"中度依赖（41–60 分）：大部分需他人照护";
const wchar_t BARTHEL_MILD[] = L"轻度依赖（61–99 分）：少部分需他人照护";
const wchar_t NRS_AT_RISK[] = L"有营养风险（≥3 分）：请营养科会诊，制定营养支持计划";
const wchar_t NRS_NO_RISK[] = L"暂无营养风险（<3 分）：住院期间每周复筛";
const wchar_t NRS_ADULT[] = L"本量表适用于 18 岁及以上成人";
const wchar_t PADUA_HIGH[] = L"VTE 高危（≥4 分）：无禁忌时建议药物预防";
const wchar_t NEWS_HIGH[] = L"高风险（≥7 分）：立即通知医师紧急评估";
const wchar_t NEWS_MEDIUM[] = L"中风险（5–6 分）：立即通知医师床旁评估";

// A total or score of this value: a value outside its input's limits made
// it "--", and the calculation failed.
constexpr int OUT_OF_LIMITS = -1;

struct Row {
    const ToolDef& (*tool)();
    double values[11];
    int total, level;
    const wchar_t* verdict;
};

// Each scale's whole text with its defaults is pinned by its self-test
// expectation; here the totals, levels and verdicts.
const Row rows[] = {
    // Braden (Bergstrom et al. 1987): a stroke patient bedridden in long-term
    // care, sensory 3, nutrition 2, the other four 1, totals 9, severe risk (a
    // web teaching case; no textbook case was to hand). The edges by hand.
    {t018::tool_builtin, {3, 1, 1, 1, 2, 1}, 9, 3, BRADEN_VERY_HIGH},
    {t018::tool_builtin, {2, 2, 2, 2, 1, 1}, 10, 3, BRADEN_HIGH},
    {t018::tool_builtin, {2, 2, 2, 2, 2, 2}, 12, 3, BRADEN_HIGH},
    {t018::tool_builtin, {3, 2, 2, 2, 2, 2}, 13, 2, BRADEN_MODERATE},
    {t018::tool_builtin, {3, 3, 2, 2, 2, 2}, 14, 2, BRADEN_MODERATE},
    {t018::tool_builtin, {3, 3, 3, 2, 2, 2}, 15, 1, BRADEN_LOW},
    {t018::tool_builtin, {3, 3, 3, 3, 3, 3}, 18, 1, BRADEN_LOW},
    {t018::tool_builtin, {4, 3, 3, 3, 3, 3}, 19, 0, L"无明显风险（19–23 分）"},

    // Morse Fall Scale (Morse et al. 1989), scored by Morse's own hints: a
    // patient who fell a month ago, holds on to furniture, walks head down and
    // unsteadily, IV just removed, otherwise well: 25 + 30 + 20 = 75 (a web
    // teaching case, scored by hand). A fall history alone is 25, moderate.
    // Every item scores in fives, so the edges are 20/25 and 45/50.
    {t019::tool_builtin, {25, 0, 30, 0, 20, 0}, 75, 2, MORSE_HIGH},
    {t019::tool_builtin, {0, 0, 0, 20, 0, 0}, 20, 0, L"低危（0–24 分）：常规防护"},
    {t019::tool_builtin, {25, 0, 0, 0, 0, 0}, 25, 1, MORSE_MODERATE},
    {t019::tool_builtin, {0, 15, 15, 0, 0, 15}, 45, 1, MORSE_MODERATE},
    {t019::tool_builtin, {25, 0, 15, 0, 10, 0}, 50, 2, MORSE_HIGH},

    // Barthel Index (Mahoney & Barthel 1965): "a patient scoring 100 ... is
    // continent, feeds himself, dresses himself, gets up out of bed and chairs,
    // bathes himself, walks at least a block, and can ascend and descend
    // stairs"; one dependent in all ten scores 0. The WS/T 431-2013 band edges
    // by hand.
    {t020::tool_builtin, {10, 5, 5, 10, 10, 10, 10, 15, 15, 10}, 100, 0, L"无需依赖（100 分）"},
    {t020::tool_builtin, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, 0, 3, BARTHEL_SEVERE},
    {t020::tool_builtin, {10, 5, 5, 10, 10, 10, 10, 15, 15, 5}, 95, 1, BARTHEL_MILD},
    {t020::tool_builtin, {10, 0, 5, 5, 10, 10, 5, 10, 10, 0}, 65, 1, BARTHEL_MILD},
    {t020::tool_builtin, {10, 0, 0, 5, 10, 10, 5, 10, 10, 0}, 60, 2, BARTHEL_MODERATE},
    {t020::tool_builtin, {5, 0, 0, 5, 5, 10, 5, 5, 10, 0}, 45, 2, BARTHEL_MODERATE},
    {t020::tool_builtin, {10, 0, 0, 5, 5, 5, 5, 5, 5, 0}, 40, 3, BARTHEL_SEVERE},

    // NRS 2002 (Kondrup et al. 2003), by hand from its table: major abdominal
    // surgery is severity 2, so with normal intake it is 2 at 69 (rescreen
    // weekly) and, with the age point, 3 at 70; an ICU patient (3) who lost 5%
    // in a month (3) is 6 at any age. Then the age on both sides of each edge
    // and of its limits.
    {t021::tool_builtin, {2, 0, 69}, 2, 0, NRS_NO_RISK},
    {t021::tool_builtin, {2, 0, 70}, 3, 2, NRS_AT_RISK},
    {t021::tool_builtin, {3, 3, 45}, 6, 2, NRS_AT_RISK},
    {t021::tool_builtin, {1, 1, 80}, 3, 2, NRS_AT_RISK},
    {t021::tool_builtin, {0, 2, 18}, 2, 0, NRS_NO_RISK},
    {t021::tool_builtin, {0, 0, 17}, 0, 2, NRS_ADULT},
    {t021::tool_builtin, {0, 0, 0}, 0, 2, NRS_ADULT},
    {t021::tool_builtin, {0, 0, -1}, OUT_OF_LIMITS, CALC_FAILURE_LEVEL, CALC_FALLBACK_VERDICT},
    {t021::tool_builtin, {0, 0, 120}, 1, 0, NRS_NO_RISK},
    {t021::tool_builtin, {0, 0, 121}, OUT_OF_LIMITS, CALC_FAILURE_LEVEL, CALC_FALLBACK_VERDICT},

    // Padua (Barbar et al. 2010, table 1), by hand: a woman of 75 in bed for 3
    // days with pneumonia and heart failure scores 3 + 1 + 1 + 1 = 6; all eleven
    // factors give the maximum of 20. Active cancer alone (3), and with age 70
    // (4), is the edge.
    {t022::tool_builtin, {0, 0, 3, 0, 0, 1, 1, 0, 1, 0, 0}, 6, 2, PADUA_HIGH},
    {t022::tool_builtin, {3, 3, 3, 3, 2, 1, 1, 1, 1, 1, 1}, 20, 2, PADUA_HIGH},
    {t022::tool_builtin, {3, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, 3, 0, L"VTE 低危（<4 分）：鼓励早期活动，动态复评"},
    {t022::tool_builtin, {3, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0}, 4, 2, PADUA_HIGH},

    // NEWS2 (RCP 2017: chart 1 scores, chart 2 the response), scored by hand
    // against chart 1's bands;
    // values in the order rr, spo2, oxygen, sbp, pulse, conscious, temp.
    // Suspected sepsis, RR 24, SpO2 93 on air, BP 95, pulse 115, 38.6 ℃:
    // 2 + 2 + 2 + 2 + 1 = 9. Then the aggregate at 7, 6, 5 and 4, and new
    // confusion alone (3).
    {t023::tool_builtin, {24, 93, 0, 95, 115, 0, 38.6}, 9, 3, NEWS_HIGH},
    {t023::tool_builtin, {25, 93, 2, 120, 75, 0, 36.8}, 7, 3, NEWS_HIGH},
    {t023::tool_builtin, {22, 94, 2, 120, 95, 0, 36.8}, 6, 2, NEWS_MEDIUM},
    {t023::tool_builtin, {22, 95, 0, 105, 95, 0, 37.5}, 5, 2, NEWS_MEDIUM},
    {t023::tool_builtin, {21, 97, 0, 120, 91, 0, 38.5}, 4, 1, L"低风险（1–4 分）：通知责任护士评估，增加监测"},
    {t023::tool_builtin, {16, 97, 0, 120, 75, 3, 36.8}, 3, 2, L"单项 3 分（低–中风险）：立即通知医师床旁评估"},
};

TEST(AssessmentScales, WorkedExamplesAndBandEdges) {
    for (const Row& row : rows) {
        const ToolDef& tool = row.tool();
        static Calculation c;
        tool_calculate(tool, row.values, &c);
        ::testing::Message inputs;
        inputs << "tool " << tool.id << ":";
        for (int i = 0; i < tool.input_count; i++) inputs << " " << row.values[i];
        EXPECT_EQ(row.total == OUT_OF_LIMITS, c.any_failed) << inputs;
        double total = c.output_values[tool.output_count - 1];
        EXPECT_EQ(row.total, isnan(total) ? OUT_OF_LIMITS : total) << inputs;
        EXPECT_EQ(row.level, c.level) << inputs;
        EXPECT_STREQ(row.verdict, c.verdict) << inputs;
    }
}

// NEWS2, one vital sign at a time with the others at their 0-point
// defaults: at both ends of every band of RCP chart 1 and beyond each
// sign's limits, the sign's score (each score output stands at its sign's
// index) and the level it alone gives: 1 or 2 points low risk, 3 the single
// red score; a value outside the limits, or more precise than the chart
// records, scores nothing and gives no verdict.
enum Vital { RR, SPO2, OXYGEN, SBP, PULSE, CONSCIOUS, TEMP };
struct VitalCase {
    Vital vital;
    double value;
    int score, level;
};
constexpr int NONE = OUT_OF_LIMITS, FAILED = CALC_FAILURE_LEVEL;
const VitalCase vital_cases[] = {
    {RR, 0, NONE, FAILED}, {RR, 1, 3, 2}, {RR, 8, 3, 2}, {RR, 8.5, NONE, FAILED}, {RR, 9, 1, 1}, {RR, 11, 1, 1},
    {RR, 12, 0, 0}, {RR, 20, 0, 0}, {RR, 21, 2, 1}, {RR, 24, 2, 1}, {RR, 25, 3, 2}, {RR, 81, NONE, FAILED},
    {SPO2, 49, NONE, FAILED}, {SPO2, 50, 3, 2}, {SPO2, 91, 3, 2}, {SPO2, 92, 2, 1}, {SPO2, 93, 2, 1},
    {SPO2, 94, 1, 1}, {SPO2, 95, 1, 1}, {SPO2, 96, 0, 0}, {SPO2, 100, 0, 0}, {SPO2, 101, NONE, FAILED},
    {OXYGEN, 2, 2, 1}, {CONSCIOUS, 3, 3, 2},
    {SBP, 39, NONE, FAILED}, {SBP, 40, 3, 2}, {SBP, 90, 3, 2}, {SBP, 91, 2, 1}, {SBP, 100, 2, 1}, {SBP, 101, 1, 1},
    {SBP, 110, 1, 1}, {SBP, 111, 0, 0}, {SBP, 219, 0, 0}, {SBP, 220, 3, 2}, {SBP, 300, 3, 2},
    {SBP, 301, NONE, FAILED},
    {PULSE, 19, NONE, FAILED}, {PULSE, 20, 3, 2}, {PULSE, 40, 3, 2}, {PULSE, 41, 1, 1}, {PULSE, 50, 1, 1},
    {PULSE, 51, 0, 0}, {PULSE, 90, 0, 0}, {PULSE, 91, 1, 1}, {PULSE, 110, 1, 1}, {PULSE, 111, 2, 1},
    {PULSE, 130, 2, 1}, {PULSE, 131, 3, 2}, {PULSE, 301, NONE, FAILED},
    {TEMP, 24.9, NONE, FAILED}, {TEMP, 25, 3, 2}, {TEMP, 35.0, 3, 2}, {TEMP, 35.05, NONE, FAILED},
    {TEMP, 35.1, 1, 1}, {TEMP, 36.0, 1, 1}, {TEMP, 36.1, 0, 0}, {TEMP, 38.0, 0, 0}, {TEMP, 38.1, 1, 1},
    {TEMP, 39.0, 1, 1}, {TEMP, 39.1, 2, 1}, {TEMP, 45, 2, 1}, {TEMP, 45.1, NONE, FAILED},
};

TEST(AssessmentScales, News2EachVitalSignAtItsBandEdges) {
    for (const VitalCase& v : vital_cases) {
        double values[TOOL_MAX_INPUTS] = {};
        for (int i = 0; i < t023::tool.input_count; i++) values[i] = t023::inputs[i].default_value;
        values[v.vital] = v.value;
        static Calculation c;
        tool_calculate(t023::tool, values, &c);
        double score = c.output_values[v.vital];
        EXPECT_EQ(v.score, isnan(score) ? NONE : score) << t023::inputs[v.vital].key << " " << v.value;
        EXPECT_EQ(v.level, c.level) << t023::inputs[v.vital].key << " " << v.value;
    }
}

}  // namespace
