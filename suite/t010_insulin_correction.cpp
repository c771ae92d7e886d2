// Correction insulin: the rapid-acting dose that brings a high glucose down to
// target at the patient's insulin sensitivity.
#include "tool/tool.h"

// Hard limits. Glucose from a ward meter's floor, 0.6 mmol/L (Accu-Chek
// Inform II, 11–600 mg/dL), to 150: the laboratory reads on where the meter
// stops at 33.3 ("HI" above it, so a 33.3 read off the meter means 33.3 or
// more), ketoacidosis and the hyperosmolar state (ADA) reach 40–80, and the
// highest on record in a survivor is 147.6 (2656 mg/dL). Such a value must
// be taken to draw the crisis verdict, which withholds the correction dose:
// those states are treated by an intravenous infusion by weight (ADA/EASD/
// JBDS consensus, 2024), never by a subcutaneous correction. A value in
// mg/dL (70, 180) is not dosed either: above 150 it is refused, from 33.3
// to 150 it draws that verdict. A target below 3.9 is hypoglycaemia (ADA level 1),
// above 15 beyond the end-of-life range (Diabetes UK). The sensitivity by
// the "100 rule" (ISPAD 2022) runs from 0.1 (1000 U a day) to 50 (an
// infant's 2 U). Each to one decimal, as the formula counts in tenths.
static const InputDef inputs[] = {
    {.key = "bg", .label = L"当前血糖", .unit = L"mmol/L", .default_value = 12, .min = 0.6, .max = 150, .decimals = 1},
    {.key = "target", .label = L"目标血糖", .unit = L"mmol/L", .default_value = 7, .min = 3.9, .max = 15, .decimals = 1},
    {.key = "isf", .label = L"敏感系数", .unit = L"mmol/L/U", .default_value = 2, .min = 0.1, .max = 50, .decimals = 1},
};

// (Glucose - target) / sensitivity, as the correction factor method writes
// it; a glucose at or below target takes no correction, never a negative one.
// Rounded down to whole units, as pens dial them, and written without a
// decimal: "19.0 U" on an order is read as 190 (ISMP, Joint Commission).
static const OutputDef outputs[] = {
    {.key = "dose", .label = L"校正剂量", .unit = L"U", .formula = "floor(max((bg - target)/isf, 0))", .format = "f0"},
};

// Where the rules say not to dose, no dose is shown beside them.
static const RuleDef rules[] = {
    {.condition = "bg < 3.9", .level = 3, .message = L"低血糖：不使用校正剂量，按低血糖流程处理",
     .withholds = "dose", .withheld_reason = L"血糖 <3.9 mmol/L，按低血糖流程处理"},
    {.condition = "bg >= 33.3", .level = 3, .message = L"血糖 ≥33.3 mmol/L：高血糖危象可能，立即通知医师，不按皮下校正剂量给药",
     .withholds = "dose", .withheld_reason = L"血糖 ≥33.3 mmol/L，高血糖危象按医嘱静脉胰岛素治疗"},
    {.condition = "dose > 10", .level = 2, .message = L"校正剂量较大，请复核血糖与敏感系数"},
    {.condition = "bg >= 16.7", .level = 2, .message = L"血糖明显升高，注意排查酮症"},
    {.condition = "", .level = 0, .message = L"按敏感系数计算完成"},
};

static const ToolDef tool = {
    .id = 10,
    .title = L"校正胰岛素剂量",
    .summary = L"按当前血糖、目标血糖与胰岛素敏感系数计算速效胰岛素校正剂量",
    .category = L"内分泌",
    .basis = L"胰岛素校正系数法（Davidson 等，Endocr Pract 2008）：（当前血糖 − 目标血糖）÷ 敏感系数，向下取整到整单位",
    .caution = L"两小时内已用过速效胰岛素时须扣除残余作用，避免叠加导致低血糖；血糖仪显示 HI 时须抽静脉血送检，不以 33.3 代替输入。",
    .input_count = 3,
    .inputs = inputs,
    .output_count = 1,
    .outputs = outputs,
    .rule_count = 5,
    .rules = rules,
    .report_kind = REPORT_NONE,
    .headline = "dose",
};

const ToolDef& tool_builtin() { return tool; }
