// Critical values: the laboratory limits of one group and how to report them.
#include "tool/tool.h"

// A group not listed is in the hospital's own list: "其他" reads 0.
static const InputChoice groups[] = {
    {L"1 电解质", 1}, {L"2 血糖血气", 2}, {L"3 血常规", 3},        {L"4 凝血", 4},
    {L"5 微生物", 5}, {L"6 心肌/胰腺", 6}, {L"其他（查本院目录）", 0},
};

static const InputDef inputs[] = {
    {.key = "kind", .label = L"项目组", .default_value = 1, .choices = groups, .choice_count = 7},
};

static const ToolDef tool = {
    .id = 104,
    .title = L"检验危急值速查",
    .summary = L"项目组：1电解质 2血糖血气 3血常规 4凝血 5微生物 6心肌/胰腺",
    .category = L"检验",
    .basis = L"患者安全目标：危急值报告制度",
    .caution = L"界值仅供参考，以本院检验科发布的危急值目录为准。",
    .input_count = 1,
    .inputs = inputs,
    .report_kind = REPORT_CRITICAL_VALUES,
};

const ToolDef& tool_builtin() { return tool; }
