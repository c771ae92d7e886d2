// Richmond Agitation-Sedation Scale and the Confusion Assessment Method for
// the ICU: how sedated or agitated the patient is, and whether delirium is
// present.
#include "tool/tool.h"

// From combative (+4) to unrousable (-5), signed as the scale writes them.
static const InputChoice rass[] = {
    {.label = L"+4 分：有攻击性，暴力行为，危及医护人员", .value = 4},
    {.label = L"+3 分：非常躁动，拉扯或拔除导管", .value = 3},
    {.label = L"+2 分：躁动，频繁无目的动作或人机对抗", .value = 2},
    {.label = L"+1 分：不安，焦虑但动作无攻击性", .value = 1},
    {.label = L"0 分：清醒且平静", .value = 0},
    {.label = L"-1 分：嗜睡，声音唤醒后睁眼注视 ≥10 秒", .value = -1},
    {.label = L"-2 分：轻度镇静，声音唤醒后短暂注视 <10 秒", .value = -2},
    {.label = L"-3 分：中度镇静，声音刺激有动作或睁眼，无注视", .value = -3},
    {.label = L"-4 分：深度镇静，对声音无反应，身体刺激有动作或睁眼", .value = -4},
    {.label = L"-5 分：不可唤醒，对声音和身体刺激均无反应", .value = -5},
};
// A feature that could not be tested (a patient who cannot take part) is
// recorded as not assessed, a value of its own, never as "否". It is no
// score, so its option says no "分".
static const InputChoice feature[] = {
    {.label = L"0 分：否（阴性）", .value = 0},
    {.label = L"1 分：是（阳性）", .value = 1},
    {.label = L"未评估", .value = 9},
};

// The features are lists rather than boxes: a list starts with nothing
// chosen and must be answered, so a CAM-ICU not done never reads as
// negative, as an unchecked box would. At RASS -4 and -5 they cannot be
// tested (PADIS 2018): not asked, they are recorded as not assessed.
// Feature 3, an altered level of
// consciousness, is RASS other than 0 by definition, so it is not asked
// (a separate answer could only contradict RASS).
static const InputDef inputs[] = {
    {.key = "rass", .label = L"RASS 评分", .default_value = 0, .choices = rass, .choice_count = 10},
    {.key = "acute_change", .label = L"特征 1：意识状态急性改变或 24 小时内波动", .default_value = 0, .choices = feature, .choice_count = 3,
     .asked_when = "rass >= -3", .unasked_value = 9},
    {.key = "inattention", .label = L"特征 2：注意力障碍（字母试验错误 >2 个）", .default_value = 0, .choices = feature, .choice_count = 3,
     .asked_when = "rass >= -3", .unasked_value = 9},
    {.key = "disorganized", .label = L"特征 4：思维紊乱（问题与指令错误 >1 个）", .default_value = 0, .choices = feature, .choice_count = 3,
     .asked_when = "rass >= -3", .unasked_value = 9},
};

static const OutputDef outputs[] = {
    {.key = "total", .label = L"RASS 评分", .unit = L"分", .formula = "rass", .format = "f0"},
};

// Delirium: features 1 and 2, and 3 or 4. At RASS -4 and -5 the features
// are not asked. Otherwise a verdict is drawn only
// from the features it rests on: negative once feature 1 or 2 is absent, or
// at RASS 0 with feature 4 absent; a feature not assessed that either
// verdict would need leaves the CAM-ICU not done, which severe agitation
// outranks.
static const RuleDef rules[] = {
    {.condition = "rass <= -4", .level = 2, .message = L"深度镇静或昏迷（RASS ≤-4）：此镇静深度无法评估谵妄，每班复评", .reassess_hours = 8},
    {.condition = "acute_change == 1 && inattention == 1 && (rass != 0 || disorganized == 1)", .level = 3,
     .message = L"CAM-ICU 阳性：存在谵妄，立即报告医师", .reassess_hours = 8},
    {.condition = "rass >= 3", .level = 3, .message = L"重度躁动（RASS ≥+3）：立即报告医师，防意外拔管", .reassess_hours = 8},
    {.condition = "acute_change != 0 && inattention != 0 && (rass != 0 || disorganized != 0)", .level = 2,
     .message = L"CAM-ICU 未完成：请评估特征 1、2 及 3 或 4", .reassess_hours = 8},
    {.condition = "rass != 0", .level = 1, .message = L"CAM-ICU 阴性；RASS 非 0，按镇静目标复评", .reassess_hours = 8},
    {.condition = "", .level = 0, .message = L"CAM-ICU 阴性，RASS 0：清醒平静", .reassess_hours = 8},
};

static const ToolDef tool = {
    .id = 33,
    .title = L"镇静与谵妄评估（RASS/CAM-ICU）",
    .summary = L"评估 ICU 患者镇静–躁动程度（RASS），并按 CAM-ICU 筛查谵妄",
    .category = L"重症医学",
    .basis = L"Sessler 等，Am J Respir Crit Care Med 2002（RASS）；Ely 等，JAMA 2001（CAM-ICU：特征 1 和 2，加 3 或 4 为阳性）；《中国成人 ICU 镇痛和镇静治疗指南》（2018）",
    .caution = L"特征 3（意识水平改变）按 RASS 非 0 自动判定；RASS -4、-5 不能评估谵妄，特征自动记为“未评估”，每班复评；其他未能检查的特征选“未评估”，结论有赖于该特征时不判定阴性或阳性；须经培训后按 CAM-ICU 流程逐项检查。",
    .input_count = 4,
    .inputs = inputs,
    .output_count = 1,
    .outputs = outputs,
    .rule_count = 6,
    .rules = rules,
    .report_kind = REPORT_NONE,
    .headline = "total",
    .assessment = true,
    .reassess_events = L"病情变化或镇静药物调整时随时复评",
};

const ToolDef& tool_builtin() { return tool; }
