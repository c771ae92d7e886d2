// Drug compatibility: may two drugs share one infusion bag?
#include "tool/tool.h"

// The report's own numbering, so the list's numbers match the report's. The
// labels stay those of the typed numbers: a record file's header names them.
static const InputChoice drugs[] = {
    {L"1 头孢曲松", 1}, {L"2 葡萄糖酸钙", 2}, {L"3 万古霉素", 3}, {L"4 呋塞米", 4}, {L"5 氨溴索", 5},
    {L"6 奥美拉唑", 6}, {L"7 维生素C", 7},   {L"8 胰岛素", 8},   {L"9 碳酸氢钠", 9}, {L"10 多巴胺", 10},
};

static const InputDef inputs[] = {
    {.key = "drugA", .label = L"药物甲编号", .default_value = 1, .choices = drugs, .choice_count = 10},
    {.key = "drugB", .label = L"药物乙编号", .default_value = 2, .choices = drugs, .choice_count = 10},
};

static const ToolDef tool = {
    .id = 106,
    .title = L"两药配伍速查",
    .summary = L"从列表中选择两种药物，查同瓶输注的配伍禁忌",
    .category = L"临床药学",
    .basis = L"注射剂配伍禁忌表与药品说明书",
    .caution = L"仅收录常见组合；未收录不等于可以配伍，须查本院配伍表，现配现用并注意冲管。",
    .input_count = 2,
    .inputs = inputs,
    .report_kind = REPORT_DRUG_COMPATIBILITY,
};

const ToolDef& tool_builtin() { return tool; }
