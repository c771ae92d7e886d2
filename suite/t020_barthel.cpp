// Barthel Index: the ten activities of daily living, their sum and the degree
// of dependence it shows.
#include "tool/tool.h"

// Items of the same weight and wording share their options. Each list runs
// from independent (most points) to dependent.
static const InputChoice help10[] = {  // feeding, dressing, toilet use, stairs
    {.label = L"10 分：独立", .value = 10},
    {.label = L"5 分：需部分帮助", .value = 5},
    {.label = L"0 分：需极大帮助或完全依赖", .value = 0},
};
static const InputChoice help5[] = {  // bathing, grooming
    {.label = L"5 分：独立", .value = 5},
    {.label = L"0 分：需帮助", .value = 0},
};
static const InputChoice continence[] = {  // bowels, bladder
    {.label = L"10 分：可控制", .value = 10},
    {.label = L"5 分：偶尔失控", .value = 5},
    {.label = L"0 分：完全失控", .value = 0},
};
static const InputChoice help15[] = {  // transfer, walking
    {.label = L"15 分：独立", .value = 15},
    {.label = L"10 分：需部分帮助", .value = 10},
    {.label = L"5 分：需极大帮助", .value = 5},
    {.label = L"0 分：完全依赖", .value = 0},
};

// Each default is the item's independent answer: a form not yet filled in
// never reads as dependence.
static const InputDef inputs[] = {
    {.key = "feeding", .label = L"进食", .default_value = 10, .choices = help10, .choice_count = 3},
    {.key = "bathing", .label = L"洗澡", .default_value = 5, .choices = help5, .choice_count = 2},
    {.key = "grooming", .label = L"修饰", .default_value = 5, .choices = help5, .choice_count = 2},
    {.key = "dressing", .label = L"穿衣", .default_value = 10, .choices = help10, .choice_count = 3},
    {.key = "bowels", .label = L"控制大便", .default_value = 10, .choices = continence, .choice_count = 3},
    {.key = "bladder", .label = L"控制小便", .default_value = 10, .choices = continence, .choice_count = 3},
    {.key = "toilet", .label = L"如厕", .default_value = 10, .choices = help10, .choice_count = 3},
    {.key = "transfer", .label = L"床椅转移", .default_value = 15, .choices = help15, .choice_count = 4},
    {.key = "walking", .label = L"平地行走 45 米", .default_value = 15, .choices = help15, .choice_count = 4},
    {.key = "stairs", .label = L"上下楼梯", .default_value = 10, .choices = help10, .choice_count = 3},
};

static const OutputDef outputs[] = {
    {.key = "total", .label = L"总分", .unit = L"分",
     .formula = "feeding + bathing + grooming + dressing + bowels + bladder + toilet + transfer + walking + stairs",
     .format = "f0"},
};

static const RuleDef rules[] = {
    {.condition = "total <= 40", .level = 3, .message = L"重度依赖（≤40 分）：全部需他人照护"},
    {.condition = "total <= 60", .level = 2, .message = L"中度依赖（41–60 分）：大部分需他人照护"},
    {.condition = "total <= 99", .level = 1, .message = L"轻度依赖（61–99 分）：少部分需他人照护"},
    {.condition = "", .level = 0, .message = L"无需依赖（100 分）"},
};

static const ToolDef tool = {
    .id = 20,
    .title = L"日常生活能力评定（Barthel 指数）",
    .summary = L"按进食、洗澡、修饰、穿衣、大小便控制、如厕、转移、行走与上下楼梯十项评定自理能力",
    .category = L"护理",
    .basis = L"Mahoney 与 Barthel，Md State Med J 1965；分级按 WS/T 431-2013《护理分级》：≤40 重度，41–60 中度，"
             L"61–99 轻度依赖，100 无需依赖",
    .caution = L"按患者实际完成情况评定，而非其可能达到的能力；分级界值各医院可按本院标准设定。",
    .input_count = 10,
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
