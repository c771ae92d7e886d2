// Morse Fall Scale: the six items of fall risk, their sum and the risk band
// it falls in.
#include "tool/tool.h"

static const InputChoice history[] = {
    {.label = L"0 分：无", .value = 0},
    {.label = L"25 分：有", .value = 25},
};
static const InputChoice diagnosis[] = {
    {.label = L"0 分：无", .value = 0},
    {.label = L"15 分：有", .value = 15},
};
static const InputChoice aid[] = {
    {.label = L"0 分：不需要、卧床或护士扶持", .value = 0},
    {.label = L"15 分：拐杖、手杖或助行器", .value = 15},
    {.label = L"30 分：依扶家具行走", .value = 30},
};
static const InputChoice iv[] = {
    {.label = L"0 分：无", .value = 0},
    {.label = L"20 分：有", .value = 20},
};
static const InputChoice gait[] = {
    {.label = L"0 分：正常、卧床或轮椅代步", .value = 0},
    {.label = L"10 分：虚弱乏力", .value = 10},
    {.label = L"20 分：功能障碍", .value = 20},
};
static const InputChoice mental[] = {
    {.label = L"0 分：了解自己能力", .value = 0},
    {.label = L"15 分：高估自己能力或忘记自身受限", .value = 15},
};

// Each default is the item's 0-point answer: a form not yet filled in never
// reads as a risk.
static const InputDef inputs[] = {
    {.key = "history", .label = L"近 3 个月跌倒史", .default_value = 0, .choices = history, .choice_count = 2},
    {.key = "diagnosis", .label = L"超过一个医学诊断", .default_value = 0, .choices = diagnosis, .choice_count = 2},
    {.key = "aid", .label = L"使用助行器具", .default_value = 0, .choices = aid, .choice_count = 3},
    {.key = "iv", .label = L"静脉输液或留置针", .default_value = 0, .choices = iv, .choice_count = 2},
    {.key = "gait", .label = L"步态", .default_value = 0, .choices = gait, .choice_count = 3},
    {.key = "mental", .label = L"认知状态", .default_value = 0, .choices = mental, .choice_count = 2},
};

static const OutputDef outputs[] = {
    {.key = "total", .label = L"总分", .unit = L"分", .formula = "history + diagnosis + aid + iv + gait + mental",
     .format = "f0"},
};

// Every item scores in fives, so 45 and 50 are neighbouring totals: "> 45"
// and ">= 50" say the same, and the first is the published cut-off.
static const RuleDef rules[] = {
    {.condition = "total > 45", .level = 2, .message = L"高危（>45 分）：落实防跌倒措施，悬挂警示标识", .reassess_hours = 24},
    {.condition = "total >= 25", .level = 1, .message = L"中危（25–45 分）：防跌倒宣教，保持环境安全"},
    {.condition = "", .level = 0, .message = L"低危（0–24 分）：常规防护"},
};

static const ToolDef tool = {
    .id = 19,
    .title = L"跌倒风险评估（Morse）",
    .summary = L"按跌倒史、诊断、助行器具、静脉输液、步态与认知状态六项评估跌倒风险",
    .category = L"护理",
    .basis = L"Morse 等，Can J Aging 1989；分级：<25 低危，25–45 中危，>45 高危",
    .caution = L"Morse 建议各机构按本院患者情况确定分界值；跌倒后、术后或使用镇静药物时及时复评。",
    .input_count = 6,
    .inputs = inputs,
    .output_count = 1,
    .outputs = outputs,
    .rule_count = 3,
    .rules = rules,
    .report_kind = REPORT_NONE,
    .headline = "total",
    .assessment = true,
    .reassess_events = L"跌倒后、病情变化、转科、术后或使用镇静药物时随时复评",
};

const ToolDef& tool_builtin() { return tool; }
