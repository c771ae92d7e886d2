// Syringe pump: the rate in ml/h that delivers a weight-based dose in
// µg/kg/min from the drug and volume made up in the syringe.
#include "tool/tool.h"

// Hard limits: doses from epoprostenol's 2 ng/kg/min start to esmolol's
// 1000 µg/kg/min loading (prescribing information); weights from the
// smallest surviving newborn (212 g) to 350 kg; from a neonatal 0.01 mg
// preparation to the largest premixed bags (esmolol 2.5 g); a 1 ml syringe
// to a 1000 ml bag. A slip between µg and mg is left to the rate's
// warnings, above 100 ml/h and below the 0.1 ml/h a syringe pump delivers.
static const InputDef inputs[] = {
    {.key = "dose", .label = L"医嘱剂量", .unit = L"µg/kg/min", .default_value = 5, .min = 0.001, .max = 1000, .decimals = 3},
    {.key = "weight", .label = L"体重", .unit = L"kg", .default_value = 60, .min = 0.2, .max = 350, .decimals = 2},
    {.key = "drug_mg", .label = L"药量", .unit = L"mg", .default_value = 200, .min = 0.01, .max = 5000, .decimals = 3},
    {.key = "volume", .label = L"配制总量", .unit = L"ml", .default_value = 50, .min = 1, .max = 1000, .decimals = 1},
};

// The rate is written from the inputs rather than from the concentration
// output: the self-test evaluates each formula with the other outputs at 0.
static const OutputDef outputs[] = {
    {.key = "conc", .label = L"药液浓度", .unit = L"µg/ml", .formula = "drug_mg*1000/volume",
     .format = "f1"},
    // Up to two decimals, as pumps set below 100 ml/h, so a rate below 0.1
    // does not show as the 0.1 it rounds to; without trailing zeros, so
    // "5.00 ml/h" is never set as 500.
    {.key = "rate", .label = L"泵速", .unit = L"ml/h", .formula = "dose*weight*60*volume/(drug_mg*1000)",
     .format = "trim2"},
};

static const RuleDef rules[] = {
    {.condition = "rate >= 100", .level = 2, .message = L"泵速过快，请复核剂量单位与配制浓度"},
    {.condition = "rate < 0.1", .level = 2, .message = L"泵速 <0.1 ml/h，微量泵难以准确输注，请复核剂量单位与配制浓度"},
    {.condition = "", .level = 0, .message = L"泵速计算完成"},
};

static const ToolDef tool = {
    .id = 14,
    .title = L"微量泵泵速（按体重）",
    .summary = L"按医嘱剂量、体重与配制浓度计算微量泵每小时泵速",
    .category = L"重症医学",
    .basis = L"按体重给药的剂量换算（1 mg = 1000 µg，1 h = 60 min）：泵速 = 剂量 × 体重 × 60 ÷ 浓度",
    .caution = L"血管活性药物更换注射器时须防止泵速中断或推注，调速后复测血压。",
    .input_count = 4,
    .inputs = inputs,
    .output_count = 2,
    .outputs = outputs,
    .rule_count = 3,
    .rules = rules,
    .report_kind = REPORT_NONE,
    .headline = "rate",
};

const ToolDef& tool_builtin() { return tool; }
