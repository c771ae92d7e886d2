// Nutritional Risk Screening 2002: disease severity, impaired nutritional
// status and age, summed, and whether the patient is at nutritional risk.
#include "tool/tool.h"

static const InputChoice disease[] = {
    {.label = L"0 分：无", .value = 0},
    {.label = L"1 分：慢性病急性发作或有并发症、髋部骨折、血液透析、糖尿病、一般肿瘤", .value = 1},
    {.label = L"2 分：腹部大手术、脑卒中、重症肺炎、血液恶性肿瘤", .value = 2},
    {.label = L"3 分：颅脑损伤、骨髓移植、ICU（APACHE II >10）", .value = 3},
};
static const InputChoice nutrition[] = {
    {.label = L"0 分：营养状态正常", .value = 0},
    {.label = L"1 分：3 个月内体重下降 >5%，或近 1 周进食为需要量的 50%–75%", .value = 1},
    {.label = L"2 分：2 个月内体重下降 >5%，或 BMI 18.5–20.5 且一般情况差，或进食 25%–50%", .value = 2},
    {.label = L"3 分：1 个月内体重下降 >5%（或 3 个月内 >15%），或 BMI <18.5 且一般情况差，或进食 0–25%", .value = 3},
};

static const InputDef inputs[] = {
    {.key = "disease", .label = L"疾病严重程度", .default_value = 0, .choices = disease, .choice_count = 4},
    {.key = "nutrition", .label = L"营养状态受损", .default_value = 0, .choices = nutrition, .choice_count = 4},
    // Ages to 120: the oldest person on record reached 122.
    {.key = "age", .label = L"年龄", .unit = L"岁", .default_value = 50, .min = 0, .max = 120, .decimals = 0},
};

// The age point is an output of its own so that the result shows it beside
// the two items the nurse chose.
static const OutputDef outputs[] = {
    {.key = "age_score", .label = L"年龄评分", .unit = L"分", .formula = "age >= 70 ? 1 : 0", .format = "f0"},
    {.key = "total", .label = L"总分", .unit = L"分", .formula = "disease + nutrition + age_score", .format = "f0"},
};

static const RuleDef rules[] = {
    {.condition = "age < 18", .level = 2, .message = L"本量表适用于 18 岁及以上成人"},
    {.condition = "total >= 3", .level = 2, .message = L"有营养风险（≥3 分）：请营养科会诊，制定营养支持计划"},
    {.condition = "", .level = 0, .message = L"暂无营养风险（<3 分）：住院期间每周复筛", .reassess_hours = 168},
};

static const ToolDef tool = {
    .id = 21,
    .title = L"营养风险筛查（NRS 2002）",
    .summary = L"按疾病严重程度、营养状态受损程度与年龄筛查住院成人的营养风险",
    .category = L"营养",
    .basis = L"Kondrup 等，Clin Nutr 2003（ESPEN）；中国专家共识（2018）：总分 ≥3 为有营养风险",
    .caution = L"适用于 18 岁及以上住院患者；水肿、腹水时体重与 BMI 失真，须结合进食情况判断；界值各医院可按本院标准设定。",
    .input_count = 3,
    .inputs = inputs,
    .output_count = 2,
    .outputs = outputs,
    .rule_count = 3,
    .rules = rules,
    .report_kind = REPORT_NONE,
    .headline = "total",
    .assessment = true,
    .reassess_events = L"病情变化时随时复筛",
};

const ToolDef& tool_builtin() { return tool; }
