// Waterlow score (2005 card, with its malnutrition screening tool): build,
// skin, sex, age, nutrition, continence, mobility and special risks of
// pressure injury, summed, and the risk band; a poor nutrition screen asks
// for a nutrition assessment in every band.
#include "tool/tool.h"

static const InputChoice build[] = {
    {.label = L"0 分：中等（BMI 20–24.9）", .value = 0},
    {.label = L"1 分：超过中等（BMI 25–29.9）", .value = 1},
    {.label = L"2 分：肥胖（BMI ≥30）", .value = 2},
    {.label = L"3 分：低于中等（BMI <20）", .value = 3},
};
static const InputChoice sex[] = {
    {.label = L"1 分：男", .value = 1},
    {.label = L"2 分：女", .value = 2},
};
static const InputChoice age[] = {
    {.label = L"1 分：14–49 岁", .value = 1},
    {.label = L"2 分：50–64 岁", .value = 2},
    {.label = L"3 分：65–74 岁", .value = 3},
    {.label = L"4 分：75–80 岁", .value = 4},
    {.label = L"5 分：≥81 岁", .value = 5},
};
static const InputChoice weight_loss[] = {
    {.label = L"0 分：无", .value = 0},
    {.label = L"1 分：下降 0.5–5 kg", .value = 1},
    {.label = L"2 分：下降 5–10 kg，或不确定是否下降、下降多少", .value = 2},
    {.label = L"3 分：下降 10–15 kg", .value = 3},
    {.label = L"4 分：下降 >15 kg", .value = 4},
};
static const InputChoice continence[] = {
    {.label = L"0 分：完全控制或留置导尿", .value = 0},
    {.label = L"1 分：小便失禁", .value = 1},
    {.label = L"2 分：大便失禁", .value = 2},
    {.label = L"3 分：大小便失禁", .value = 3},
};
static const InputChoice mobility[] = {
    {.label = L"0 分：活动自如", .value = 0},
    {.label = L"1 分：烦躁不安", .value = 1},
    {.label = L"2 分：淡漠", .value = 2},
    {.label = L"3 分：活动受限", .value = 3},
    {.label = L"4 分：卧床（如牵引）", .value = 4},
    {.label = L"5 分：依赖轮椅", .value = 5},
};
// The card caps neurological deficit at 6: one level by severity cannot
// exceed it.
static const InputChoice neuro[] = {
    {.label = L"0 分：无", .value = 0},
    {.label = L"4 分：轻度", .value = 4},
    {.label = L"5 分：中度", .value = 5},
    {.label = L"6 分：重度（如截瘫）", .value = 6},
};
// The card counts one organ failure, the worse: multi-organ failure replaces
// a single organ's.
static const InputChoice organ_failure[] = {
    {.label = L"0 分：无", .value = 0},
    {.label = L"5 分：单器官衰竭（呼吸、肾、心）", .value = 5},
    {.label = L"8 分：多器官衰竭", .value = 8},
};
// More than 6 hours in theatre replaces more than 2.
static const InputChoice theatre_time[] = {
    {.label = L"0 分：无手术或 ≤2 小时", .value = 0},
    {.label = L"5 分：>2 小时", .value = 5},
    {.label = L"8 分：>6 小时", .value = 8},
};

// A category describing one state is a list; skin and tissue-malnutrition
// items coexist and add up, each a box. Medication, capped at 4 on the
// card, is one box worth 4. Every category after the first heads its own
// rows, as on the card, so that no list stands under a heading that says
// "可多选": tissue malnutrition opens with its one list, organ failure,
// under a heading without it.
static const InputDef inputs[] = {
    {.key = "build", .label = L"体型（BMI）", .default_value = 0, .choices = build, .choice_count = 4},
    {.key = "skin_thin", .label = L"皮肤菲薄", .box = true, .points = 1, .section = L"皮肤类型（可多选）"},
    {.key = "skin_dry", .label = L"皮肤干燥", .box = true, .points = 1},
    {.key = "skin_oedema", .label = L"水肿", .box = true, .points = 1},
    {.key = "skin_clammy", .label = L"皮肤湿冷或发热", .box = true, .points = 1},
    {.key = "skin_discoloured", .label = L"颜色异常（1 期压力性损伤）", .box = true, .points = 2},
    {.key = "skin_broken", .label = L"皮肤破损或斑点（2–4 期压力性损伤）", .box = true, .points = 3},
    {.key = "sex", .label = L"性别", .default_value = 1, .choices = sex, .choice_count = 2, .section = L"性别与年龄"},
    {.key = "age", .label = L"年龄", .default_value = 1, .choices = age, .choice_count = 5},
    {.key = "weight_loss", .label = L"近期体重下降", .default_value = 0, .choices = weight_loss, .choice_count = 5, .section = L"营养筛查（MST）"},
    {.key = "poor_intake", .label = L"进食少或食欲差", .box = true, .points = 1},
    {.key = "continence", .label = L"控便能力", .default_value = 0, .choices = continence, .choice_count = 4, .section = L"控便与活动能力"},
    {.key = "mobility", .label = L"活动能力", .default_value = 0, .choices = mobility, .choice_count = 6},
    {.key = "organ_failure", .label = L"器官衰竭", .default_value = 0, .choices = organ_failure, .choice_count = 3, .section = L"组织营养不良"},
    {.key = "cachexia", .label = L"终末期恶病质", .box = true, .points = 8},
    {.key = "pvd", .label = L"外周血管疾病", .box = true, .points = 5},
    {.key = "anaemia", .label = L"贫血（Hb <80 g/L）", .box = true, .points = 2},
    {.key = "smoking", .label = L"吸烟", .box = true, .points = 1},
    {.key = "neuro", .label = L"神经功能障碍（糖尿病、多发性硬化、脑卒中、运动或感觉障碍、截瘫）", .default_value = 0, .choices = neuro, .choice_count = 4, .section = L"神经功能障碍"},
    {.key = "ortho_surgery", .label = L"骨科或脊柱手术", .box = true, .points = 5, .section = L"大手术或创伤"},
    {.key = "theatre_time", .label = L"手术时间", .default_value = 0, .choices = theatre_time, .choice_count = 3},
    {.key = "medication", .label = L"细胞毒药物、长期或大剂量类固醇、抗炎药", .box = true, .points = 4, .section = L"药物"},
};

static const OutputDef outputs[] = {
    {.key = "nutrition", .label = L"营养筛查评分", .unit = L"分", .formula = "weight_loss + poor_intake", .format = "f0"},
    {.key = "total", .label = L"总分", .unit = L"分",
     .formula = "build + skin_thin + skin_dry + skin_oedema + skin_clammy + skin_discoloured + skin_broken + sex + age"
                " + nutrition + continence + mobility + organ_failure + cachexia + pvd"
                " + anaemia + smoking + neuro + ortho_surgery + theatre_time + medication",
     .format = "f0"},
};

// The card asks for a nutrition assessment whenever the screen is above 2,
// whatever the total, so each band adds it to its own action when it holds.
static const RuleDef rules[] = {
    {.condition = "total >= 20 && nutrition > 2", .level = 3, .message = L"极高危（≥20 分）：立即落实压力性损伤预防措施；营养筛查 >2 分：须营养评估", .reassess_hours = 24},
    {.condition = "total >= 20", .level = 3, .message = L"极高危（≥20 分）：立即落实压力性损伤预防措施", .reassess_hours = 24},
    {.condition = "total >= 15 && nutrition > 2", .level = 2, .message = L"高危（15–19 分）：采取预防措施，定时翻身减压；营养筛查 >2 分：须营养评估", .reassess_hours = 24},
    {.condition = "total >= 15", .level = 2, .message = L"高危（15–19 分）：采取预防措施，定时翻身减压", .reassess_hours = 24},
    {.condition = "total >= 10 && nutrition > 2", .level = 1, .message = L"有风险（10–14 分）：注意预防，定期复评；营养筛查 >2 分：须营养评估", .reassess_hours = 72},
    {.condition = "total >= 10", .level = 1, .message = L"有风险（10–14 分）：注意预防，定期复评", .reassess_hours = 72},
    {.condition = "nutrition > 2", .level = 1, .message = L"营养筛查 >2 分：请营养评估与干预"},
    {.condition = "", .level = 0, .message = L"无明显风险（<10 分）：定期复评"},
};

static const ToolDef tool = {
    .id = 39,
    .title = L"压力性损伤风险评估（Waterlow）",
    .summary = L"按体型、皮肤、性别年龄、营养、控便、活动及特殊风险评估压力性损伤风险",
    .category = L"护理",
    .basis = L"Waterlow 评分卡 2005 修订版（含营养筛查工具 MST）；原卫生部《临床护理实践指南（2011 版）》附录；分级：≥10 有风险，≥15 高危，≥20 极高危",
    .caution = L"适用于 14 岁及以上；皮肤类型与组织营养不良各项可多选，器官衰竭按最重者选一项；术后 48 小时恢复正常者手术项可不计；营养筛查 >2 分须营养评估。",
    .input_count = 22,
    .inputs = inputs,
    .output_count = 2,
    .outputs = outputs,
    .rule_count = 8,
    .rules = rules,
    .report_kind = REPORT_NONE,
    .headline = "total",
    .assessment = true,
    .reassess_events = L"病情变化、转科、术后随时复评",
};

const ToolDef& tool_builtin() { return tool; }
