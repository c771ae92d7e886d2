// Gravity infusion: the hourly volume and the drip rate to set for an ordered
// volume over an ordered time with the giving set's drop factor.
#include "tool/tool.h"

// Giving sets drip 10, 15, 20 (基础护理学) or 60 (microdrip) drops a
// millilitre, so the drop factor is chosen from these: a typed factor no set
// has (37) is never taken.
static const InputChoice drop_factors[] = {
    {.label = L"10 滴/ml", .value = 10},
    {.label = L"15 滴/ml", .value = 15},
    {.label = L"20 滴/ml", .value = 20},
    {.label = L"60 滴/ml", .value = 60},
};

// Hard limits: from a 10 ml burette aliquot to a day's 10 l (Parkland burn
// resuscitation stays below it), litres typed as millilitres refused; six
// minutes to one day, minutes typed as hours refused.
static const InputDef inputs[] = {
    {.key = "volume", .label = L"输液总量", .unit = L"ml", .default_value = 500, .min = 10, .max = 10000, .decimals = 0},
    {.key = "hours", .label = L"输注时间", .unit = L"h", .default_value = 4, .min = 0.1, .max = 24, .decimals = 2},
    {.key = "drop_factor", .label = L"滴系数", .default_value = 20, .choices = drop_factors, .choice_count = 4},
};

static const OutputDef outputs[] = {
    {.key = "ml_per_hour", .label = L"每小时输液量", .unit = L"ml/h", .formula = "volume/hours", .format = "f0"},
    {.key = "drops", .label = L"滴速", .unit = L"滴/分", .formula = "volume*drop_factor/(hours*60)",
     .format = "f0"},
};

static const RuleDef rules[] = {
    {.condition = "drops > 80", .level = 2, .message = L"滴速较快，请确认医嘱与患者心肺功能"},
    {.condition = "", .level = 0, .message = L"滴速计算完成"},
};

static const ToolDef tool = {
    .id = 13,
    .title = L"输液滴速",
    .summary = L"按输液总量、输注时间与滴系数计算每分钟滴数和每小时输液量",
    .category = L"护理",
    .basis = L"《基础护理学》（李小寒、尚少梅主编，第 6 版，2017）：滴速 = 液体量 × 滴系数 ÷ 输液分钟数",
    .caution = L"滴系数以输液器包装标示为准，老人、儿童及心肺功能不全者须减慢滴速。",
    .input_count = 3,
    .inputs = inputs,
    .output_count = 2,
    .outputs = outputs,
    .rule_count = 2,
    .rules = rules,
    .report_kind = REPORT_NONE,
    .headline = "drops",
};

const ToolDef& tool_builtin() { return tool; }
