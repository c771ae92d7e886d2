// NIH Stroke Scale (NINDS, 15 items): the neurological deficit of a stroke
// patient, summed 0 to 42, and its severity band.
#include "tool/tool.h"

// An item that cannot be tested (an amputated or fused limb, an intubated
// patient's speech) is recorded as UN, which the form codes 9: the record
// keeps 9, so an untested limb is never saved as a normal one, and the
// total counts it 0. UN is no score, so its option says no "分".

static const InputChoice loc[] = {
    {.label = L"0 分：清醒，反应灵敏", .value = 0},
    {.label = L"1 分：嗜睡，轻微刺激可唤醒", .value = 1},
    {.label = L"2 分：昏睡，需反复或强烈刺激才有反应", .value = 2},
    {.label = L"3 分：昏迷，仅有反射性反应或无反应", .value = 3},
};
static const InputChoice loc_questions[] = {
    {.label = L"0 分：两题均正确（月份、年龄）", .value = 0},
    {.label = L"1 分：一题正确", .value = 1},
    {.label = L"2 分：两题均不正确", .value = 2},
};
static const InputChoice loc_commands[] = {
    {.label = L"0 分：两项均正确完成（睁闭眼、握拳松拳）", .value = 0},
    {.label = L"1 分：一项正确完成", .value = 1},
    {.label = L"2 分：两项均不能完成", .value = 2},
};
static const InputChoice gaze[] = {
    {.label = L"0 分：正常", .value = 0},
    {.label = L"1 分：部分凝视麻痹", .value = 1},
    {.label = L"2 分：强迫凝视或完全凝视麻痹", .value = 2},
};
static const InputChoice visual[] = {
    {.label = L"0 分：无视野缺损", .value = 0},
    {.label = L"1 分：部分偏盲", .value = 1},
    {.label = L"2 分：完全偏盲", .value = 2},
    {.label = L"3 分：双侧偏盲（含皮质盲）", .value = 3},
};
static const InputChoice facial[] = {
    {.label = L"0 分：正常", .value = 0},
    {.label = L"1 分：轻微（鼻唇沟变平、微笑不对称）", .value = 1},
    {.label = L"2 分：部分（下面部完全或几乎完全瘫痪）", .value = 2},
    {.label = L"3 分：完全（单侧或双侧上下面部瘫痪）", .value = 3},
};
// An arm is held for 10 seconds, a leg for 5; each side is scored alike.
static const InputChoice arm[] = {
    {.label = L"0 分：无下落，维持 10 秒", .value = 0},
    {.label = L"1 分：10 秒内下落，未碰床面", .value = 1},
    {.label = L"2 分：能部分抵抗重力，10 秒内落到床面", .value = 2},
    {.label = L"3 分：不能抵抗重力，立即落下", .value = 3},
    {.label = L"4 分：无运动", .value = 4},
    {.label = L"UN：截肢或关节融合，无法检查", .value = 9},
};
static const InputChoice leg[] = {
    {.label = L"0 分：无下落，维持 5 秒", .value = 0},
    {.label = L"1 分：5 秒内下落，未碰床面", .value = 1},
    {.label = L"2 分：能部分抵抗重力，5 秒内落到床面", .value = 2},
    {.label = L"3 分：不能抵抗重力，立即落下", .value = 3},
    {.label = L"4 分：无运动", .value = 4},
    {.label = L"UN：截肢或关节融合，无法检查", .value = 9},
};
static const InputChoice ataxia[] = {
    {.label = L"0 分：无", .value = 0},
    {.label = L"1 分：一个肢体有", .value = 1},
    {.label = L"2 分：两个肢体有", .value = 2},
    {.label = L"UN：截肢或关节融合，无法检查", .value = 9},
};
static const InputChoice sensory[] = {
    {.label = L"0 分：正常", .value = 0},
    {.label = L"1 分：轻至中度感觉减退", .value = 1},
    {.label = L"2 分：重度至完全感觉缺失", .value = 2},
};
static const InputChoice language[] = {
    {.label = L"0 分：正常，无失语", .value = 0},
    {.label = L"1 分：轻至中度失语", .value = 1},
    {.label = L"2 分：重度失语", .value = 2},
    {.label = L"3 分：完全失语或缄默（含昏迷）", .value = 3},
};
static const InputChoice dysarthria[] = {
    {.label = L"0 分：正常", .value = 0},
    {.label = L"1 分：轻至中度，能被理解", .value = 1},
    {.label = L"2 分：重度，言语无法理解或缄默", .value = 2},
    {.label = L"UN：气管插管或其他物理障碍，无法检查", .value = 9},
};
static const InputChoice neglect[] = {
    {.label = L"0 分：无", .value = 0},
    {.label = L"1 分：一种感觉模式忽视或消退", .value = 1},
    {.label = L"2 分：严重偏身忽视或多种感觉模式忽视", .value = 2},
};

// Labelled with the form's item numbers, which examiners use.
static const InputDef inputs[] = {
    {.key = "loc", .label = L"1a 意识水平", .default_value = 0, .choices = loc, .choice_count = 4},
    {.key = "loc_questions", .label = L"1b 意识水平提问", .default_value = 0, .choices = loc_questions, .choice_count = 3},
    {.key = "loc_commands", .label = L"1c 意识水平指令", .default_value = 0, .choices = loc_commands, .choice_count = 3},
    {.key = "gaze", .label = L"2 凝视", .default_value = 0, .choices = gaze, .choice_count = 3},
    {.key = "visual", .label = L"3 视野", .default_value = 0, .choices = visual, .choice_count = 4},
    {.key = "facial", .label = L"4 面瘫", .default_value = 0, .choices = facial, .choice_count = 4},
    {.key = "arm_left", .label = L"5a 左上肢运动", .default_value = 0, .choices = arm, .choice_count = 6},
    {.key = "arm_right", .label = L"5b 右上肢运动", .default_value = 0, .choices = arm, .choice_count = 6},
    {.key = "leg_left", .label = L"6a 左下肢运动", .default_value = 0, .choices = leg, .choice_count = 6},
    {.key = "leg_right", .label = L"6b 右下肢运动", .default_value = 0, .choices = leg, .choice_count = 6},
    {.key = "ataxia", .label = L"7 肢体共济失调", .default_value = 0, .choices = ataxia, .choice_count = 4},
    {.key = "sensory", .label = L"8 感觉", .default_value = 0, .choices = sensory, .choice_count = 3},
    {.key = "language", .label = L"9 语言", .default_value = 0, .choices = language, .choice_count = 4},
    {.key = "dysarthria", .label = L"10 构音障碍", .default_value = 0, .choices = dysarthria, .choice_count = 4},
    {.key = "neglect", .label = L"11 忽视", .default_value = 0, .choices = neglect, .choice_count = 3},
};

static const OutputDef outputs[] = {
    {.key = "total", .label = L"总分", .unit = L"分",
     .formula = "loc + loc_questions + loc_commands + gaze + visual + facial"
                " + (arm_left == 9 ? 0 : arm_left) + (arm_right == 9 ? 0 : arm_right)"
                " + (leg_left == 9 ? 0 : leg_left) + (leg_right == 9 ? 0 : leg_right)"
                " + (ataxia == 9 ? 0 : ataxia) + sensory + language + (dysarthria == 9 ? 0 : dysarthria) + neglect",
     .format = "f0"},
};

static const RuleDef rules[] = {
    {.condition = "total >= 21", .level = 3, .message = L"重度卒中（21–42 分）：立即报告医师"},
    {.condition = "total >= 16", .level = 3, .message = L"中重度卒中（16–20 分）：立即报告医师"},
    {.condition = "total >= 5", .level = 2, .message = L"中度卒中（5–15 分）：报告医师，密切观察"},
    {.condition = "total >= 1", .level = 1, .message = L"轻型卒中（1–4 分）：动态评估神经功能"},
    {.condition = "", .level = 0, .message = L"0 分：未见神经功能缺损"},
};

static const ToolDef tool = {
    .id = 40,
    .title = L"美国国立卫生研究院卒中量表（NIHSS）",
    .summary = L"按意识、凝视、视野、面瘫、肢体运动、共济、感觉、语言、构音与忽视 15 项评估卒中神经功能缺损",
    .category = L"神经科",
    .basis = L"Brott 等，Stroke 1989（NIHSS，NINDS 版 15 项，0–42 分）；分级：0，1–4 轻型，5–15 中度，16–20 中重度，21–42 重度",
    .caution = L"须由经培训的人员按 NIHSS 规范检查，记录患者实际所做；截肢、关节融合（肢体）或气管插管（构音）无法检查时选“UN”，记为 UN、计 0 分；评分较前升高提示神经功能恶化，须及时报告。",
    .input_count = 15,
    .inputs = inputs,
    .output_count = 1,
    .outputs = outputs,
    .rule_count = 5,
    .rules = rules,
    .report_kind = REPORT_NONE,
    .headline = "total",
    .assessment = true,
};

const ToolDef& tool_builtin() { return tool; }
