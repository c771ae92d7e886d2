// Braden scale: the six items of pressure-injury risk, their sum and the risk
// band it falls in. A lower total is a higher risk.
#include "tool/tool.h"

// Each item from its worst (1 point) to its best; friction and shear has
// three levels, so the total runs from 6 to 23.
static const InputChoice sensory[] = {
    {.label = L"1 分：完全受限", .value = 1},
    {.label = L"2 分：大部分受限", .value = 2},
    {.label = L"3 分：轻度受限", .value = 3},
    {.label = L"4 分：无损害", .value = 4},
};
static const InputChoice moisture[] = {
    {.label = L"1 分：持续潮湿", .value = 1},
    {.label = L"2 分：常常潮湿", .value = 2},
    {.label = L"3 分：偶尔潮湿", .value = 3},
    {.label = L"4 分：罕见潮湿", .value = 4},
};
static const InputChoice activity[] = {
    {.label = L"1 分：卧床", .value = 1},
    {.label = L"2 分：坐椅", .value = 2},
    {.label = L"3 分：偶尔步行", .value = 3},
    {.label = L"4 分：经常步行", .value = 4},
};
static const InputChoice mobility[] = {
    {.label = L"1 分：完全受限", .value = 1},
    {.label = L"2 分：非常受限", .value = 2},
    {.label = L"3 分：轻微受限", .value = 3},
    {.label = L"4 分：不受限", .value = 4},
};
static const InputChoice nutrition[] = {
    {.label = L"1 分：非常差", .value = 1},
    {.label = L"2 分：可能不足", .value = 2},
    {.label = L"3 分：充足", .value = 3},
    {.label = L"4 分：丰富", .value = 4},
};
static const InputChoice friction[] = {
    {.label = L"1 分：存在问题", .value = 1},
    {.label = L"2 分：潜在问题", .value = 2},
    {.label = L"3 分：无明显问题", .value = 3},
};

// Each default is the item's best level: a form not yet filled in never
// reads as a risk.
static const InputDef inputs[] = {
    {.key = "sensory", .label = L"感知能力", .default_value = 4, .choices = sensory, .choice_count = 4},
    {.key = "moisture", .label = L"潮湿程度", .default_value = 4, .choices = moisture, .choice_count = 4},
    {.key = "activity", .label = L"活动能力", .default_value = 4, .choices = activity, .choice_count = 4},
    {.key = "mobility", .label = L"移动能力", .default_value = 4, .choices = mobility, .choice_count = 4},
    {.key = "nutrition", .label = L"营养摄取能力", .default_value = 4, .choices = nutrition, .choice_count = 4},
    {.key = "friction", .label = L"摩擦力和剪切力", .default_value = 3, .choices = friction, .choice_count = 3},
};

static const OutputDef outputs[] = {
    {.key = "total", .label = L"总分", .unit = L"分",
     .formula = "sensory + moisture + activity + mobility + nutrition + friction", .format = "f0"},
};

static const RuleDef rules[] = {
    {.condition = "total <= 9", .level = 3, .message = L"极高危（≤9 分）：立即落实压力性损伤预防措施", .reassess_hours = 24},
    {.condition = "total <= 12", .level = 3, .message = L"高危（10–12 分）：落实预防措施，每班评估皮肤", .reassess_hours = 24},
    {.condition = "total <= 14", .level = 2, .message = L"中危（13–14 分）：采取预防措施，定时翻身减压", .reassess_hours = 72},
    {.condition = "total <= 18", .level = 1, .message = L"低危（15–18 分）：注意预防，定期复评", .reassess_hours = 72},
    {.condition = "", .level = 0, .message = L"无明显风险（19–23 分）"},
};

static const ToolDef tool = {
    .id = 18,
    .title = L"压力性损伤风险评估（Braden）",
    .summary = L"按感知、潮湿、活动、移动、营养、摩擦力和剪切力六项评估压力性损伤风险",
    .category = L"护理",
    .basis = L"Bergstrom 等，Nurs Res 1987；分级：≤9 极高危，10–12 高危，13–14 中危，15–18 低危",
    .caution = L"分界值各医院可按本院标准设定；评分须结合皮肤检查，病情变化或转科时及时复评。",
    .input_count = 6,
    .inputs = inputs,
    .output_count = 1,
    .outputs = outputs,
    .rule_count = 5,
    .rules = rules,
    .report_kind = REPORT_NONE,
    .headline = "total",
    .assessment = true,
    .reassess_events = L"病情变化、转科、术后随时复评",
};

const ToolDef& tool_builtin() { return tool; }
