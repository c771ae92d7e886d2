// Handover sheet: one line per bed to fill in at the shift change.
#include "tool/tool.h"

static const InputDef inputs[] = {
    // The sheet holds at most 30 beds.
    {.key = "beds", .label = L"交班床位数", .unit = L"床", .default_value = 6, .min = 1, .max = 30, .decimals = 0},
};

static const ToolDef tool = {
    .id = 109,
    .title = L"床旁交班模板",
    .summary = L"按床位数生成交班报告模板（最多 30 床）",
    .category = L"护理管理",
    .basis = L"护理交接班制度：书面、口头、床旁交接",
    .caution = L"模板内容须逐项填写，交接双方核对后签名。",
    .input_count = 1,
    .inputs = inputs,
    .report_kind = REPORT_HANDOVER_SHEET,
};

const ToolDef& tool_builtin() { return tool; }
