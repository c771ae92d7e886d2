// Drug compatibility: may two drugs share one infusion bag?
#include "reports/reports.h"
#include "tool/tool.h"

// The report's own numbering, so the list's numbers match the report's. The
// labels stay those of the typed numbers: a record file's header names them.
#define DRUG_CHOICE(number, name) {L"" #number " " name, number},
static const InputChoice drugs[] = {REPORT_DRUGS(DRUG_CHOICE)};
#undef DRUG_CHOICE

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
