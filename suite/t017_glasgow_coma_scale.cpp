// Glasgow Coma Scale: the sum of the eye, verbal and motor scores and the
// level of consciousness it shows.
#include "tool/tool.h"

// Each response is chosen by its description, never typed as a number. A
// tube in the airway leaves the verbal response untestable: "T", no score
// (kept as 9, as an untestable NIHSS item is), never a 1.
static const InputChoice eye[] = {
    {L"4 分：自动睁眼", 4}, {L"3 分：呼唤睁眼", 3}, {L"2 分：刺痛睁眼", 2}, {L"1 分：无睁眼", 1},
};
static const InputChoice verbal[] = {
    {L"5 分：回答正确", 5}, {L"4 分：回答错乱", 4}, {L"3 分：言语不当", 3}, {L"2 分：言语难辨", 2},
    {L"1 分：不能发声", 1}, {L"T：气管插管或切开，不能评估", 9},
};
static const InputChoice motor[] = {
    {L"6 分：遵嘱动作", 6}, {L"5 分：刺痛定位", 5}, {L"4 分：刺痛躲避", 4}, {L"3 分：刺痛屈曲", 3},
    {L"2 分：刺痛伸直", 2}, {L"1 分：无反应", 1},
};

static const InputDef inputs[] = {
    {.key = "eye", .label = L"睁眼反应", .default_value = 4, .choices = eye, .choice_count = 4},
    {.key = "verbal", .label = L"语言反应", .default_value = 5, .choices = verbal, .choice_count = 6},
    {.key = "motor", .label = L"运动反应", .default_value = 6, .choices = motor, .choice_count = 6},
};

static const OutputDef outputs[] = {
    {.key = "gcs", .label = L"GCS 总分", .unit = L"分", .formula = "eye + verbal + motor", .format = "f0"},
};

// With the verbal response untestable there is no total and no band: the
// result is written as E and M with "VT" (no total when a response cannot
// be tested: Teasdale and others, Lancet Neurol 2014), and the motor
// score is what the nurse watches.
static const RuleDef rules[] = {
    {.condition = "verbal == 9", .level = 2, .message = L"语言反应 T（气管插管或切开）：不计总分、不分级，按 E、M 分与 VT 记录",
     .withholds = "gcs", .withheld_reason = L"语言反应不能评估，记为 E{eye} VT M{motor}"},
    {.condition = "gcs <= 8", .level = 3, .message = L"重度意识障碍（≤8 分）：注意气道保护"},
    {.condition = "gcs <= 12", .level = 2, .message = L"中度意识障碍（9–12 分）"},
    {.condition = "gcs <= 14", .level = 1, .message = L"轻度意识障碍（13–14 分）"},
    {.condition = "", .level = 0, .message = L"意识清楚（15 分）"},
};

static const ToolDef tool = {
    .id = 17,
    .title = L"格拉斯哥昏迷评分",
    .summary = L"按睁眼、语言、运动三项最佳反应计算格拉斯哥昏迷评分",
    .category = L"神经科",
    .basis = L"Teasdale 与 Jennett，Lancet 1974（运动项 6 级见其 1976 年修订）",
    .caution = L"气管插管或切开者语言项选 T，记为 E、M 分加 VT，不计总分；失语者语言项无法评定，须注明；镇静后评分偏低。",
    .input_count = 3,
    .inputs = inputs,
    .output_count = 1,
    .outputs = outputs,
    .rule_count = 5,
    .rules = rules,
    .report_kind = REPORT_NONE,
    .headline = "gcs",
    .assessment = true,
};

const ToolDef& tool_builtin() { return tool; }
