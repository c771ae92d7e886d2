// Intravenous potassium: the concentration, potassium content and rate of 10%
// potassium chloride added to a peripheral infusion, against the usual limits.
#include "tool/tool.h"

// Hard limits: from a 1 ml syringe's 0.1 ml mark to 100 ml (10 g, above the
// 8 g a day's replacement allows); from a 10 ml burette to a 3 l bag; six
// minutes to one day. A negative amount, or milligrams typed as millilitres,
// is refused.
static const InputDef inputs[] = {
    {.key = "kcl_ml", .label = L"10% 氯化钾", .unit = L"ml", .default_value = 15, .min = 0.1, .max = 100, .decimals = 1},
    {.key = "volume", .label = L"液体量", .unit = L"ml", .default_value = 500, .min = 10, .max = 3000, .decimals = 0},
    {.key = "hours", .label = L"输注时间", .unit = L"h", .default_value = 5, .min = 0.1, .max = 24, .decimals = 2},
};

// 10% KCl holds 0.1 g per ml: grams of KCl in the fluid as a percentage, at
// 13.4 mmol of potassium per gram, and per hour.
static const OutputDef outputs[] = {
    {.key = "conc_pct", .label = L"氯化钾浓度", .unit = L"%", .formula = "kcl_ml*0.1/volume*100", .format = "f2"},
    {.key = "potassium", .label = L"含钾量", .unit = L"mmol", .formula = "kcl_ml*0.1*13.4", .format = "f1"},
    {.key = "rate", .label = L"补钾速度", .unit = L"g/h", .formula = "kcl_ml*0.1/hours", .format = "f2"},
};

static const RuleDef rules[] = {
    {.condition = "conc_pct > 0.3", .level = 3, .message = L"浓度超过 0.3%：外周静脉禁止输注，须稀释"},
    {.condition = "rate > 1.5", .level = 3, .message = L"补钾速度超过 1.5 g/h，须减慢"},
    {.condition = "rate > 0.75", .level = 2, .message = L"补钾速度超过 0.75 g/h，须心电监护"},
    {.condition = "", .level = 0, .message = L"浓度与速度在常规范围内"},
};

static const ToolDef tool = {
    .id = 15,
    .title = L"静脉补钾浓度与速度核对",
    .summary = L"核对外周静脉补钾的氯化钾浓度、含钾量与每小时补钾速度",
    .category = L"护理",
    .basis = L"《外科学》（陈孝平等主编，第 9 版，2018）低钾血症：浓度 ≤ 40 mmol/L，速度 ≤ 20 mmol/h；1 g 氯化钾含钾 13.4 mmol",
    .caution = L"严禁静脉推注氯化钾，尿量少于 40 ml/h 时暂缓补钾。",
    .input_count = 3,
    .inputs = inputs,
    .output_count = 3,
    .outputs = outputs,
    .rule_count = 4,
    .rules = rules,
    .report_kind = REPORT_NONE,
    .headline = "conc_pct",
};

const ToolDef& tool_builtin() { return tool; }
