// Laboratory panel guide: what a panel measures and how to draw it.
#include "tool/tool.h"

static const InputChoice panels[] = {
    {L"1 血常规", 1}, {L"2 生化全套", 2},   {L"3 凝血四项", 3},
    {L"4 甲状腺功能", 4}, {L"5 心肌标志物", 5}, {L"6 尿常规", 6},
};

static const InputDef inputs[] = {
    {.key = "panel", .label = L"套餐编号", .default_value = 1, .choices = panels, .choice_count = 6},
};

static const ToolDef tool = {
    .id = 111,
    .title = L"检验套餐与采血管",
    .summary = L"套餐：1血常规 2生化全套 3凝血四项 4甲状腺功能 5心肌标志物 6尿常规",
    .category = L"检验",
    .basis = L"临床检验项目手册与标本采集规范",
    .caution = L"采血管颜色以本院检验科规定为准；特殊项目请电话咨询检验科。",
    .input_count = 1,
    .inputs = inputs,
    .report_kind = REPORT_LAB_PANEL_GUIDE,
};

const ToolDef& tool_builtin() { return tool; }
