// Correction insulin: the rapid-acting dose that brings a high glucose down to
// target at the patient's insulin sensitivity.
#include "tool/tool.h"

static const InputDef inputs[] = {
    {.key = "bg", .label = L"当前血糖", .unit = L"mmol/L", .default_value = 12},
    {.key = "target", .label = L"目标血糖", .unit = L"mmol/L", .default_value = 7},
    {.key = "isf", .label = L"敏感系数", .unit = L"mmol/L/U", .default_value = 2},
};

// Glucose is read to one decimal: in tenths the difference is a whole number,
// so a dose of exactly 10 U is not raised past 10 by rounding.
static const OutputDef outputs[] = {
    {.key = "dose", .label = L"校正剂量", .unit = L"U", .formula = "max((bg*10 - target*10)/(isf*10), 0)",
     .format = "f1"},
};

static const RuleDef rules[] = {
    {.condition = "bg < 3.9", .level = 3, .message = L"低血糖：不使用校正剂量，按低血糖流程处理"},
    {.condition = "isf <= 0", .level = 3, .message = L"敏感系数须大于 0"},
    // A target of 0 or below would only enlarge the dose.
    {.condition = "target <= 0", .level = 3, .message = L"目标血糖须大于 0"},
    {.condition = "dose > 10", .level = 2, .message = L"校正剂量较大，请复核血糖与敏感系数"},
    {.condition = "bg >= 16.7", .level = 2, .message = L"血糖明显升高，注意排查酮症"},
    {.condition = "", .level = 0, .message = L"按敏感系数计算完成"},
};

static const ToolDef tool = {
    .id = 10,
    .title = L"校正胰岛素剂量",
    .summary = L"按当前血糖、目标血糖与胰岛素敏感系数计算速效胰岛素校正剂量",
    .category = L"内分泌",
    .basis = L"胰岛素校正系数法（Davidson 等，Endocr Pract 2008）：（当前血糖 − 目标血糖）÷ 敏感系数",
    .caution = L"两小时内已用过速效胰岛素时须扣除残余作用，避免叠加导致低血糖。",
    .input_count = 3,
    .inputs = inputs,
    .output_count = 1,
    .outputs = outputs,
    .rule_count = 6,
    .rules = rules,
    .report_kind = REPORT_NONE,
};

const ToolDef& tool_builtin() { return tool; }
