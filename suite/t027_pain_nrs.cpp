// Numeric rating scale of pain: the number from 0 to 10 the patient gives
// for the pain now, and its severity band.
#include "tool/tool.h"

#include "suite/pain_bands.h"

static const InputChoice nrs[] = {
    {.label = L"0 分：无痛", .value = 0},
    {.label = L"1 分：轻度疼痛", .value = 1},
    {.label = L"2 分：轻度疼痛", .value = 2},
    {.label = L"3 分：轻度疼痛", .value = 3},
    {.label = L"4 分：中度疼痛", .value = 4},
    {.label = L"5 分：中度疼痛", .value = 5},
    {.label = L"6 分：中度疼痛", .value = 6},
    {.label = L"7 分：重度疼痛", .value = 7},
    {.label = L"8 分：重度疼痛", .value = 8},
    {.label = L"9 分：重度疼痛", .value = 9},
    {.label = L"10 分：剧烈疼痛（能想象的最痛）", .value = 10},
};

// The patient's own number, so one list; its default is no pain.
static const InputDef inputs[] = {
    {.key = "nrs", .label = L"疼痛评分（NRS）", .default_value = 0, .choices = nrs, .choice_count = 11},
};

static const OutputDef outputs[] = {
    {.key = "total", .label = L"疼痛评分", .unit = L"分", .formula = "nrs", .format = "f0"},
};

static const ToolDef tool = {
    .id = 27,
    .title = L"疼痛评估（NRS 数字评分）",
    .summary = L"由患者在 0–10 中选出代表当前疼痛程度的数字，评估疼痛强度",
    .category = L"护理",
    .basis = L"数字评分法（NRS 0–10）；分级按国家卫生健康委《癌症疼痛诊疗规范（2018 年版）》：0 无痛，1–3 轻度，4–6 中度，7–10 重度",
    .caution = L"适用于能理解数字的成人和儿童；由患者本人评分，不以他人判断代替；镇痛处理后按时复评；分级界值各医院可按本院标准设定。",
    .input_count = 1,
    .inputs = inputs,
    .output_count = 1,
    .outputs = outputs,
    .rule_count = pain_band_count,
    .rules = pain_bands,
    .report_kind = REPORT_NONE,
    .headline = "total",
    .assessment = true,
};

const ToolDef& tool_builtin() { return tool; }
