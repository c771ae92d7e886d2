// Follow-up plan: the dates of a discharged patient's follow-up visits.
#include "tool/tool.h"

// Whole days, the first visit and the gap within a year; at most the 20
// visits the plan lists.
static const InputDef inputs[] = {
    {.key = "start", .label = L"首次随访", .unit = L"天后", .default_value = 7, .min = 1, .max = 365, .decimals = 0},
    {.key = "gap", .label = L"随访间隔", .unit = L"天", .default_value = 30, .min = 1, .max = 365, .decimals = 0},
    {.key = "times", .label = L"随访次数", .unit = L"次", .default_value = 6, .min = 1, .max = 20, .decimals = 0},
};

static const ToolDef tool = {
    .id = 107,
    .title = L"出院随访计划",
    .summary = L"以今天为基准，按间隔列出每次随访的日期",
    .category = L"慢病管理",
    .basis = L"慢性病患者出院后延续护理与随访管理规范",
    .caution = L"随访日期遇节假日请顺延；病情变化时提前复诊。",
    .input_count = 3,
    .inputs = inputs,
    .report_kind = REPORT_FOLLOW_UP_PLAN,
};

const ToolDef& tool_builtin() { return tool; }
