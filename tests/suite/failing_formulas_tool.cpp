// A descriptor written the way the suite's tools are, whose self-test must
// fail: two formulas that cannot be evaluated with the defaults, outputs
// without units, and a formula that leans on another output.
#include "tool/tool.h"

static const InputDef inputs[] = {
    {.key = "dose", .label = L"剂量", .unit = L"mg", .default_value = 40},
    {.key = "weight", .label = L"体重", .unit = L"kg", .default_value = 0},
};

static const OutputDef outputs[] = {
    {.key = "per_kg", .label = L"每公斤剂量", .unit = L"mg/kg", .formula = "dose/weight", .format = "f2"},
    {.key = "half", .label = L"半量", .unit = nullptr, .formula = "dose/2", .format = "f1"},
    {.key = "twice", .label = L"两倍半量", .unit = L"", .formula = "half*2", .format = "f0"},
    {.key = "root", .label = L"平方根", .unit = L"", .formula = "sqrt(weight - 1)", .format = nullptr},
};

static const RuleDef rules[] = {
    {.condition = "twice > 30", .level = 1, .message = L"剂量偏大"},
    {.condition = "", .level = 0, .message = L"正常"},
};

static const ToolDef tool = {
    .id = 201,
    .title = L"自检失败示例",
    .summary = nullptr,
    .category = L"测试",
    .basis = L"无",
    .caution = nullptr,
    .input_count = 2,
    .inputs = inputs,
    .output_count = 4,
    .outputs = outputs,
    .rule_count = 2,
    .rules = rules,
    .report_kind = 0,
};

const ToolDef& tool_builtin() { return tool; }
