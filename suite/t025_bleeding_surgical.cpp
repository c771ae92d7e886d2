// Bleeding risk of surgical in-patients before drug prophylaxis of venous
// thromboembolism: any one of eighteen factors makes the risk high.
#include "tool/tool.h"

// Each factor is a box that counts one item, not points: the verdict asks
// only whether any is present. Nothing is checked at start. ACCP's neuraxial
// window is a puncture in the past 4 h or one expected in the next 12 h; the
// label asks 12 h either way, which holds a puncture planned later today and
// errs toward mechanical prophylaxis for one done earlier; an epidural
// catheter in place, or due out, is timed against the anticoagulant's doses
// as a puncture is. The Chinese table leaves out ACCP's acute stroke and
// previous major bleeding; each is a box of its own, so a patient with
// either never reads as free of bleeding risk.
static const InputDef inputs[] = {
    {.key = "active_bleeding", .label = L"活动性出血", .unit = L"项", .box = true, .points = 1, .section = L"基础疾病相关"},
    {.key = "bleeding_3_months", .label = L"3 个月内有出血事件", .unit = L"项", .box = true, .points = 1},
    {.key = "organ_failure", .label = L"严重肾功能或肝功能衰竭", .unit = L"项", .box = true, .points = 1},
    {.key = "low_platelets", .label = L"血小板计数 <50×10⁹/L", .unit = L"项", .box = true, .points = 1},
    {.key = "uncontrolled_hypertension", .label = L"未控制的高血压", .unit = L"项", .box = true, .points = 1},
    {.key = "neuraxial", .label = L"12 h 内已行或拟行腰穿、硬膜外或椎管内麻醉，或留置硬膜外导管（含拟拔管）", .unit = L"项", .box = true, .points = 1},
    {.key = "antithrombotics", .label = L"同时使用抗凝、抗血小板或溶栓药物", .unit = L"项", .box = true, .points = 1},
    {.key = "coagulopathy", .label = L"凝血功能障碍", .unit = L"项", .box = true, .points = 1},
    {.key = "peptic_ulcer", .label = L"活动性消化道溃疡", .unit = L"项", .box = true, .points = 1},
    {.key = "bleeding_disorder", .label = L"已知、未治疗的出血性疾病", .unit = L"项", .box = true, .points = 1},
    {.key = "acute_stroke", .label = L"急性脑卒中", .unit = L"项", .box = true, .points = 1},
    {.key = "major_bleeding_history", .label = L"既往大出血史", .unit = L"项", .box = true, .points = 1},
    {.key = "abdominal_surgery", .label = L"腹部手术：术前贫血或复杂手术（联合、分离困难或多吻合）", .unit = L"项", .box = true, .points = 1, .section = L"手术相关"},
    {.key = "pancreaticoduodenectomy", .label = L"胰十二指肠切除术：败血症、胰漏或手术部位出血", .unit = L"项", .box = true, .points = 1},
    {.key = "hepatectomy", .label = L"肝切除术：原发性肝癌，或术前血红蛋白低、血小板计数低", .unit = L"项", .box = true, .points = 1},
    {.key = "cardiac_surgery", .label = L"心脏手术：体外循环时间较长", .unit = L"项", .box = true, .points = 1},
    {.key = "thoracic_surgery", .label = L"胸部手术：全肺切除术或扩大切除术", .unit = L"项", .box = true, .points = 1},
    {.key = "critical_site_surgery", .label = L"开颅手术、脊柱手术、脊柱外伤或游离皮瓣重建手术", .unit = L"项", .box = true, .points = 1},
};

static const OutputDef outputs[] = {
    {.key = "total", .label = L"出血危险因素", .unit = L"项",
     .formula = "active_bleeding + bleeding_3_months + organ_failure + low_platelets + uncontrolled_hypertension"
                " + neuraxial + antithrombotics + coagulopathy + peptic_ulcer + bleeding_disorder"
                " + acute_stroke + major_bleeding_history"
                " + abdominal_surgery + pancreaticoduodenectomy + hepatectomy + cardiac_surgery + thoracic_surgery"
                " + critical_site_surgery",
     .format = "f0"},
};

static const RuleDef rules[] = {
    {.condition = "total >= 1", .level = 2, .message = L"出血高危（≥1 项）：优先机械预防，慎用抗凝药物"},
    {.condition = "", .level = 0, .message = L"未见出血高危因素：按 VTE 风险选择预防措施"},
};

static const ToolDef tool = {
    .id = 25,
    .title = L"外科住院患者出血风险评估（VTE 预防）",
    .summary = L"VTE 药物预防前，按基础疾病与手术相关因素评估外科住院患者出血风险",
    .category = L"外科",
    .basis = L"《医院内静脉血栓栓塞症防治与管理建议》（中华医学杂志 2018）外科住院患者出血危险因素（参照 ACCP 第 9 版），补入 ACCP 的急性脑卒中、既往大出血：具备任一项为出血高危",
    .caution = L"用于 VTE 药物预防前；具备任一项即为出血高危；出血风险降低后可再评估药物预防；具体用药遵医嘱。",
    .input_count = 18,
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
