// Norton scale: five items of pressure-injury risk, summed 5 to 20, and the
// risk band. A lower total is a higher risk.
#include "tool/tool.h"

// Each item from its worst (1 point) to its best (4).
static const InputChoice physical[] = {
    {.label = L"1 分：极差", .value = 1},
    {.label = L"2 分：差", .value = 2},
    {.label = L"3 分：一般", .value = 3},
    {.label = L"4 分：良好", .value = 4},
};
static const InputChoice mental[] = {
    {.label = L"1 分：昏迷或木僵", .value = 1},
    {.label = L"2 分：意识模糊", .value = 2},
    {.label = L"3 分：淡漠", .value = 3},
    {.label = L"4 分：清醒、反应敏捷", .value = 4},
};
static const InputChoice activity[] = {
    {.label = L"1 分：卧床", .value = 1},
    {.label = L"2 分：依赖轮椅", .value = 2},
    {.label = L"3 分：需协助行走", .value = 3},
    {.label = L"4 分：可自由走动", .value = 4},
};
static const InputChoice mobility[] = {
    {.label = L"1 分：不能活动", .value = 1},
    {.label = L"2 分：非常受限", .value = 2},
    {.label = L"3 分：轻度受限", .value = 3},
    {.label = L"4 分：活动自如", .value = 4},
};
static const InputChoice incontinence[] = {
    {.label = L"1 分：大小便失禁", .value = 1},
    {.label = L"2 分：经常失禁（通常为尿失禁）", .value = 2},
    {.label = L"3 分：偶尔失禁", .value = 3},
    {.label = L"4 分：无失禁", .value = 4},
};

// Each default is the item's best level: a form not yet filled in never
// reads as a risk.
static const InputDef inputs[] = {
    {.key = "physical", .label = L"身体状况", .default_value = 4, .choices = physical, .choice_count = 4},
    {.key = "mental", .label = L"精神状态", .default_value = 4, .choices = mental, .choice_count = 4},
    {.key = "activity", .label = L"活动能力", .default_value = 4, .choices = activity, .choice_count = 4},
    {.key = "mobility", .label = L"移动能力", .default_value = 4, .choices = mobility, .choice_count = 4},
    {.key = "incontinence", .label = L"失禁", .default_value = 4, .choices = incontinence, .choice_count = 4},
};

static const OutputDef outputs[] = {
    {.key = "total", .label = L"总分", .unit = L"分",
     .formula = "physical + mental + activity + mobility + incontinence", .format = "f0"},
};

// Norton 1989: 14 or less is at risk, below 12 high risk.
static const RuleDef rules[] = {
    {.condition = "total <= 11", .level = 3, .message = L"高度危险（<12 分）：立即落实压力性损伤预防措施", .reassess_hours = 24},
    {.condition = "total <= 14", .level = 2, .message = L"中度危险（12–14 分）：采取预防措施，定时翻身减压", .reassess_hours = 72},
    {.condition = "", .level = 0, .message = L"无明显风险（15–20 分）：定期复评"},
};

static const ToolDef tool = {
    .id = 37,
    .title = L"压力性损伤风险评估（Norton）",
    .summary = L"按身体状况、精神状态、活动、移动与失禁五项评估压力性损伤风险",
    .category = L"护理",
    .basis = L"Norton 等 1962（Norton 量表，5–20 分）；Norton 1989：≤14 分有风险，<12 分高度危险",
    .caution = L"评分须结合皮肤检查；病情变化、术后或转科时复评；界值各医院可按本院标准设定。",
    .input_count = 5,
    .inputs = inputs,
    .output_count = 1,
    .outputs = outputs,
    .rule_count = 3,
    .rules = rules,
    .report_kind = REPORT_NONE,
    .headline = "total",
    .assessment = true,
    .reassess_events = L"病情变化、转科、术后随时复评",
};

const ToolDef& tool_builtin() { return tool; }
