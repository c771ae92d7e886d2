// Bleeding risk of medical in-patients before drug prophylaxis of venous
// thromboembolism: one of three major factors, or three of eight others,
// makes the risk high.
#include "tool/tool.h"

// Each factor is a box that counts one item. The two groups are counted
// apart, since one major factor weighs as much as three of the others.
static const InputDef inputs[] = {
    {.key = "peptic_ulcer", .label = L"活动性消化道溃疡", .unit = L"项", .box = true, .points = 1, .section = L"单项高危因素（具备 1 项即为出血高危）"},
    {.key = "bleeding_3_months", .label = L"入院前 3 个月内有出血事件", .unit = L"项", .box = true, .points = 1},
    {.key = "low_platelets", .label = L"血小板计数 <50×10⁹/L", .unit = L"项", .box = true, .points = 1},
    {.key = "age_85", .label = L"年龄 ≥85 岁", .unit = L"项", .box = true, .points = 1, .section = L"其他危险因素（≥3 项为出血高危）"},
    {.key = "hepatic_failure", .label = L"肝功能不全（INR >1.5）", .unit = L"项", .box = true, .points = 1},
    {.key = "renal_failure", .label = L"严重肾功能不全（GFR <30 ml/(min·m²)）", .unit = L"项", .box = true, .points = 1},
    {.key = "icu_ccu", .label = L"入住 ICU 或 CCU", .unit = L"项", .box = true, .points = 1},
    {.key = "central_venous", .label = L"中心静脉置管", .unit = L"项", .box = true, .points = 1},
    {.key = "rheumatic", .label = L"风湿性疾病", .unit = L"项", .box = true, .points = 1},
    {.key = "cancer", .label = L"现患恶性肿瘤", .unit = L"项", .box = true, .points = 1},
    {.key = "male", .label = L"男性", .unit = L"项", .box = true, .points = 1},
};

static const OutputDef outputs[] = {
    {.key = "major", .label = L"单项高危因素", .unit = L"项",
     .formula = "peptic_ulcer + bleeding_3_months + low_platelets", .format = "f0"},
    {.key = "minor", .label = L"其他危险因素", .unit = L"项",
     .formula = "age_85 + hepatic_failure + renal_failure + icu_ccu + central_venous + rheumatic + cancer + male",
     .format = "f0"},
    {.key = "total", .label = L"危险因素合计", .unit = L"项", .formula = "major + minor", .format = "f0"},
};

static const RuleDef rules[] = {
    {.condition = "major >= 1", .level = 2, .message = L"出血高危（具备单项高危因素）：优先机械预防，慎用抗凝"},
    {.condition = "minor >= 3", .level = 2, .message = L"出血高危（其他因素 ≥3 项）：优先机械预防，慎用抗凝"},
    {.condition = "", .level = 0, .message = L"非出血高危：按 VTE 风险选择预防措施"},
};

static const ToolDef tool = {
    .id = 26,
    .title = L"内科住院患者出血风险评估（VTE 预防）",
    .summary = L"VTE 药物预防前，按 11 项危险因素评估内科住院患者出血风险",
    .category = L"内科",
    .basis = L"《医院内静脉血栓栓塞症防治与管理建议》（中华医学杂志 2018）内科住院患者出血危险因素（Decousus 等，Chest 2011）：单项高危因素 ≥1 项或其他因素 ≥3 项为出血高危",
    .caution = L"用于 VTE 药物预防前；单项高危因素具备 1 项，或其他因素 ≥3 项即为出血高危；具体用药遵医嘱。",
    .input_count = 11,
    .inputs = inputs,
    .output_count = 3,
    .outputs = outputs,
    .rule_count = 3,
    .rules = rules,
    .report_kind = REPORT_NONE,
    .headline = "total",
    .assessment = true,
};

const ToolDef& tool_builtin() { return tool; }
