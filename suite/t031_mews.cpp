// Modified Early Warning Score: blood pressure, pulse, breathing,
// temperature and consciousness each scored by its band, the sum and the
// response it calls for.
#include "tool/tool.h"

#include "suite/vital_limits.h"

static const InputChoice conscious[] = {
    {.label = L"0 分：清醒（A）", .value = 0},
    {.label = L"1 分：对声音有反应（V）", .value = 1},
    {.label = L"2 分：对疼痛有反应（P）", .value = 2},
    {.label = L"3 分：无反应（U）", .value = 3},
};

// The vital signs start empty: one not measured is never scored as a normal
// one. Their defaults, ordinary adult values each in its 0-point band,
// serve the self-test; breathing defaults to 14, since 15–20 already scores
// 1 here. The limits are the early-warning scores' own
// (suite/vital_limits.h); each reading as the chart records it: whole
// numbers, a temperature to one decimal.
static const InputDef inputs[] = {
    {.key = "sbp", .label = L"收缩压", .unit = L"mmHg", .default_value = 120, .min = vital_sbp_min, .max = vital_sbp_max, .decimals = 0, .starts_empty = true},
    {.key = "pulse", .label = L"心率", .unit = L"次/分", .default_value = 75, .min = vital_pulse_min, .max = vital_pulse_max, .decimals = 0, .starts_empty = true},
    {.key = "rr", .label = L"呼吸频率", .unit = L"次/分", .default_value = 14, .min = vital_rr_min, .max = vital_rr_max, .decimals = 0, .starts_empty = true},
    {.key = "temp", .label = L"体温", .unit = L"℃", .default_value = 36.8, .min = vital_temp_min, .max = vital_temp_max, .decimals = 1, .starts_empty = true},
    {.key = "conscious", .label = L"意识（AVPU）", .default_value = 0, .choices = conscious, .choice_count = 4},
};

// Subbe's bands. Where his table leaves a whole number out (SBP 70, pulse
// 40) it scores with the band below, as the Chinese tables print it.
static const OutputDef outputs[] = {
    {.key = "sbp_score", .label = L"收缩压评分", .unit = L"分",
     .formula = "sbp <= 70 ? 3 : sbp <= 80 ? 2 : sbp <= 100 ? 1 : sbp <= 199 ? 0 : 2", .format = "f0"},
    {.key = "pulse_score", .label = L"心率评分", .unit = L"分",
     .formula = "pulse <= 40 ? 2 : pulse <= 50 ? 1 : pulse <= 100 ? 0 : pulse <= 110 ? 1 : pulse <= 129 ? 2 : 3",
     .format = "f0"},
    {.key = "rr_score", .label = L"呼吸频率评分", .unit = L"分",
     .formula = "rr <= 8 ? 2 : rr <= 14 ? 0 : rr <= 20 ? 1 : rr <= 29 ? 2 : 3", .format = "f0"},
    {.key = "temp_score", .label = L"体温评分", .unit = L"分", .formula = "temp < 35 ? 2 : temp <= 38.4 ? 0 : 2",
     .format = "f0"},
    {.key = "conscious_score", .label = L"意识评分", .unit = L"分", .formula = "conscious", .format = "f0"},
    {.key = "total", .label = L"总分", .unit = L"分",
     .formula = "sbp_score + pulse_score + rr_score + temp_score + conscious_score", .format = "f0"},
};

// The single-3 rule is this program's own, not Subbe's: without it SBP 65,
// pulse 135, 32 breaths or no response, with all else normal, totals 3 and
// would read as routine. NEWS2 escalates a single red score the same way.
static const RuleDef rules[] = {
    {.condition = "total >= 9", .level = 3, .message = L"MEWS ≥9 分：死亡风险高，立即通知医师抢救"},
    {.condition = "total >= 5", .level = 3, .message = L"MEWS 5–8 分：潜在危重，立即通知医师床旁评估"},
    {.condition = "sbp_score == 3 || pulse_score == 3 || rr_score == 3 || conscious_score == 3", .level = 3,
     .message = L"单项 3 分：立即通知医师床旁评估"},
    {.condition = "total >= 4", .level = 1, .message = L"MEWS 4 分：加强观察，增加监测频次"},
    {.condition = "", .level = 0, .message = L"MEWS 0–3 分：常规监测"},
};

static const ToolDef tool = {
    .id = 31,
    .title = L"改良早期预警评分（MEWS）",
    .summary = L"按收缩压、心率、呼吸、体温与意识计算改良早期预警评分，提示响应级别",
    .category = L"重症医学",
    .basis = L"Subbe 等，QJM 2001（MEWS，≥5 分病情恶化风险增加）；响应分级按国内病房常用：0–3 常规，4 加强观察，5–8 通知医师，≥9 立即抢救",
    .caution = L"适用于成人住院患者；单项 3 分立即通知医师为本工具附加的安全规则；响应界值各医院可按本院标准设定。",
    .input_count = 5,
    .inputs = inputs,
    .output_count = 6,
    .outputs = outputs,
    .rule_count = 5,
    .rules = rules,
    .report_kind = REPORT_NONE,
    .headline = "total",
    .assessment = true,
};

const ToolDef& tool_builtin() { return tool; }
