// Wong-Baker FACES pain rating: the face a child or an adult who cannot
// rate with numbers picks for the pain now, scored 0 to 10, and its band.
#include "tool/tool.h"

#include "suite/pain_bands.h"

// Six faces in steps of two points.
static const InputChoice faces[] = {
    {.label = L"0 分：不痛", .value = 0},
    {.label = L"2 分：有点痛", .value = 2},
    {.label = L"4 分：再痛一些", .value = 4},
    {.label = L"6 分：更痛", .value = 6},
    {.label = L"8 分：很痛", .value = 8},
    {.label = L"10 分：最痛", .value = 10},
};

static const InputDef inputs[] = {
    {.key = "faces", .label = L"面部表情", .default_value = 0, .choices = faces, .choice_count = 6},
};

static const OutputDef outputs[] = {
    {.key = "total", .label = L"疼痛评分", .unit = L"分", .formula = "faces", .format = "f0"},
};

static const ToolDef tool = {
    .id = 28,
    .title = L"疼痛评估（Wong-Baker 面部表情）",
    .summary = L"由患者选出最符合当前疼痛的面部表情（0–10 分），适用于儿童及数字表达困难者",
    .category = L"护理",
    .basis = L"Wong 与 Baker，Pediatr Nurs 1988（面部表情 0、2、4、6、8、10 分）；分级同《癌症疼痛诊疗规范（2018 年版）》NRS 分级",
    .caution = L"适用于 3 岁以上儿童及难以用数字表达的成人；由患者本人选择表情；不能自述者改用 FLACC 或 CPOT；分级界值各医院可按本院标准设定。",
    .input_count = 1,
    .inputs = inputs,
    .output_count = 1,
    .outputs = outputs,
    .rule_count = pain_band_count,
    .rules = pain_bands,
    .report_kind = REPORT_NONE,
    .headline = "total",
    .assessment = true,
};

const ToolDef& tool_builtin() { return tool; }
