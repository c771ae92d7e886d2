// Creatinine clearance by Cockcroft and Gault, with serum creatinine in
// µmol/L, and the renal dosing band it falls in.
#include "tool/tool.h"

static const InputChoice sexes[] = {{L"男", 0}, {L"女", 1}};

// Hard limits: ages to 120 (the oldest person on record reached 122); a
// weight of 0.5–350 kg; creatinine from 10 µmol/L (below any adult's; a value
// in mg/dL such as 1.0 is refused) to 7000 (the highest reported, 6524, Case
// Rep Nephrol 2021). Weight and creatinine to one decimal.
static const InputDef inputs[] = {
    {.key = "age", .label = L"年龄", .unit = L"岁", .default_value = 65, .min = 0, .max = 120, .decimals = 0},
    {.key = "weight", .label = L"体重", .unit = L"kg", .default_value = 60, .min = 0.5, .max = 350, .decimals = 1},
    {.key = "scr", .label = L"血肌酐", .unit = L"µmol/L", .default_value = 88.4, .min = 10, .max = 7000, .decimals = 1},
    {.key = "female", .label = L"性别", .default_value = 1, .choices = sexes, .choice_count = 2},
};

// (140 - age) x weight / (0.818 x creatinine), x 0.85 for a woman, as
// Cockcroft and Gault write it with creatinine in µmol/L.
static const OutputDef outputs[] = {
    {.key = "crcl", .label = L"肌酐清除率", .unit = L"ml/min",
     .formula = "(140 - age)*weight/(0.818*scr)*(female == 1 ? 0.85 : 1)", .format = "f1"},
};

static const RuleDef rules[] = {
    {.condition = "age < 18", .level = 2, .message = L"本公式适用于成人"},
    {.condition = "crcl < 15", .level = 3,
     .message = L"肾衰竭范围（<15 ml/min）：多数经肾排泄药物须避免或大幅减量"},
    {.condition = "crcl < 30", .level = 2, .message = L"重度肾功能减退（15–29 ml/min）：按说明书调整剂量"},
    {.condition = "crcl < 60", .level = 1, .message = L"中度肾功能减退（30–59 ml/min）：注意剂量调整"},
    {.condition = "", .level = 0, .message = L"肌酐清除率估算完成"},
};

static const ToolDef tool = {
    .id = 12,
    .title = L"肌酐清除率（Cockcroft-Gault）",
    .summary = L"按年龄、体重、血肌酐与性别估算肌酐清除率，提示肾功能分级与用药调整",
    .category = L"肾内科",
    .basis = L"Cockcroft 与 Gault，Nephron 1976；血肌酐以 µmol/L 计时分母系数取 0.818（72 ÷ 88）",
    .caution = L"急性肾损伤时血肌酐未稳定，估算值偏高，不宜据此调整剂量；肥胖者（超过理想体重 30%）宜用校正体重：理想体重 + 0.4 ×（实际体重 − 理想体重）。",
    .input_count = 4,
    .inputs = inputs,
    .output_count = 1,
    .outputs = outputs,
    .rule_count = 5,
    .rules = rules,
    .report_kind = REPORT_NONE,
    .headline = "crcl",
};

const ToolDef& tool_builtin() { return tool; }
