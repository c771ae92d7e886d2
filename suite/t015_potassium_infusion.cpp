// Intravenous potassium: the concentration, potassium content and rate of 10%
// potassium chloride added to a peripheral infusion, against the usual limits.
#include "tool/tool.h"

static const InputDef inputs[] = {
    {.key = "kcl_ml", .label = L"10% 氯化钾", .unit = L"ml", .default_value = 15},
    {.key = "volume", .label = L"液体量", .unit = L"ml", .default_value = 500},
    {.key = "hours", .label = L"输注时间", .unit = L"h", .default_value = 5},
};

// 10% KCl holds 0.1 g per ml. Multiplying by 0.1 rounds, so grams are taken by
// dividing by 10: 15 ml in 500 ml then gives exactly the double nearest 0.3
// and stays within the limit, as do rates of exactly 1.5 and 0.75 g/h.
static const OutputDef outputs[] = {
    {.key = "conc_pct", .label = L"氯化钾浓度", .unit = L"%", .formula = "kcl_ml*10/volume", .format = "f2"},
    {.key = "potassium", .label = L"含钾量", .unit = L"mmol", .formula = "kcl_ml*13.4/10", .format = "f1"},
    {.key = "rate", .label = L"补钾速度", .unit = L"g/h", .formula = "kcl_ml/(10*hours)", .format = "f2"},
};

// A negative amount of KCl would pass as "within range".
static const RuleDef rules[] = {
    {.condition = "volume <= 0 || hours <= 0", .level = 3, .message = L"请填写液体量与输注时间"},
    {.condition = "kcl_ml < 0", .level = 3, .message = L"氯化钾用量不能为负数"},
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
    .rule_count = 6,
    .rules = rules,
    .report_kind = REPORT_NONE,
};

const ToolDef& tool_builtin() { return tool; }
