// Autar DVT risk assessment scale (revised 2003): seven categories of a
// patient's risk of deep-vein thrombosis, summed, and the risk band.
#include "tool/tool.h"

static const InputChoice age[] = {
    {.label = L"0 分：10–30 岁", .value = 0},
    {.label = L"1 分：31–40 岁", .value = 1},
    {.label = L"2 分：41–50 岁", .value = 2},
    {.label = L"3 分：51–60 岁", .value = 3},
    {.label = L"4 分：61–70 岁", .value = 4},
    {.label = L"5 分：≥71 岁", .value = 5},
};
static const InputChoice bmi[] = {
    {.label = L"0 分：偏瘦（BMI ≤18）", .value = 0},
    {.label = L"1 分：正常（BMI 19–25）", .value = 1},
    {.label = L"2 分：超重（BMI 26–30）", .value = 2},
    {.label = L"3 分：肥胖（BMI 31–40）", .value = 3},
    {.label = L"4 分：极度肥胖（BMI ≥41）", .value = 4},
};
static const InputChoice mobility[] = {
    {.label = L"0 分：自由活动", .value = 0},
    {.label = L"1 分：活动受限（自行使用助行器具）", .value = 1},
    {.label = L"2 分：严重受限（需他人协助）", .value = 2},
    {.label = L"3 分：依赖轮椅", .value = 3},
    {.label = L"4 分：绝对卧床", .value = 4},
};
// The contraceptive, HRT and pregnancy items exclude one another.
static const InputChoice hormone[] = {
    {.label = L"0 分：无", .value = 0},
    {.label = L"1 分：口服避孕药（20–35 岁）", .value = 1},
    {.label = L"2 分：口服避孕药（>35 岁）或激素替代治疗", .value = 2},
    {.label = L"3 分：妊娠或产褥期", .value = 3},
};
// Only the highest operation that applies is scored, so one list; the
// chart's several 3-point operations share one option.
static const InputChoice surgery[] = {
    {.label = L"0 分：无手术", .value = 0},
    {.label = L"1 分：小手术（<30 分钟）", .value = 1},
    {.label = L"2 分：择期大手术", .value = 2},
    {.label = L"3 分：急诊大手术，或胸部、腹部、泌尿、神经外科、妇科手术", .value = 3},
    {.label = L"4 分：骨科手术（腰部以下）", .value = 4},
};

// Age, build, mobility and surgery take one level each; thrombophilia,
// injuries and diseases add up, each a box worth its points on the chart.
// Surgery heads its own rows, so that it never reads as one of the injuries
// above it.
static const InputDef inputs[] = {
    {.key = "age", .label = L"年龄", .default_value = 0, .choices = age, .choice_count = 6},
    {.key = "bmi", .label = L"体型（BMI）", .default_value = 0, .choices = bmi, .choice_count = 5},
    {.key = "mobility", .label = L"活动能力", .default_value = 0, .choices = mobility, .choice_count = 5},
    {.key = "hormone", .label = L"特殊风险", .default_value = 0, .choices = hormone, .choice_count = 4},
    {.key = "thrombophilia", .label = L"易栓症", .box = true, .points = 4},
    {.key = "head_injury", .label = L"头部损伤", .box = true, .points = 1, .section = L"创伤（仅术前计分，可多选）"},
    {.key = "chest_injury", .label = L"胸部损伤", .box = true, .points = 1},
    {.key = "spinal_injury", .label = L"脊柱损伤", .box = true, .points = 2},
    {.key = "pelvic_injury", .label = L"骨盆损伤", .box = true, .points = 3},
    {.key = "leg_injury", .label = L"下肢损伤", .box = true, .points = 4},
    {.key = "surgery", .label = L"外科手术", .default_value = 0, .choices = surgery, .choice_count = 5, .section = L"外科手术（只选最高一项）"},
    {.key = "ulcerative_colitis", .label = L"溃疡性结肠炎", .box = true, .points = 1, .section = L"高危疾病（可多选）"},
    {.key = "polycythaemia", .label = L"红细胞增多症", .box = true, .points = 2},
    {.key = "varicose_veins", .label = L"静脉曲张", .box = true, .points = 3},
    {.key = "heart_disease", .label = L"慢性心脏病", .box = true, .points = 3},
    {.key = "ami", .label = L"急性心肌梗死", .box = true, .points = 4},
    {.key = "malignancy", .label = L"恶性肿瘤（活动期）", .box = true, .points = 5},
    {.key = "stroke", .label = L"脑血管意外", .box = true, .points = 6},
    {.key = "dvt_history", .label = L"深静脉血栓病史", .box = true, .points = 7},
};

static const OutputDef outputs[] = {
    {.key = "total", .label = L"总分", .unit = L"分",
     .formula = "age + bmi + mobility + hormone + thrombophilia"
                " + head_injury + chest_injury + spinal_injury + pelvic_injury + leg_injury + surgery"
                " + ulcerative_colitis + polycythaemia + varicose_veins + heart_disease + ami + malignancy + stroke"
                " + dvt_history",
     .format = "f0"},
};

static const RuleDef rules[] = {
    {.condition = "total >= 15", .level = 2, .message = L"DVT 高风险（≥15 分）：报告医师，无禁忌时药物联合机械预防"},
    {.condition = "total >= 11", .level = 2, .message = L"DVT 中风险（11–14 分）：评估出血风险，落实预防措施"},
    {.condition = "", .level = 0, .message = L"DVT 低风险（≤10 分）：早期活动，动态复评"},
};

static const ToolDef tool = {
    .id = 36,
    .title = L"深静脉血栓风险评估（Autar）",
    .summary = L"按年龄、体型、活动、特殊风险、创伤、手术与高危疾病七类评估深静脉血栓风险",
    .category = L"骨科",
    .basis = L"Autar，J Orthop Nurs 2003（Autar DVT 量表修订版）；分级按国内病房常用三级：≤10 低风险，11–14 中风险，≥15 高风险",
    .caution = L"创伤项仅术前计分；外科手术只选一项最高者；BMI 四舍五入取整后选择；药物预防前须评估出血风险。",
    .input_count = 19,
    .inputs = inputs,
    .output_count = 1,
    .outputs = outputs,
    .rule_count = 3,
    .rules = rules,
    .report_kind = REPORT_NONE,
    .headline = "total",
    .assessment = true,
};

const ToolDef& tool_builtin() { return tool; }
