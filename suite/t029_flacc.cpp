// FLACC behavioural pain scale: face, legs, activity, cry and
// consolability of a child who cannot say how much it hurts, summed 0 to 10.
#include "tool/tool.h"

static const InputChoice face[] = {
    {.label = L"0 分：无特殊表情或微笑", .value = 0},
    {.label = L"1 分：偶尔皱眉、面部扭曲、淡漠或退缩", .value = 1},
    {.label = L"2 分：经常或持续皱眉、下颌颤抖、紧咬牙关", .value = 2},
};
static const InputChoice legs[] = {
    {.label = L"0 分：放松或保持平常姿势", .value = 0},
    {.label = L"1 分：不安、紧张、维持不舒服的姿势", .value = 1},
    {.label = L"2 分：踢腿或腿部蜷缩", .value = 2},
};
static const InputChoice activity[] = {
    {.label = L"0 分：安静躺着、体位正常、活动自如", .value = 0},
    {.label = L"1 分：扭动、翻来覆去、紧张", .value = 1},
    {.label = L"2 分：身体弓起、僵硬或抽动", .value = 2},
};
static const InputChoice cry[] = {
    {.label = L"0 分：不哭（清醒或睡眠中）", .value = 0},
    {.label = L"1 分：呻吟或啜泣，偶诉疼痛", .value = 1},
    {.label = L"2 分：持续哭泣、尖叫或抽泣，频诉疼痛", .value = 2},
};
static const InputChoice consolability[] = {
    {.label = L"0 分：满足、放松", .value = 0},
    {.label = L"1 分：偶尔抚摸、拥抱或言语安慰可缓解，可分散注意", .value = 1},
    {.label = L"2 分：难以安慰", .value = 2},
};

// Each default is the item's calm behaviour.
static const InputDef inputs[] = {
    {.key = "face", .label = L"面部表情", .default_value = 0, .choices = face, .choice_count = 3},
    {.key = "legs", .label = L"腿部动作", .default_value = 0, .choices = legs, .choice_count = 3},
    {.key = "activity", .label = L"活动度", .default_value = 0, .choices = activity, .choice_count = 3},
    {.key = "cry", .label = L"哭闹", .default_value = 0, .choices = cry, .choice_count = 3},
    {.key = "consolability", .label = L"可安慰性", .default_value = 0, .choices = consolability, .choice_count = 3},
};

static const OutputDef outputs[] = {
    {.key = "total", .label = L"总分", .unit = L"分", .formula = "face + legs + activity + cry + consolability",
     .format = "f0"},
};

static const RuleDef rules[] = {
    {.condition = "total >= 7", .level = 3, .message = L"重度疼痛或不适（7–10 分）：立即报告医师处理"},
    {.condition = "total >= 4", .level = 2, .message = L"中度疼痛（4–6 分）：报告医师，镇痛后复评"},
    {.condition = "total >= 1", .level = 1, .message = L"轻度不适（1–3 分）：安抚等非药物干预，复评"},
    {.condition = "", .level = 0, .message = L"放松、舒适（0 分）：常规评估"},
};

static const ToolDef tool = {
    .id = 29,
    .title = L"儿童疼痛行为评估（FLACC）",
    .summary = L"按面部、腿部、活动、哭闹、可安慰性五项行为观察评估婴幼儿疼痛",
    .category = L"儿科",
    .basis = L"Merkel 等，Pediatr Nurs 1997（FLACC）；分级：0 放松舒适，1–3 轻度不适，4–6 中度疼痛，7–10 重度疼痛或不适",
    .caution = L"适用于 2 个月–7 岁或不能自述疼痛的患儿；清醒者观察 1–5 分钟，睡眠者观察 5 分钟以上；镇痛后按时复评。",
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
