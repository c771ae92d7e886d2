// Blood draw order: the tube sequence, and how to handle this draw's tube.
#include "tool/tool.h"

// Any other test follows the laboratory's handbook: "其他项目" reads 0.
static const InputChoice tests[] = {
    {L"1 血常规", 1}, {L"2 凝血", 2},   {L"3 生化", 3},     {L"4 血气", 4},
    {L"5 血培养", 5}, {L"6 血糖/乳酸", 6}, {L"其他项目", 0},
};

static const InputDef inputs[] = {
    {.key = "kind", .label = L"本次项目", .default_value = 1, .choices = tests, .choice_count = 7},
};

static const ToolDef tool = {
    .id = 103,
    .title = L"采血管顺序",
    .summary = L"项目：1血常规 2凝血 3生化 4血气 5血培养 6血糖/乳酸",
    .category = L"检验",
    .basis = L"静脉血标本采集规范：按添加剂种类确定采血顺序",
    .caution = L"血培养须严格无菌操作；凝血管须采满刻度；标本标识与医嘱核对无误后送检。",
    .input_count = 1,
    .inputs = inputs,
    .report_kind = REPORT_BLOOD_DRAW_ORDER,
};

const ToolDef& tool_builtin() { return tool; }
