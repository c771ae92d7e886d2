// Quick SOFA: breathing rate, mental state and systolic pressure of a
// patient with suspected infection, one point each when abnormal.
#include "tool/tool.h"

#include "suite/vital_limits.h"

static const InputChoice mental[] = {
    {.label = L"0 分：无意识改变（GCS 15 分）", .value = 0},
    {.label = L"1 分：意识改变（GCS <15 分）", .value = 1},
};

// The vital signs start empty: one not measured is never scored as a normal
// one; their defaults, ordinary adult values that score 0, serve the
// self-test. The limits are the early-warning scores' own
// (suite/vital_limits.h); whole numbers, as the chart records them.
static const InputDef inputs[] = {
    {.key = "rr", .label = L"呼吸频率", .unit = L"次/分", .default_value = 16, .min = vital_rr_min, .max = vital_rr_max, .decimals = 0, .starts_empty = true},
    {.key = "sbp", .label = L"收缩压", .unit = L"mmHg", .default_value = 120, .min = vital_sbp_min, .max = vital_sbp_max, .decimals = 0, .starts_empty = true},
    {.key = "mental", .label = L"意识状态", .default_value = 0, .choices = mental, .choice_count = 2},
};

// Seymour 2016: 22 breaths or more, 100 mmHg or less.
static const OutputDef outputs[] = {
    {.key = "total", .label = L"总分", .unit = L"分", .formula = "(rr >= 22 ? 1 : 0) + (sbp <= 100 ? 1 : 0) + mental",
     .format = "f0"},
};

static const RuleDef rules[] = {
    {.condition = "total >= 2", .level = 3, .message = L"qSOFA ≥2 分：疑似脓毒症高危，立即通知医师"},
    {.condition = "total >= 1", .level = 1, .message = L"qSOFA 1 分：不能排除脓毒症，结合 NEWS2 或 MEWS 判断，动态复评"},
    {.condition = "", .level = 0, .message = L"qSOFA 0 分：不能排除脓毒症，结合 NEWS2 或 MEWS 判断"},
};

static const ToolDef tool = {
    .id = 38,
    .title = L"脓毒症快速筛查（qSOFA）",
    .summary = L"按呼吸频率、意识与收缩压快速筛查疑似感染患者的脓毒症高危",
    .category = L"重症医学",
    .basis = L"Seymour 等，JAMA 2016（Sepsis-3，qSOFA）；《中国脓毒症/脓毒性休克急诊治疗指南（2018）》：≥2 分提示脓毒症高危；拯救脓毒症运动（SSC）指南 2021：不建议单用 qSOFA 筛查",
    .caution = L"仅用于疑似感染患者的快速筛查，不能据此诊断或排除脓毒症；阳性者须评估 SOFA 并按脓毒症流程处理。",
    .input_count = 3,
    .inputs = inputs,
    .output_count = 1,
    .outputs = outputs,
    .rule_count = 3,
    .rules = rules,
    .report_kind = REPORT_NONE,
    .headline = "total",
    .assessment = true,
};

const ToolDef& tool_builtin() { return tool; }
