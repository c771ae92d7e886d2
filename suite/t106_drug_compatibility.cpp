// Drug compatibility: may two drugs share one infusion bag?
#include "tool/tool.h"

static const InputDef inputs[] = {
    {.key = "drugA", .label = L"药物甲编号", .unit = L"1-10", .default_value = 1},
    {.key = "drugB", .label = L"药物乙编号", .unit = L"1-10", .default_value = 2},
};

static const ToolDef tool = {
    .id = 106,
    .title = L"两药配伍速查",
    .summary = L"输入两种药物的编号（见结果中的编号表），查同瓶输注的配伍禁忌",
    .category = L"临床药学",
    .basis = L"注射剂配伍禁忌表与药品说明书",
    .caution = L"仅收录常见组合；未收录不等于可以配伍，须查本院配伍表，现配现用并注意冲管。",
    .input_count = 2,
    .inputs = inputs,
    .report_kind = REPORT_DRUG_COMPATIBILITY,
};

const ToolDef& tool_builtin() { return tool; }
