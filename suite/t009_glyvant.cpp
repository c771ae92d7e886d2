// Glyvant: mealtime insulin from the meal's carbohydrate and the patient's
// carbohydrate-to-insulin ratio, and the volume to draw at the pen's strength.
#include "tool/tool.h"

// Hard limits that no patient meets and a slip of sign, point or unit does:
// no single meal holds 300 g of carbohydrate (a carb-free meal is 0 g);
// ratios run from about 3 g/U (insulin resistance) to 50 g/U (toddlers), and
// 0 would divide by zero; insulin is sold as U-40, U-100, U-200, U-300 and
// U-500 only.
static const InputDef inputs[] = {
    {.key = "carbs", .label = L"本餐碳水", .unit = L"g", .default_value = 60, .min = 0, .max = 300, .decimals = 1},
    {.key = "icr", .label = L"碳水系数", .unit = L"g/U", .default_value = 10, .min = 1, .max = 150, .decimals = 1},
    {.key = "conc", .label = L"规格", .unit = L"U/ml", .default_value = 100, .min = 40, .max = 500, .decimals = 0},
};

static const OutputDef outputs[] = {
    {.key = "units", .label = L"餐时胰岛素", .unit = L"U", .formula = "carbs/icr", .format = "f1"},
    {.key = "ml", .label = L"抽取体积", .unit = L"ml", .formula = "carbs/icr/conc", .format = "f3"},
};

static const RuleDef rules[] = {
    {.condition = "units>20", .level = 2, .message = L"单次餐时剂量较大，建议复核对碳水与比值"},
    {.condition = "", .level = 0, .message = L"按碳水系数计算完成"},
};

static const ToolDef tool = {
    .id = 9,
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
    .headline = "units",
};

const ToolDef& tool_builtin() { return tool; }
