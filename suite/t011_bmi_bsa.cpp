// Body mass index with the Chinese adult cut-offs, and body surface area by
// Mosteller's formula.
#include "tool/tool.h"

// Hard limits from the smallest surviving newborn (212 g, 24 cm; Iowa
// Tiniest Babies Registry) to the tallest man on record (272 cm, Guinness)
// and the heaviest bariatric patients; a height in metres or millimetres,
// or a weight in grams, is refused. Infant scales read to 10 g.
static const InputDef inputs[] = {
    {.key = "height", .label = L"身高", .unit = L"cm", .default_value = 170, .min = 20, .max = 280, .decimals = 1},
    {.key = "weight", .label = L"体重", .unit = L"kg", .default_value = 65, .min = 0.2, .max = 350, .decimals = 2},
};

// Centimetres squared in one exact product and a single division: metres
// squared would round twice and can land a BMI of exactly 24 just below it.
static const OutputDef outputs[] = {
    {.key = "bmi", .label = L"体重指数", .unit = L"kg/m²", .formula = "weight*10000/(height*height)",
     .format = "f1"},
    {.key = "bsa", .label = L"体表面积", .unit = L"m²", .formula = "sqrt(height*weight/3600)",
     .format = "f2"},
};

static const RuleDef rules[] = {
    {.condition = "bmi < 18.5", .level = 1, .message = L"体重过低（BMI<18.5）"},
    {.condition = "bmi >= 28", .level = 2, .message = L"肥胖（BMI≥28）"},
    {.condition = "bmi >= 24", .level = 1, .message = L"超重（BMI 24–27.9）"},
    {.condition = "", .level = 0, .message = L"体重正常（BMI 18.5–23.9）"},
};

static const ToolDef tool = {
    .id = 11,
    .title = L"体重指数与体表面积",
    .summary = L"按身高体重计算 BMI（中国成人标准分级）与体表面积",
    .category = L"营养",
    .basis = L"《中国成人超重和肥胖症预防控制指南》（2003）；体表面积：Mosteller，N Engl J Med 1987",
    .caution = L"BMI 不适用于儿童、孕妇及肌肉发达者，水肿或腹水时体重失真。",
    .input_count = 2,
    .inputs = inputs,
    .output_count = 2,
    .outputs = outputs,
    .rule_count = 4,
    .rules = rules,
    .report_kind = REPORT_NONE,
    .headline = "bmi",
};

const ToolDef& tool_builtin() { return tool; }
