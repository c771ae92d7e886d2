// Dosing timetable: the day and clock time of each dose at a fixed interval.
#include "tool/tool.h"

// A first dose within the day (hours to two decimals, 7.5 being 7:30);
// intervals in whole hours from hourly to weekly (weekly methotrexate); at
// most the 30 doses the timetable lists.
static const InputDef inputs[] = {
    {.key = "start", .label = L"首剂时间", .unit = L"时", .default_value = 8, .min = 0, .max = 23.99, .decimals = 2},
    {.key = "interval", .label = L"给药间隔", .unit = L"小时", .default_value = 8, .min = 1, .max = 168, .decimals = 0},
    {.key = "times", .label = L"给药次数", .unit = L"次", .default_value = 6, .min = 1, .max = 30, .decimals = 0},
};

static const ToolDef tool = {
    .id = 102,
    .title = L"等间隔给药时间表",
    .summary = L"按首剂时间与间隔列出每次给药的日期与时刻",
    .category = L"临床药学",
    .basis = L"抗菌药物临床应用指导原则：按半衰期等间隔给药",
    .caution = L"首剂时间按实际执行时刻填写（可带小数，如 7.5 为 7:30）；肾肝功能不全者按医嘱调整间隔。",
    .input_count = 3,
    .inputs = inputs,
    .report_kind = REPORT_DOSING_TIMETABLE,
};

const ToolDef& tool_builtin() { return tool; }
