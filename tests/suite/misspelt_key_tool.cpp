// The Glyvant descriptor with two slips of the pen: a key misspelt in a
// formula and in a condition. It builds, and its self-test fails.
#include "tool/tool.h"

static const InputDef inputs[] = {
    {.key = "carbs", .label = L"本餐碳水", .unit = L"g", .default_value = 60},
    {.key = "icr", .label = L"碳水系数", .unit = L"g/U", .default_value = 10},
    {.key = "conc", .label = L"规格", .unit = L"U/ml", .default_value = 100},
};

static const OutputDef outputs[] = {
    {.key = "units", .label = L"餐时胰岛素", .unit = L"U", .formula = "carbs/icr", .format = "f1"},
    {.key = "ml", .label = L"抽取体积", .unit = L"ml", .formula = "units/cnc", .format = "f3"},
};

static const RuleDef rules[] = {
    {.condition = "unts>20", .level = 2, .message = L"单次餐时剂量较大，建议复核对碳水与比值"},
    {.condition = "", .level = 0, .message = L"按碳水系数计算完成"},
};

static const ToolDef tool = {
    .id = 202,
    .title = L"Glyvant",
    .summary = L"按碳水系数计算餐时胰岛素量",
    .category = L"内分泌",
    .basis = L"糖尿病胰岛素强化治疗：ICR 碳水胰岛素比值",
    .caution = L"需结合校正剂量与运动量；夜间与饮酒后低血糖风险升高。",
    .input_count = 3,
    .inputs = inputs,
    .output_count = 2,
    .outputs = outputs,
    .rule_count = 2,
    .rules = rules,
    .report_kind = REPORT_NONE,
};

const ToolDef& tool_builtin() { return tool; }
