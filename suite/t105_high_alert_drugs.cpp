// High-alert drugs: the drugs of one category and the points of their handling.
#include "tool/tool.h"

static const InputChoice categories[] = {
    {L"1 高浓度电解质", 1}, {L"2 胰岛素与降糖药", 2}, {L"3 抗凝与化疗药", 3}, {L"4 麻醉与肌松药", 4},
};

static const InputDef inputs[] = {
    {.key = "kind", .label = L"药品类别", .default_value = 1, .choices = categories, .choice_count = 4},
};

static const ToolDef tool = {
    .id = 105,
    .title = L"高警示药品管理要点",
    .summary = L"类别：1高浓度电解质 2胰岛素与降糖药 3抗凝与化疗药 4麻醉与肌松药",
    .category = L"药事管理",
    .basis = L"高警示药品分级管理策略及推荐目录",
    .caution = L"以本院高警示药品目录为准；使用前双人核对。",
    .input_count = 1,
    .inputs = inputs,
    .report_kind = REPORT_HIGH_ALERT_DRUGS,
};

const ToolDef& tool_builtin() { return tool; }
