// Brighton Paediatric Early Warning Score: behaviour, circulation and
// breathing of a child in hospital, with two extra factors, summed 0 to 13,
// and the response it calls for.
#include "tool/tool.h"

static const InputChoice behaviour[] = {
    {.label = L"0 分：玩耍或反应正常", .value = 0},
    {.label = L"1 分：睡眠", .value = 1},
    {.label = L"2 分：烦躁、易激惹", .value = 2},
    {.label = L"3 分：昏睡、意识模糊或对疼痛反应减弱", .value = 3},
};
static const InputChoice cardiovascular[] = {
    {.label = L"0 分：肤色红润或毛细血管再充盈 1–2 秒", .value = 0},
    {.label = L"1 分：肤色苍白或毛细血管再充盈 3 秒", .value = 1},
    {.label = L"2 分：肤色发灰或再充盈 4 秒，或心率高于正常 20 次/分", .value = 2},
    {.label = L"3 分：发灰伴花斑或再充盈 ≥5 秒，或心率高于正常 30 次/分或心动过缓", .value = 3},
};
static const InputChoice respiratory[] = {
    {.label = L"0 分：呼吸在正常范围，无三凹征或气管牵曳", .value = 0},
    {.label = L"1 分：高于正常 10 次/分以上，用辅助呼吸肌，或 FiO₂ ≥30%、氧流量 ≥4 L/min", .value = 1},
    {.label = L"2 分：高于正常 20 次/分以上，三凹征、气管牵曳，或 FiO₂ ≥40%、≥6 L/min", .value = 2},
    {.label = L"3 分：低于正常 5 次/分以上伴胸骨凹陷、气管牵曳或呻吟，或 FiO₂ ≥50%、≥8 L/min", .value = 3},
};

// The three observations take one level each; nebulisers every quarter
// hour and vomiting after surgery add 2 points each when present.
static const InputDef inputs[] = {
    {.key = "behaviour", .label = L"行为", .default_value = 0, .choices = behaviour, .choice_count = 4},
    {.key = "cardiovascular", .label = L"心血管", .default_value = 0, .choices = cardiovascular, .choice_count = 4},
    {.key = "respiratory", .label = L"呼吸", .default_value = 0, .choices = respiratory, .choice_count = 4},
    {.key = "nebulisers", .label = L"每 15 分钟需雾化吸入", .box = true, .points = 2},
    {.key = "vomiting", .label = L"术后持续呕吐", .box = true, .points = 2},
};

static const OutputDef outputs[] = {
    {.key = "total", .label = L"总分", .unit = L"分",
     .formula = "behaviour + cardiovascular + respiratory + nebulisers + vomiting", .format = "f0"},
};

// A 3 in any one observation calls as urgently as a total of 5. A rise of 2
// since the last score calls for review too, but one assessment knows no
// earlier score: the caution asks the nurse to compare with the record.
static const RuleDef rules[] = {
    {.condition = "total >= 5 || behaviour == 3 || cardiovascular == 3 || respiratory == 3", .level = 3,
     .message = L"PEWS ≥5 分或单项 3 分：立即通知医师床旁评估"},
    {.condition = "total >= 4", .level = 2, .message = L"PEWS 4 分：通知医师评估，增加观察频次"},
    {.condition = "total >= 3", .level = 1, .message = L"PEWS 3 分：报告高年资护士，加强观察"},
    {.condition = "", .level = 0, .message = L"PEWS 0–2 分：常规观察"},
};

static const ToolDef tool = {
    .id = 35,
    .title = L"儿童早期预警评分（Brighton PEWS）",
    .summary = L"按行为、心血管、呼吸及雾化、术后呕吐评估住院患儿病情恶化风险",
    .category = L"儿科",
    .basis = L"Monaghan，Paediatr Nurs 2005（Brighton PEWS，0–13 分）；响应：3 分加强观察，4 分通知医师，≥5 分或单项 3 分立即呼叫",
    .caution = L"心率、呼吸频率的“正常”按患儿年龄参考范围判断；单项 3 分即须立即呼叫医师；较上次评分升高 2 分亦须报告评估，本工具单次评估无法计算，须与上次记录对照；响应界值各医院可按本院标准设定。",
    .input_count = 5,
    .inputs = inputs,
    .output_count = 1,
    .outputs = outputs,
    .rule_count = 4,
    .rules = rules,
    .report_kind = REPORT_NONE,
    .headline = "total",
    .assessment = true,
};

const ToolDef& tool_builtin() { return tool; }
