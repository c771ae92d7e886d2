// Children's maintenance fluids by Holliday and Segar: the daily volume by the
// 100/50/20 ml/kg bands and the hourly rate by the 4/2/1 ml/kg/h bands.
#include "tool/tool.h"

// Hard limits from the smallest surviving newborn (212 g) to 350 kg, a
// weight in grams refused; a heavy child's weight is the warning's, not a
// limit's.
static const InputDef inputs[] = {
    {.key = "weight", .label = L"体重", .unit = L"kg", .default_value = 25, .min = 0.2, .max = 350, .decimals = 2},
};

// Each band counts only the kilograms inside it: the first 10, the next 10,
// and what lies beyond 20.
static const OutputDef outputs[] = {
    {.key = "daily", .label = L"每日维持液量", .unit = L"ml/d",
     .formula = "100*min(weight, 10) + 50*min(max(weight - 10, 0), 10) + 20*max(weight - 20, 0)",
     .format = "f0"},
    {.key = "hourly", .label = L"每小时维持液量", .unit = L"ml/h",
     .formula = "4*min(weight, 10) + 2*min(max(weight - 10, 0), 10) + max(weight - 20, 0)",
     .format = "f0"},
};

static const RuleDef rules[] = {
    {.condition = "weight > 70", .level = 1, .message = L"体重超过 70 kg：请按成人补液方案核对"},
    {.condition = "", .level = 0, .message = L"按 Holliday-Segar 法计算完成"},
};

static const ToolDef tool = {
    .id = 16,
    .title = L"小儿维持液量（Holliday-Segar）",
    .summary = L"按体重计算小儿每日维持液量与每小时输注速度",
    .category = L"儿科",
    .basis = L"Holliday 与 Segar，Pediatrics 1957：每日 100/50/20 ml/kg，每小时 4/2/1 ml/kg",
    .caution = L"不含累积损失与继续丢失量，新生儿及心肾功能不全者须另行计算；维持液应选用等张液（AAP 指南 2018）。",
    .input_count = 1,
    .inputs = inputs,
    .output_count = 2,
    .outputs = outputs,
    .rule_count = 2,
    .rules = rules,
    .report_kind = REPORT_NONE,
    .headline = "hourly",
};

const ToolDef& tool_builtin() { return tool; }
