// The suite's assessment scales against worked examples and at every band
// edge, as a nurse would see them: what was chosen in each list, the scores,
// the verdict and its level.
#include "tool/tool.h"  // first, so the descriptors' own include is a no-op

#include <gtest/gtest.h>

#include <math.h>
#include <stdlib.h>
#include <wchar.h>

#include <sstream>
#include <string>

#include "calc/calc.h"
#include "suite/catalogue.h"

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
const wchar_t NEWS_HIGH[] = L"高风险（≥7 分）：立即通知医师紧急评估，持续监测生命体征";
const wchar_t NEWS_MEDIUM[] = L"中风险（5–6 分）：立即通知医师床旁评估，至少每小时监测";
const wchar_t NEWS_LOW[] = L"低风险（1–4 分）：通知责任护士评估，每 4–6 小时监测";

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
    // 2 + 2 + 2 + 2 + 1 = 9. Then the aggregate at 7, 6, 5 and 4, new
    // confusion alone (3), 1 and 0, and near arrest: SpO2 45, BP 30, pulse 15
    // (3 + 3 + 3). Each band gives chart 4's least monitoring, and a call to
    // the doctor now is the red level.
    {t023::tool_builtin, {24, 93, 0, 95, 115, 0, 38.6}, 9, 3, NEWS_HIGH},
    {t023::tool_builtin, {16, 45, 0, 30, 15, 0, 36.8}, 9, 3, NEWS_HIGH},
    {t023::tool_builtin, {25, 93, 2, 120, 75, 0, 36.8}, 7, 3, NEWS_HIGH},
    {t023::tool_builtin, {22, 94, 2, 120, 95, 0, 36.8}, 6, 3, NEWS_MEDIUM},
    {t023::tool_builtin, {22, 95, 0, 105, 95, 0, 37.5}, 5, 3, NEWS_MEDIUM},
    {t023::tool_builtin, {21, 97, 0, 120, 91, 0, 38.5}, 4, 1, NEWS_LOW},
    {t023::tool_builtin, {16, 97, 0, 120, 75, 3, 36.8}, 3, 3, L"单项 3 分（低–中风险）：立即通知医师床旁评估，至少每小时监测"},
    {t023::tool_builtin, {16, 97, 0, 120, 75, 0, 38.5}, 1, 1, NEWS_LOW},
    {t023::tool_builtin, {16, 97, 0, 120, 75, 0, 36.8}, 0, 0, L"0 分：常规监测，至少每 12 小时 1 次"},
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

// The scales with check boxes and long forms, one row per case: the tool's
// number, the inputs that differ from their defaults ("key=value" for a list
// or a typed value, a bare key for a checked box, "all" for every box checked
// and every list at its last option), the final output, the level and the
// verdict. Every row is worked by hand from the scale's published table.
const wchar_t CAPRINI_LOW[] = L"VTE 低危（1–2 分）：建议机械预防，早期活动";
const wchar_t CAPRINI_MODERATE[] = L"VTE 中危（3–4 分）：评估出血风险，药物或机械预防";
const wchar_t CAPRINI_HIGH[] = L"VTE 高危（≥5 分）：无禁忌时药物联合机械预防";
const wchar_t SURGICAL_BLEEDING[] = L"出血高危（≥1 项）：优先机械预防，慎用抗凝药物";
const wchar_t MEDICAL_NO_BLEEDING[] = L"非出血高危：按 VTE 风险选择预防措施";
const wchar_t MEDICAL_MAJOR[] = L"出血高危（具备单项高危因素）：优先机械预防，慎用抗凝";
const wchar_t PAIN_MILD[] = L"轻度疼痛（1–3 分）：非药物干预，按时复评";
const wchar_t PAIN_MODERATE[] = L"中度疼痛（4–6 分）：报告医师，镇痛后按时复评";
const wchar_t PAIN_SEVERE[] = L"重度疼痛（7–10 分）：立即报告医师，及时镇痛";
const wchar_t FLACC_MILD[] = L"轻度不适（1–3 分）：安抚等非药物干预，复评";
const wchar_t FLACC_MODERATE[] = L"中度疼痛（4–6 分）：报告医师，镇痛后复评";
const wchar_t FLACC_SEVERE[] = L"重度疼痛或不适（7–10 分）：立即报告医师处理";
const wchar_t CPOT_PAIN[] = L"提示疼痛（≥3 分）：报告医师，镇痛后复评";
const wchar_t MEWS_ROUTINE[] = L"MEWS 0–3 分：常规监测";
const wchar_t MEWS_DOCTOR[] = L"MEWS 5–8 分：潜在危重，立即通知医师床旁评估";
const wchar_t MEWS_SINGLE_3[] = L"单项 3 分：立即通知医师床旁评估";
const wchar_t SWALLOW_SUSPECT[] = L"可疑（1 级超过 5 秒或 2 级）：谨慎进食，进一步评估";
const wchar_t SWALLOW_IMPAIRED[] = L"异常（3–4 级）：吞咽障碍，报告医师进一步评估";
const wchar_t CAM_CALM[] = L"CAM-ICU 阴性，RASS 0：清醒平静";
const wchar_t CAM_POSITIVE[] = L"CAM-ICU 阳性：存在谵妄，立即报告医师";
const wchar_t CAM_NEGATIVE[] = L"CAM-ICU 阴性；RASS 非 0，按镇静目标复评";
const wchar_t CAM_NOT_DONE[] = L"CAM-ICU 未完成：请评估特征 1、2 及 3 或 4";
const wchar_t RASS_DEEP[] = L"深度镇静或昏迷（RASS ≤-4）：此镇静深度无法评估谵妄，每班复评";
const wchar_t RASS_AGITATED[] = L"重度躁动（RASS ≥+3）：立即报告医师，防意外拔管";
const wchar_t HUMPTY_HIGH[] = L"跌倒高危（≥12 分）：落实防跌倒措施，悬挂警示标识";
const wchar_t PEWS_ROUTINE[] = L"PEWS 0–2 分：常规观察";
const wchar_t PEWS_CALL[] = L"PEWS ≥5 分或单项 3 分：立即通知医师床旁评估";
const wchar_t AUTAR_MODERATE[] = L"DVT 中风险（11–14 分）：评估出血风险，落实预防措施";
const wchar_t AUTAR_HIGH[] = L"DVT 高风险（≥15 分）：报告医师，无禁忌时药物联合机械预防";
const wchar_t NORTON_HIGH[] = L"高度危险（<12 分）：立即落实压力性损伤预防措施";
const wchar_t NORTON_MODERATE[] = L"中度危险（12–14 分）：采取预防措施，定时翻身减压";
const wchar_t QSOFA_1[] = L"qSOFA 1 分：不能排除脓毒症，结合 NEWS2 或 MEWS 判断，动态复评";
const wchar_t QSOFA_2[] = L"qSOFA ≥2 分：疑似脓毒症高危，立即通知医师";
const wchar_t WATERLOW_NONE[] = L"无明显风险（<10 分）：定期复评";
const wchar_t WATERLOW_NUTRITION[] = L"营养筛查 >2 分：请营养评估与干预";
const wchar_t WATERLOW_AT_RISK[] = L"有风险（10–14 分）：注意预防，定期复评";
const wchar_t WATERLOW_AT_RISK_MST[] = L"有风险（10–14 分）：注意预防，定期复评；营养筛查 >2 分：须营养评估";
const wchar_t WATERLOW_HIGH[] = L"高危（15–19 分）：采取预防措施，定时翻身减压";
const wchar_t WATERLOW_HIGH_MST[] = L"高危（15–19 分）：采取预防措施，定时翻身减压；营养筛查 >2 分：须营养评估";
const wchar_t WATERLOW_VERY_HIGH[] = L"极高危（≥20 分）：立即落实压力性损伤预防措施";
const wchar_t WATERLOW_VERY_HIGH_MST[] = L"极高危（≥20 分）：立即落实压力性损伤预防措施；营养筛查 >2 分：须营养评估";
const wchar_t NIHSS_NONE[] = L"0 分：未见神经功能缺损";
const wchar_t NIHSS_MINOR[] = L"轻型卒中（1–4 分）：动态评估神经功能";
const wchar_t NIHSS_MODERATE[] = L"中度卒中（5–15 分）：报告医师，密切观察";
const wchar_t NIHSS_MODERATE_SEVERE[] = L"中重度卒中（16–20 分）：立即报告医师";
const wchar_t NIHSS_SEVERE[] = L"重度卒中（21–42 分）：立即报告医师";

// No total: a value outside its input's limits made it "--". RASS totals
// run down to -5, so this lies below any.
constexpr int NO_TOTAL = -100;

struct Case {
    int id;
    const char* changes;
    int total, level;
    const wchar_t* verdict;
};

const Case cases[] = {
    // Caprini 2005 form, bands of the Chinese 2018 recommendation: a woman of
    // 65 (2) with BMI 27 (1) for laparoscopic colectomy over 45 minutes (2)
    // for cancer (2) is 7; the edges 0/1, 2/3, 4/5, the women's factors, and
    // every factor at once: 3 + 16 × 1 + 7 × 2 + 9 × 3 + 5 × 5 = 85.
    {24, "age=2 obesity laparoscopic malignancy", 7, 2, CAPRINI_HIGH},
    {24, "", 0, 0, L"VTE 极低危（0 分）：早期活动，动态复评"},
    {24, "minor_surgery", 1, 1, CAPRINI_LOW},
    {24, "age=1 obesity", 2, 1, CAPRINI_LOW},
    {24, "vte_history", 3, 2, CAPRINI_MODERATE},
    {24, "hormone pregnancy obstetric_history", 3, 2, CAPRINI_MODERATE},
    {24, "age=1 factor_v_leiden", 4, 2, CAPRINI_MODERATE},
    {24, "arthroplasty", 5, 2, CAPRINI_HIGH},
    {24, "all", 85, 2, CAPRINI_HIGH},
    // Surgical bleeding risk: any one factor; a spinal planned 8 h from now,
    // or an epidural catheter due out, is the neuraxial box; ACCP's acute
    // stroke and previous major bleed each alone.
    {25, "", 0, 0, L"未见出血高危因素：按 VTE 风险选择预防措施"},
    {25, "neuraxial", 1, 2, SURGICAL_BLEEDING},
    {25, "acute_stroke", 1, 2, SURGICAL_BLEEDING},
    {25, "major_bleeding_history", 1, 2, SURGICAL_BLEEDING},
    {25, "critical_site_surgery", 1, 2, SURGICAL_BLEEDING},
    {25, "all", 18, 2, SURGICAL_BLEEDING},
    // Medical bleeding risk (Decousus 2011): one major factor, or three
    // others; a man of 86 in the ICU has three.
    {26, "", 0, 0, MEDICAL_NO_BLEEDING},
    {26, "low_platelets", 1, 2, MEDICAL_MAJOR},
    {26, "age_85 male", 2, 0, MEDICAL_NO_BLEEDING},
    {26, "age_85 icu_ccu male", 3, 2, L"出血高危（其他因素 ≥3 项）：优先机械预防，慎用抗凝"},
    {26, "all", 11, 2, MEDICAL_MAJOR},
    // NRS and FACES, the 2018 cancer-pain bands 0 / 1–3 / 4–6 / 7–10 on both
    // sides of each edge; the faces fall either side of them in steps of 2.
    {27, "", 0, 0, L"无痛（0 分）：常规评估"},
    {27, "nrs=1", 1, 1, PAIN_MILD},
    {27, "nrs=3", 3, 1, PAIN_MILD},
    {27, "nrs=4", 4, 2, PAIN_MODERATE},
    {27, "nrs=6", 6, 2, PAIN_MODERATE},
    {27, "nrs=7", 7, 3, PAIN_SEVERE},
    {27, "nrs=10", 10, 3, PAIN_SEVERE},
    {28, "faces=2", 2, 1, PAIN_MILD},
    {28, "faces=4", 4, 2, PAIN_MODERATE},
    {28, "faces=6", 6, 2, PAIN_MODERATE},
    {28, "faces=8", 8, 3, PAIN_SEVERE},
    // FLACC (Merkel 1997): the edges 0/1, 3/4, 6/7, and every item at 2.
    {29, "", 0, 0, L"放松、舒适（0 分）：常规评估"},
    {29, "face=1", 1, 1, FLACC_MILD},
    {29, "face=1 legs=1 cry=1", 3, 1, FLACC_MILD},
    {29, "face=2 legs=2", 4, 2, FLACC_MODERATE},
    {29, "face=2 legs=2 activity=2", 6, 2, FLACC_MODERATE},
    {29, "face=2 legs=2 activity=2 consolability=1", 7, 3, FLACC_SEVERE},
    {29, "all", 10, 3, FLACC_SEVERE},
    // CPOT (Gélinas 2006, cut-off >2 from 2009): 2 and 3, and the maximum 8.
    {30, "face=1 muscle=1", 2, 0, L"无明显疼痛（0–2 分）：按时复评"},
    {30, "face=1 body=1 ventilation=1", 3, 2, CPOT_PAIN},
    {30, "all", 8, 2, CPOT_PAIN},
    // MEWS (Subbe 2001, table 1). Each pair of rows puts every sign at the two
    // sides of one of its band edges: SBP 70|71 (3|2), pulse 40|41 (2|1), RR
    // 8|9 (2|0), 34.9|35.0 ℃ (2|0); SBP 80|81, pulse 50|51, RR 14|15, 38.4|38.5;
    // SBP 100|101, pulse 100|101, RR 20|21; SBP 199|200, pulse 110|111, RR
    // 29|30; pulse 129|130. Then each sign's single 3, a single 3 with 4 in
    // all (still the single-3 rule) and with 5 (the 5–8 rule first), the
    // totals 5 and 8, the lowest readings taken (SBP 20, pulse 10) and values beyond the limits.
    {31, "sbp=70 pulse=40 rr=8 temp=34.9", 9, 3, L"MEWS ≥9 分：死亡风险高，立即通知医师抢救"},
    {31, "sbp=71 pulse=41 rr=9 temp=35", 3, 0, MEWS_ROUTINE},
    {31, "sbp=80 pulse=50 rr=14 temp=38.4", 3, 0, MEWS_ROUTINE},
    {31, "sbp=81 pulse=51 rr=15 temp=38.5", 4, 1, L"MEWS 4 分：加强观察，增加监测频次"},
    {31, "sbp=100 pulse=100 rr=20", 2, 0, MEWS_ROUTINE},
    {31, "sbp=101 pulse=101 rr=21", 3, 0, MEWS_ROUTINE},
    {31, "sbp=199 pulse=110 rr=29", 3, 0, MEWS_ROUTINE},
    {31, "sbp=200 pulse=111 rr=30", 7, 3, MEWS_DOCTOR},
    {31, "pulse=129", 2, 0, MEWS_ROUTINE},
    {31, "pulse=130", 3, 3, MEWS_SINGLE_3},
    {31, "sbp=70", 3, 3, MEWS_SINGLE_3},
    {31, "rr=30", 3, 3, MEWS_SINGLE_3},
    {31, "conscious=3", 3, 3, MEWS_SINGLE_3},
    {31, "sbp=70 rr=15", 4, 3, MEWS_SINGLE_3},
    {31, "rr=30 temp=38.5", 5, 3, MEWS_DOCTOR},
    {31, "rr=21 temp=38.5 conscious=1", 5, 3, MEWS_DOCTOR},
    {31, "sbp=80 pulse=111 rr=21 temp=38.5", 8, 3, MEWS_DOCTOR},
    {31, "sbp=20 pulse=10", 5, 3, MEWS_DOCTOR},
    {31, "sbp=19", NO_TOTAL, CALC_FAILURE_LEVEL, CALC_FALLBACK_VERDICT},
    {31, "temp=36.85", NO_TOTAL, CALC_FAILURE_LEVEL, CALC_FALLBACK_VERDICT},
    // Water swallowing test: grade 1 in 5 seconds is normal, over 5 seconds
    // suspect; from grade 2 the timing is not asked, whatever was passed.
    {32, "", 1, 0, L"正常（1 级，5 秒内）：可经口进食"},
    {32, "timing=1", 1, 1, SWALLOW_SUSPECT},
    {32, "grade=2", 2, 1, SWALLOW_SUSPECT},
    {32, "grade=3", 3, 2, SWALLOW_IMPAIRED},
    {32, "grade=3 timing=1", 3, 2, SWALLOW_IMPAIRED},
    {32, "grade=4", 4, 2, SWALLOW_IMPAIRED},
    {32, "grade=5", 5, 3, L"异常（5 级）：严重吞咽障碍，暂禁经口进食并报告"},
    // RASS (Sessler 2002) and CAM-ICU (Ely 2001): features 1 and 2, and 3
    // (RASS not 0) or 4; without feature 1 or 2 it is negative; at RASS -4
    // and -5 it cannot be assessed; +3 and +4 are severe agitation; 9, not assessed, where needed.
    {33, "", 0, 0, CAM_CALM},
    {33, "acute_change=1 inattention=1", 0, 0, CAM_CALM},
    {33, "acute_change=1 inattention=1 disorganized=1", 0, 3, CAM_POSITIVE},
    {33, "rass=-3 acute_change=1 inattention=1", -3, 3, CAM_POSITIVE},
    {33, "rass=-3 inattention=1 disorganized=1", -3, 1, CAM_NEGATIVE},
    {33, "rass=-2 acute_change=1 disorganized=1", -2, 1, CAM_NEGATIVE},
    {33, "rass=-1", -1, 1, CAM_NEGATIVE},
    {33, "rass=-4 acute_change=1 inattention=1", -4, 2, RASS_DEEP},
    {33, "rass=-5", -5, 2, RASS_DEEP},
    {33, "rass=2", 2, 1, CAM_NEGATIVE},
    {33, "rass=3", 3, 3, RASS_AGITATED},
    {33, "rass=4", 4, 3, RASS_AGITATED},
    {33, "rass=4 acute_change=1 inattention=1", 4, 3, CAM_POSITIVE},
    {33, "acute_change=9 inattention=9 disorganized=9", 0, 2, CAM_NOT_DONE},
    {33, "acute_change=1 inattention=1 disorganized=9", 0, 2, CAM_NOT_DONE},
    {33, "rass=-2 acute_change=9 inattention=1", -2, 2, CAM_NOT_DONE},
    {33, "inattention=9 disorganized=9", 0, 0, CAM_CALM},
    {33, "rass=-5 acute_change=9 inattention=9 disorganized=9", -5, 2, RASS_DEEP},
    {33, "rass=3 acute_change=9", 3, 3, RASS_AGITATED},
    // Humpty Dumpty (Hill-Rodriguez 2009): a boy of 2 (4 + 2) with
    // bronchiolitis (3) in a cot (3) is 15; 11 and 12 either side of the
    // edge; the maximum 23.
    {34, "age=4 sex=2 diagnosis=3 environment=3", 15, 2, HUMPTY_HIGH},
    {34, "age=3 sex=2 diagnosis=2", 11, 0, L"跌倒低危（7–11 分）：落实常规防跌倒措施"},
    {34, "age=3 sex=2 diagnosis=3", 12, 2, HUMPTY_HIGH},
    {34, "all", 23, 2, HUMPTY_HIGH},
    // Brighton PEWS (Monaghan 2005): totals 2, 3, 4 and 5, a 3 in each of
    // the three observations alone, and the maximum 3 + 3 + 3 + 2 + 2.
    {35, "behaviour=1 cardiovascular=1", 2, 0, PEWS_ROUTINE},
    {35, "nebulisers", 2, 0, PEWS_ROUTINE},
    {35, "behaviour=1 cardiovascular=1 respiratory=1", 3, 1, L"PEWS 3 分：报告高年资护士，加强观察"},
    {35, "vomiting cardiovascular=2", 4, 2, L"PEWS 4 分：通知医师评估，增加观察频次"},
    {35, "nebulisers vomiting cardiovascular=1", 5, 3, PEWS_CALL},
    {35, "behaviour=3", 3, 3, PEWS_CALL},
    {35, "cardiovascular=3", 3, 3, PEWS_CALL},
    {35, "respiratory=3", 3, 3, PEWS_CALL},
    {35, "all", 13, 3, PEWS_CALL},
    // Autar 2003: a man of 72 (5), BMI 27 (2), walking with help (2), for
    // orthopaedic surgery below the waist (4) is 13; the edges 10/11 and
    // 14/15 (the injuries 4 + 4 + 3 + 2 + 1, then the head's 1); every item.
    {36, "age=5 bmi=2 mobility=2 surgery=4", 13, 2, AUTAR_MODERATE},
    {36, "age=5 bmi=2 mobility=3", 10, 0, L"DVT 低风险（≤10 分）：早期活动，动态复评"},
    {36, "age=5 bmi=2 mobility=4", 11, 2, AUTAR_MODERATE},
    {36, "thrombophilia leg_injury pelvic_injury spinal_injury chest_injury", 14, 2, AUTAR_MODERATE},
    {36, "thrombophilia leg_injury pelvic_injury spinal_injury chest_injury head_injury", 15, 2, AUTAR_HIGH},
    {36, "all", 66, 2, AUTAR_HIGH},
    // Norton (1962; bands 1989): bedfast (1), very limited (2), confused (2),
    // fair (3), occasionally incontinent (3) is 11; 12, 14 and 15; the
    // minimum 5.
    {37, "physical=3 mental=2 activity=1 mobility=2 incontinence=3", 11, 3, NORTON_HIGH},
    {37, "activity=1 mobility=1 incontinence=2", 12, 2, NORTON_MODERATE},
    {37, "activity=1 mobility=1", 14, 2, NORTON_MODERATE},
    {37, "activity=1 mobility=2", 15, 0, L"无明显风险（15–20 分）：定期复评"},
    {37, "physical=1 mental=1 activity=1 mobility=1 incontinence=1", 5, 3, NORTON_HIGH},
    // qSOFA (Seymour 2016): RR 21|22 and SBP 101|100 one at a time, altered
    // mentation, two and three criteria, SBP 20 (the lowest taken) and values beyond the limits.
    {38, "rr=21 sbp=101", 0, 0, L"qSOFA 0 分：不能排除脓毒症，结合 NEWS2 或 MEWS 判断"},
    {38, "rr=22", 1, 1, QSOFA_1},
    {38, "sbp=100", 1, 1, QSOFA_1},
    {38, "mental=1", 1, 1, QSOFA_1},
    {38, "rr=22 sbp=100", 2, 3, QSOFA_2},
    {38, "rr=24 sbp=95 mental=1", 3, 3, QSOFA_2},
    {38, "rr=0", NO_TOTAL, CALC_FAILURE_LEVEL, CALC_FALLBACK_VERDICT},
    {38, "sbp=20", 1, 1, QSOFA_1},
    {38, "sbp=19", NO_TOTAL, CALC_FAILURE_LEVEL, CALC_FALLBACK_VERDICT},
    // Waterlow 2005 card: a woman of 78 (2 + 4), BMI 18 (3), dry skin (1),
    // bedbound (4) after orthopaedic surgery (5) over 2 hours (5) with Hb
    // 75 g/L (2) is 26. The edges 9/10, 14/15 and 19/20 each without and with
    // a nutrition screen above 2; the screen at 2 and 3 below 10; every item,
    // 79 with a screen of 5 and one organ failure, the multiple (8).
    {39, "build=3 skin_dry sex=2 age=4 mobility=4 anaemia ortho_surgery theatre_time=5", 26, 3, WATERLOW_VERY_HIGH},
    {39, "sex=2 age=4 mobility=3", 9, 0, WATERLOW_NONE},
    {39, "sex=2 age=4 mobility=4", 10, 1, WATERLOW_AT_RISK},
    {39, "weight_loss=3 age=3 mobility=2", 9, 1, WATERLOW_NUTRITION},
    {39, "weight_loss=3 age=3 mobility=3", 10, 1, WATERLOW_AT_RISK_MST},
    {39, "sex=2 age=5 mobility=5 continence=2", 14, 1, WATERLOW_AT_RISK},
    {39, "sex=2 age=5 mobility=5 continence=3", 15, 2, WATERLOW_HIGH},
    {39, "weight_loss=2 poor_intake sex=2 age=4 mobility=5", 14, 1, WATERLOW_AT_RISK_MST},
    {39, "weight_loss=2 poor_intake sex=2 age=5 mobility=5", 15, 2, WATERLOW_HIGH_MST},
    {39, "sex=2 age=5 mobility=5 continence=3 skin_thin skin_dry skin_oedema skin_clammy", 19, 2, WATERLOW_HIGH},
    {39, "sex=2 age=5 mobility=5 continence=3 skin_discoloured skin_broken", 20, 3, WATERLOW_VERY_HIGH},
    {39, "weight_loss=4 sex=2 age=5 mobility=5 continence=3", 19, 2, WATERLOW_HIGH_MST},
    {39, "weight_loss=4 poor_intake sex=2 age=5 mobility=5 continence=3", 20, 3, WATERLOW_VERY_HIGH_MST},
    {39, "weight_loss=2", 4, 0, WATERLOW_NONE},
    {39, "weight_loss=2 poor_intake", 5, 1, WATERLOW_NUTRITION},
    {39, "all", 79, 3, WATERLOW_VERY_HIGH_MST},
    // NIHSS (Brott 1989): the edges 0/1, 4/5, 15/16 and 20/21, the maximum 42,
    // and UN (9) counting 0: with every other item at its worst, 22.
    {40, "", 0, 0, NIHSS_NONE},
    {40, "facial=1", 1, 1, NIHSS_MINOR},
    {40, "facial=2 arm_left=2", 4, 1, NIHSS_MINOR},
    {40, "facial=2 arm_left=3", 5, 2, NIHSS_MODERATE},
    {40, "loc=1 gaze=2 visual=2 facial=2 arm_left=4 leg_left=4", 15, 2, NIHSS_MODERATE},
    {40, "loc=1 gaze=2 visual=2 facial=2 arm_left=4 leg_left=4 sensory=1", 16, 3, NIHSS_MODERATE_SEVERE},
    {40, "loc=1 gaze=2 visual=2 facial=2 arm_left=4 leg_left=4 sensory=2 neglect=2 dysarthria=1", 20, 3, NIHSS_MODERATE_SEVERE},
    {40, "loc=1 gaze=2 visual=2 facial=2 arm_left=4 leg_left=4 sensory=2 neglect=2 dysarthria=1 language=1", 21, 3, NIHSS_SEVERE},
    {40, "all arm_left=4 arm_right=4 leg_left=4 leg_right=4 ataxia=2 dysarthria=2", 42, 3, NIHSS_SEVERE},
    {40, "all", 22, 3, NIHSS_SEVERE},
    {40, "arm_left=9 leg_right=9 dysarthria=9", 0, 0, NIHSS_NONE},
};

const ToolDef* suite_tool(int id) {
    for (int t = 0; t < suite_tool_count; t++)
        if (suite_tools[t]->id == id) return suite_tools[t];
    return nullptr;
}

TEST(AssessmentScales, BoxesAndLongFormsWorkedByHand) {
    for (const Case& row : cases) {
        const ToolDef* tool = suite_tool(row.id);
        ASSERT_TRUE(tool) << row.id;
        double values[TOOL_MAX_INPUTS];
        for (int i = 0; i < tool->input_count; i++) values[i] = tool->inputs[i].default_value;
        std::istringstream changes(row.changes);
        for (std::string word; changes >> word;) {
            for (int i = 0; i < tool->input_count; i++) {
                const InputDef& input = tool->inputs[i];
                if (word == "all") {
                    if (input.box) values[i] = input.points;
                    if (input.choice_count) values[i] = input.choices[input.choice_count - 1].value;
                } else if (word.compare(0, word.find('='), input.key) == 0) {
                    EXPECT_EQ(word.find('=') == std::string::npos, input.box) << row.id << " " << word;
                    values[i] = input.box ? input.points : atof(word.c_str() + word.find('=') + 1);
                    break;
                } else if (i == tool->input_count - 1) {
                    ADD_FAILURE() << row.id << ": no input " << word;
                }
            }
        }
        static Calculation c;
        tool_calculate(*tool, values, &c);
        EXPECT_EQ(row.total == NO_TOTAL, c.any_failed) << row.id << " " << row.changes;
        double total = c.output_values[tool->output_count - 1];
        EXPECT_EQ(row.total, isnan(total) ? NO_TOTAL : total) << row.id << " " << row.changes;
        EXPECT_EQ(row.level, c.level) << row.id << " " << row.changes;
        EXPECT_STREQ(row.verdict, c.verdict) << row.id << " " << row.changes;
    }
}

// Inputs asked only when they apply: the swallow test's timing at grade 1
// (unanswered, the result is refused), the CAM-ICU features from RASS -3
// up. Not asked, whatever was passed is recorded as the tool's value and
// named so in the result.
TEST(AssessmentScales, InputsAskedOnlyWhenTheyApply) {
    struct Asked {
        int id;
        double values[4], recorded[4];
        const wchar_t *line, *verdict;  // the result's line of the last input
    } const cases[] = {
        {32, {1, NAN}, {1, NAN}, L"饮完用时：--", CALC_FALLBACK_VERDICT},
        {32, {1, 9}, {1, 9}, L"饮完用时：--", CALC_FALLBACK_VERDICT},
        {32, {2, 0}, {2, 9}, L"饮完用时：不适用", SWALLOW_SUSPECT},
        {32, {4, NAN}, {4, 9}, L"饮完用时：不适用", SWALLOW_IMPAIRED},
        {33, {-5, 1, 1, 1}, {-5, 9, 9, 9}, L"特征 4：思维紊乱（问题与指令错误 >1 个）：未评估", RASS_DEEP},
        {33, {-3, 9, 1, 1}, {-3, 9, 1, 1}, L"特征 4：思维紊乱（问题与指令错误 >1 个）：1 分：是（阳性）", CAM_NOT_DONE},
    };
    for (const Asked& row : cases) {
        const ToolDef* tool = suite_tool(row.id);
        static Calculation c;
        tool_calculate(*tool, row.values, &c);
        const int last = tool->input_count - 1;
        EXPECT_NE(nullptr, wcsstr(c.text, row.line)) << row.id << " " << row.values[0];
        for (int i = 0; i <= last; i++)
            EXPECT_TRUE(row.recorded[i] == c.inputs[i] || (isnan(row.recorded[i]) && isnan(c.inputs[i]))) << row.id << " " << i;
        EXPECT_STREQ(row.verdict, c.verdict) << row.id << " " << row.values[0];
    }
}

// NEWS2, one vital sign at a time with the others at their 0-point
// defaults: at both ends of every band of RCP chart 1 and beyond each
// sign's limits, the sign's score (each score output stands at its sign's
// index) and the level it alone gives: 1 or 2 points low risk, 3 the single
// red score, which calls the doctor now; a value outside the limits, or more precise than the chart
// records, scores nothing and gives no verdict.
enum Vital { RR, SPO2, OXYGEN, SBP, PULSE, CONSCIOUS, TEMP };
struct VitalCase {
    Vital vital;
    double value;
    int score, level;
};
constexpr int NONE = OUT_OF_LIMITS, FAILED = CALC_FAILURE_LEVEL;
const VitalCase vital_cases[] = {
    {RR, 0, NONE, FAILED}, {RR, 1, 3, 3}, {RR, 8, 3, 3}, {RR, 8.5, NONE, FAILED}, {RR, 9, 1, 1}, {RR, 11, 1, 1},
    {RR, 12, 0, 0}, {RR, 20, 0, 0}, {RR, 21, 2, 1}, {RR, 24, 2, 1}, {RR, 25, 3, 3}, {RR, 81, NONE, FAILED},
    {SPO2, 19, NONE, FAILED}, {SPO2, 20, 3, 3}, {SPO2, 91, 3, 3}, {SPO2, 92, 2, 1}, {SPO2, 93, 2, 1},
    {SPO2, 94, 1, 1}, {SPO2, 95, 1, 1}, {SPO2, 96, 0, 0}, {SPO2, 100, 0, 0}, {SPO2, 101, NONE, FAILED},
    {OXYGEN, 2, 2, 1}, {CONSCIOUS, 3, 3, 3},
    {SBP, 19, NONE, FAILED}, {SBP, 20, 3, 3}, {SBP, 90, 3, 3}, {SBP, 91, 2, 1}, {SBP, 100, 2, 1}, {SBP, 101, 1, 1},
    {SBP, 110, 1, 1}, {SBP, 111, 0, 0}, {SBP, 219, 0, 0}, {SBP, 220, 3, 3}, {SBP, 300, 3, 3},
    {SBP, 301, NONE, FAILED},
    {PULSE, 9, NONE, FAILED}, {PULSE, 10, 3, 3}, {PULSE, 40, 3, 3}, {PULSE, 41, 1, 1}, {PULSE, 50, 1, 1},
    {PULSE, 51, 0, 0}, {PULSE, 90, 0, 0}, {PULSE, 91, 1, 1}, {PULSE, 110, 1, 1}, {PULSE, 111, 2, 1},
    {PULSE, 130, 2, 1}, {PULSE, 131, 3, 3}, {PULSE, 301, NONE, FAILED},
    {TEMP, 24.9, NONE, FAILED}, {TEMP, 25, 3, 3}, {TEMP, 35.0, 3, 3}, {TEMP, 35.05, NONE, FAILED},
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
