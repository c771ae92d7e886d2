// Nurse rota: a three-shift rotation over the ward's nurses for a month.
#include "tool/tool.h"

// The rota covers each day's day and night shift only with three nurses or
// more, and holds 40 nurses over a month at most.
static const InputDef inputs[] = {
    {.key = "nurses", .label = L"护士人数", .unit = L"人", .default_value = 40, .min = 3, .max = 40, .decimals = 0},
    {.key = "days", .label = L"排班天数", .unit = L"天", .default_value = 31, .min = 1, .max = 31, .decimals = 0},
};

static const ToolDef tool = {
    .id = 101,
    .title = L"三班轮转排班",
    .summary = L"按护士人数与天数生成白班/夜班/休息轮转表",
    .category = L"护理管理",
    .basis = L"护理人力资源管理：三班轮转，每日每班至少 1 人",
    .caution = L"自动排班仅为草稿，须结合护士能级、休假与科室规定人工调整后公布。",
    .input_count = 2,
    .inputs = inputs,
    .report_kind = REPORT_NURSE_ROTA,
};

const ToolDef& tool_builtin() { return tool; }
