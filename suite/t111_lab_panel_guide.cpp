// Laboratory panel guide: what a panel measures and how to draw it.
#include "tool/tool.h"

static const InputDef inputs[] = {
    {.key = "panel", .label = L"套餐编号", .unit = L"1-6", .default_value = 1},
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
