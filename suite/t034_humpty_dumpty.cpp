// Humpty Dumpty Falls Scale: seven factors of a hospitalised child's risk
// of falling, summed 7 to 23, and whether the risk is high.
#include "tool/tool.h"

static const InputChoice age[] = {
    {.label = L"1 分：≥13 岁", .value = 1},
    {.label = L"2 分：7 岁至不满 13 岁", .value = 2},
    {.label = L"3 分：3 岁至不满 7 岁", .value = 3},
    {.label = L"4 分：<3 岁", .value = 4},
};
static const InputChoice sex[] = {
    {.label = L"1 分：女", .value = 1},
    {.label = L"2 分：男", .value = 2},
};
static const InputChoice diagnosis[] = {
    {.label = L"1 分：其他诊断", .value = 1},
    {.label = L"2 分：精神或行为障碍", .value = 2},
    {.label = L"3 分：氧合改变（呼吸系统疾病、脱水、贫血、厌食、晕厥或头晕等）", .value = 3},
    {.label = L"4 分：神经系统诊断", .value = 4},
};
static const InputChoice cognition[] = {
    {.label = L"1 分：了解自身能力", .value = 1},
    {.label = L"2 分：会忘记自身受限", .value = 2},
    {.label = L"3 分：不了解自身受限", .value = 3},
};
static const InputChoice environment[] = {
    {.label = L"1 分：门诊区域", .value = 1},
    {.label = L"2 分：患儿卧于病床", .value = 2},
    {.label = L"3 分：使用辅助器具，或婴幼儿卧于婴儿床，或家具、照明不当", .value = 3},
    {.label = L"4 分：有跌倒史，或婴幼儿卧于成人床", .value = 4},
};
static const InputChoice surgery[] = {
    {.label = L"1 分：超过 48 小时或无", .value = 1},
    {.label = L"2 分：24–48 小时内", .value = 2},
    {.label = L"3 分：24 小时内", .value = 3},
};
static const InputChoice medication[] = {
    {.label = L"1 分：其他药物或未用药", .value = 1},
    {.label = L"2 分：使用 1 种高危药物（镇静催眠、巴比妥、吩噻嗪、抗抑郁、泻药、利尿剂、阿片类）", .value = 2},
    {.label = L"3 分：使用 2 种及以上上述高危药物", .value = 3},
};

// Every item scores at least 1; each default is its 1-point option.
static const InputDef inputs[] = {
    {.key = "age", .label = L"年龄", .default_value = 1, .choices = age, .choice_count = 4},
    {.key = "sex", .label = L"性别", .default_value = 1, .choices = sex, .choice_count = 2},
    {.key = "diagnosis", .label = L"诊断", .default_value = 1, .choices = diagnosis, .choice_count = 4},
    {.key = "cognition", .label = L"认知功能", .default_value = 1, .choices = cognition, .choice_count = 3},
    {.key = "environment", .label = L"环境因素", .default_value = 1, .choices = environment, .choice_count = 4},
    {.key = "surgery", .label = L"手术/镇静/麻醉后", .default_value = 1, .choices = surgery, .choice_count = 3},
    {.key = "medication", .label = L"用药", .default_value = 1, .choices = medication, .choice_count = 3},
};

static const OutputDef outputs[] = {
    {.key = "total", .label = L"总分", .unit = L"分",
     .formula = "age + sex + diagnosis + cognition + environment + surgery + medication", .format = "f0"},
};

static const RuleDef rules[] = {
    {.condition = "total >= 12", .level = 2, .message = L"跌倒高危（≥12 分）：落实防跌倒措施，悬挂警示标识"},
    {.condition = "", .level = 0, .message = L"跌倒低危（7–11 分）：落实常规防跌倒措施"},
};

static const ToolDef tool = {
    .id = 34,
    .title = L"儿童跌倒风险评估（Humpty Dumpty）",
    .summary = L"按年龄、性别、诊断、认知、环境、手术镇静反应与用药七项评估住院患儿跌倒风险",
    .category = L"儿科",
    .basis = L"Hill-Rodriguez 等，Journal for Specialists in Pediatric Nursing 2009（Humpty Dumpty 跌倒量表，7–23 分）：7–11 低危，≥12 高危",
    .caution = L"适用于住院患儿，年龄可按发育年龄评估；多个诊断按最高分计；ICU 中镇静并肌松者的用药不计；界值各医院可按本院标准设定。",
    .input_count = 7,
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
