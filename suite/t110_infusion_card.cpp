// Infusion card: bed, ordered amount, solvent and drip rate on one card.
#include "tool/tool.h"

// Each to the precision the card prints it with. Beds numbered to 999; an
// amount from 0.01 g to 100 g (milligrams typed as grams refused); a 10 ml
// to 3 l solvent; up to 200 drops a minute, faster than drops can be counted
// (adults 40–60, 基础护理学).
static const InputDef inputs[] = {
    {.key = "bed", .label = L"床号", .unit = L"床", .default_value = 12, .min = 1, .max = 999, .decimals = 0},
    {.key = "dose", .label = L"医嘱药量", .unit = L"g", .default_value = 2, .min = 0.01, .max = 100, .decimals = 2},
    {.key = "volume", .label = L"溶媒量", .unit = L"ml", .default_value = 100, .min = 10, .max = 3000, .decimals = 0},
    {.key = "gtt", .label = L"滴速", .unit = L"滴/分", .default_value = 40, .min = 1, .max = 200, .decimals = 0},
};

static const ToolDef tool = {
    .id = 110,
    .title = L"静脉输液卡",
    .summary = L"按床号、药量、溶媒与滴速生成输液卡，并估算每小时入量",
    .category = L"护理操作",
    .basis = L"静脉治疗护理技术操作规范（按 20 滴/ml 输液器估算）",
    .caution = L"输液器规格不同时每毫升滴数不同，入量估算须按实际输液器换算。",
    .input_count = 4,
    .inputs = inputs,
    .report_kind = REPORT_INFUSION_CARD,
};

const ToolDef& tool_builtin() { return tool; }
