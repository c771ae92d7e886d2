// Padua Prediction Score: eleven risk factors of venous thromboembolism in
// medical in-patients, their weighted sum and the risk it shows.
#include "tool/tool.h"

// A factor weighs 3, 2 or 1 points; factors of one weight share their options.
static const InputChoice yes3[] = {
    {.label = L"0 分：否", .value = 0},
    {.label = L"3 分：是", .value = 3},
};
static const InputChoice yes2[] = {
    {.label = L"0 分：否", .value = 0},
    {.label = L"2 分：是", .value = 2},
};
static const InputChoice yes1[] = {
    {.label = L"0 分：否", .value = 0},
    {.label = L"1 分：是", .value = 1},
};

// Each default is "no": a form not yet filled in never reads as a risk.
static const InputDef inputs[] = {
    {.key = "cancer", .label = L"活动性恶性肿瘤", .default_value = 0, .choices = yes3, .choice_count = 2},
    {.key = "prior_vte", .label = L"既往静脉血栓栓塞症", .default_value = 0, .choices = yes3, .choice_count = 2},
    {.key = "immobile", .label = L"制动（卧床至少 3 天）", .default_value = 0, .choices = yes3, .choice_count = 2},
    {.key = "thrombophilia", .label = L"已知易栓症", .default_value = 0, .choices = yes3, .choice_count = 2},
    {.key = "trauma", .label = L"近 1 个月内创伤或外科手术", .default_value = 0, .choices = yes2, .choice_count = 2},
    {.key = "elderly", .label = L"年龄 ≥70 岁", .default_value = 0, .choices = yes1, .choice_count = 2},
    {.key = "heart_resp", .label = L"心脏和/或呼吸衰竭", .default_value = 0, .choices = yes1, .choice_count = 2},
    {.key = "mi_stroke", .label = L"急性心肌梗死或缺血性脑卒中", .default_value = 0, .choices = yes1, .choice_count = 2},
    {.key = "infection", .label = L"急性感染和/或风湿性疾病", .default_value = 0, .choices = yes1, .choice_count = 2},
    {.key = "obesity", .label = L"肥胖（BMI ≥30）", .default_value = 0, .choices = yes1, .choice_count = 2},
    {.key = "hormone", .label = L"正在激素治疗", .default_value = 0, .choices = yes1, .choice_count = 2},
};

static const OutputDef outputs[] = {
    {.key = "total", .label = L"总分", .unit = L"分",
     .formula = "cancer + prior_vte + immobile + thrombophilia + trauma + elderly + heart_resp + mi_stroke"
                " + infection + obesity + hormone",
     .format = "f0"},
};

static const RuleDef rules[] = {
    {.condition = "total >= 4", .level = 2, .message = L"VTE 高危（≥4 分）：无禁忌时建议药物预防", .reassess_hours = 72},
    {.condition = "", .level = 0, .message = L"VTE 低危（<4 分）：鼓励早期活动，动态复评"},
};

static const ToolDef tool = {
    .id = 22,
    .title = L"内科住院患者 VTE 风险评估（Padua）",
    .summary = L"按十一项危险因素评估内科住院患者静脉血栓栓塞症（VTE）风险",
    .category = L"内科",
    .basis = L"Barbar 等，J Thromb Haemost 2010（Padua 预测评分）；≥4 分为 VTE 高危",
    .caution = L"仅适用于内科住院患者，外科患者须另用外科评估工具；药物预防前须评估出血风险；界值各医院可按本院标准设定。",
    .input_count = 11,
    .inputs = inputs,
    .output_count = 1,
    .outputs = outputs,
    .rule_count = 2,
    .rules = rules,
    .report_kind = REPORT_NONE,
    .headline = "total",
    .assessment = true,
    .reassess_events = L"术后、转科、病情变化时随时复评",
};

const ToolDef& tool_builtin() { return tool; }
