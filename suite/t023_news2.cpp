// National Early Warning Score 2: each vital sign scored by its band, the
// aggregate score and the clinical response it calls for (SpO2 scale 1).
#include "tool/tool.h"

#include "suite/vital_limits.h"

static const InputChoice oxygen[] = {
    {.label = L"0 分：吸空气", .value = 0},
    {.label = L"2 分：吸氧", .value = 2},
};
static const InputChoice conscious[] = {
    {.label = L"0 分：清醒（A）", .value = 0},
    {.label = L"3 分：新发意识模糊或仅对声音、疼痛有反应或无反应（CVPU）", .value = 3},
};

// The vital signs start empty: one not measured is never scored as a normal
// one. Their defaults, ordinary adult values each in its 0-point band, serve
// the self-test. The limits are the early-warning scores' own
// (suite/vital_limits.h); each reading as the chart records it: whole
// numbers, a temperature to one decimal.
static const InputDef inputs[] = {
    {.key = "rr", .label = L"呼吸频率", .unit = L"次/分", .default_value = 16, .min = vital_rr_min, .max = vital_rr_max, .decimals = 0, .starts_empty = true},
    {.key = "spo2", .label = L"血氧饱和度", .unit = L"%", .default_value = 97, .min = vital_spo2_min, .max = vital_spo2_max, .decimals = 0, .starts_empty = true},
    {.key = "oxygen", .label = L"给氧", .default_value = 0, .choices = oxygen, .choice_count = 2},
    {.key = "sbp", .label = L"收缩压", .unit = L"mmHg", .default_value = 120, .min = vital_sbp_min, .max = vital_sbp_max, .decimals = 0, .starts_empty = true},
    {.key = "pulse", .label = L"心率", .unit = L"次/分", .default_value = 75, .min = vital_pulse_min, .max = vital_pulse_max, .decimals = 0, .starts_empty = true},
    {.key = "conscious", .label = L"意识", .default_value = 0, .choices = conscious, .choice_count = 2},
    {.key = "temp", .label = L"体温", .unit = L"℃", .default_value = 36.8, .min = vital_temp_min, .max = vital_temp_max, .decimals = 1, .starts_empty = true},
};

// A value scores in the first band whose upper limit it does not exceed, as
// the chart's bands read (RR 9–11 is "<= 11").
static const OutputDef outputs[] = {
    {.key = "rr_score", .label = L"呼吸频率评分", .unit = L"分",
     .formula = "rr <= 8 ? 3 : rr <= 11 ? 1 : rr <= 20 ? 0 : rr <= 24 ? 2 : 3", .format = "f0"},
    {.key = "spo2_score", .label = L"血氧饱和度评分", .unit = L"分",
     .formula = "spo2 <= 91 ? 3 : spo2 <= 93 ? 2 : spo2 <= 95 ? 1 : 0", .format = "f0"},
    {.key = "oxygen_score", .label = L"给氧评分", .unit = L"分", .formula = "oxygen", .format = "f0"},
    {.key = "sbp_score", .label = L"收缩压评分", .unit = L"分",
     .formula = "sbp <= 90 ? 3 : sbp <= 100 ? 2 : sbp <= 110 ? 1 : sbp <= 219 ? 0 : 3", .format = "f0"},
    {.key = "pulse_score", .label = L"心率评分", .unit = L"分",
     .formula = "pulse <= 40 ? 3 : pulse <= 50 ? 1 : pulse <= 90 ? 0 : pulse <= 110 ? 1 : pulse <= 130 ? 2 : 3",
     .format = "f0"},
    {.key = "conscious_score", .label = L"意识评分", .unit = L"分", .formula = "conscious", .format = "f0"},
    {.key = "temp_score", .label = L"体温评分", .unit = L"分",
     .formula = "temp <= 35.0 ? 3 : temp <= 36.0 ? 1 : temp <= 38.0 ? 0 : temp <= 39.0 ? 1 : 2", .format = "f0"},
    {.key = "total", .label = L"总分", .unit = L"分",
     .formula = "rr_score + spo2_score + oxygen_score + sbp_score + pulse_score + conscious_score + temp_score",
     .format = "f0"},
};

// The aggregate, and a single red score (3) below 5: the chart's
// low–medium band, which asks for an urgent ward-based response.
static const RuleDef rules[] = {
    {.condition = "total >= 7", .level = 3, .message = L"高风险（≥7 分）：立即通知医师紧急评估，持续监测生命体征", .reassess_hours = REASSESS_CONTINUOUS},
    {.condition = "total >= 5", .level = 3, .message = L"中风险（5–6 分）：立即通知医师床旁评估，至少每小时监测", .reassess_hours = 1},
    {.condition = "rr_score == 3 || spo2_score == 3 || sbp_score == 3 || pulse_score == 3 || conscious_score == 3"
                  " || temp_score == 3",
     .level = 3, .message = L"单项 3 分（低–中风险）：立即通知医师床旁评估，至少每小时监测", .reassess_hours = 1},
    {.condition = "total >= 1", .level = 1, .message = L"低风险（1–4 分）：通知责任护士评估，每 4–6 小时监测", .reassess_hours = 4},
    {.condition = "", .level = 0, .message = L"0 分：常规监测，至少每 12 小时 1 次", .reassess_hours = 12},
};

static const ToolDef tool = {
    .id = 23,
    .title = L"早期预警评分（NEWS2）",
    .summary = L"按呼吸、血氧、给氧、血压、心率、意识与体温计算 NEWS2 评分，提示临床响应级别",
    .category = L"重症医学",
    .basis = L"英国皇家内科医师学会（RCP）NEWS2，2017；血氧饱和度按量表 1（SpO₂ scale 1）评分",
    .caution = L"本工具仅用 SpO₂ 量表 1，高碳酸血症性呼吸衰竭（目标 88%–92%）者须按量表 2 另行评分；"
               L"不适用于 16 岁以下儿童及孕妇；响应界值各医院可按本院标准设定。",
    .input_count = 7,
    .inputs = inputs,
    .output_count = 8,
    .outputs = outputs,
    .rule_count = 5,
    .rules = rules,
    .report_kind = REPORT_NONE,
    .headline = "total",
    .assessment = true,
    .reassess_events = L"病情变化时随时复评",
};

const ToolDef& tool_builtin() { return tool; }
