// Critical-Care Pain Observation Tool: four behaviours of a critically ill
// adult who cannot report pain, summed 0 to 8, and whether they show pain.
#include "tool/tool.h"

static const InputChoice face[] = {
    {.label = L"0 分：放松、自然", .value = 0},
    {.label = L"1 分：紧张（皱眉、眉毛下垂、眼眶紧缩）", .value = 1},
    {.label = L"2 分：面部扭曲（以上表情加双眼紧闭）", .value = 2},
};
static const InputChoice body[] = {
    {.label = L"0 分：无活动或体位正常", .value = 0},
    {.label = L"1 分：防卫（动作缓慢谨慎，触摸或揉搓痛处）", .value = 1},
    {.label = L"2 分：躁动（拉扯导管、试图坐起或下床、肢体乱动、攻击他人）", .value = 2},
};
static const InputChoice muscle[] = {
    {.label = L"0 分：放松，上肢被动屈伸无抵抗", .value = 0},
    {.label = L"1 分：紧张、僵硬，被动屈伸有抵抗", .value = 1},
    {.label = L"2 分：非常紧张或僵硬，无法完成被动屈伸", .value = 2},
};
// One item for both kinds of patient: an intubated one is scored on the
// ventilator, one not intubated on the voice; each option names both.
static const InputChoice ventilation[] = {
    {.label = L"0 分：耐受呼吸机或活动；或说话音调正常、不出声", .value = 0},
    {.label = L"1 分：咳嗽但可耐受；或叹气、呻吟", .value = 1},
    {.label = L"2 分：人机对抗；或喊叫、啜泣", .value = 2},
};

static const InputDef inputs[] = {
    {.key = "face", .label = L"面部表情", .default_value = 0, .choices = face, .choice_count = 3},
    {.key = "body", .label = L"身体活动", .default_value = 0, .choices = body, .choice_count = 3},
    {.key = "muscle", .label = L"肌肉紧张", .default_value = 0, .choices = muscle, .choice_count = 3},
    {.key = "ventilation", .label = L"呼吸机顺应性或发声", .default_value = 0, .choices = ventilation, .choice_count = 3},
};

static const OutputDef outputs[] = {
    {.key = "total", .label = L"总分", .unit = L"分", .formula = "face + body + muscle + ventilation", .format = "f0"},
};

// Above 2 points shows pain (Gélinas 2009).
static const RuleDef rules[] = {
    {.condition = "total >= 3", .level = 2, .message = L"提示疼痛（≥3 分）：报告医师，镇痛后复评"},
    {.condition = "", .level = 0, .message = L"无明显疼痛（0–2 分）：按时复评"},
};

static const ToolDef tool = {
    .id = 30,
    .title = L"重症患者疼痛观察（CPOT）",
    .summary = L"按面部表情、身体活动、肌肉紧张及呼吸机顺应性或发声评估不能自述的重症患者疼痛",
    .category = L"重症医学",
    .basis = L"Gélinas 等，Am J Crit Care 2006（CPOT，0–8 分）；>2 分提示疼痛（Gélinas 等，J Pain Symptom Manage 2009）；《中国成人 ICU 镇痛和镇静治疗指南》（2018）推荐",
    .caution = L"用于不能自述疼痛的成人重症患者：插管者评呼吸机顺应性，未插管者评发声；能自述者用 NRS；深度镇静时结果须结合临床判断。",
    .input_count = 4,
    .inputs = inputs,
    .output_count = 1,
    .outputs = outputs,
    .rule_count = 2,
    .rules = rules,
    .report_kind = REPORT_NONE,
    .headline = "total",
    .assessment = true,
};

const ToolDef& tool_builtin() { return tool; }
