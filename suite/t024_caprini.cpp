// Caprini risk assessment (2005 form): age and 37 risk factors of venous
// thromboembolism in surgical in-patients, their weighted sum and the risk
// band it falls in.
#include "tool/tool.h"

static const InputChoice age[] = {
    {.label = L"0 分：≤40 岁", .value = 0},
    {.label = L"1 分：41–60 岁", .value = 1},
    {.label = L"2 分：61–74 岁", .value = 2},
    {.label = L"3 分：≥75 岁", .value = 3},
};

// Age is one band of four, so it is a list; every other factor may coexist
// with the rest and is a box worth its weight on the form, grouped by that
// weight as the form groups them. Nothing is checked at start: a form not
// yet filled in never reads as a risk.
static const InputDef inputs[] = {
    {.key = "age", .label = L"年龄", .default_value = 0, .choices = age, .choice_count = 4, .section = L"年龄"},
    {.key = "minor_surgery", .label = L"计划小手术", .box = true, .points = 1, .section = L"1 分项"},
    {.key = "prior_major_surgery", .label = L"1 个月内大手术史", .box = true, .points = 1},
    {.key = "varicose_veins", .label = L"静脉曲张", .box = true, .points = 1},
    {.key = "ibd", .label = L"炎症性肠病史", .box = true, .points = 1},
    {.key = "leg_swelling", .label = L"目前下肢肿胀", .box = true, .points = 1},
    {.key = "obesity", .label = L"超重或肥胖（BMI >25）", .box = true, .points = 1},
    {.key = "ami", .label = L"急性心肌梗死", .box = true, .points = 1},
    {.key = "chf", .label = L"充血性心力衰竭（1 个月内）", .box = true, .points = 1},
    {.key = "sepsis", .label = L"脓毒症（1 个月内）", .box = true, .points = 1},
    {.key = "lung_disease", .label = L"严重肺部疾病，含肺炎（1 个月内）", .box = true, .points = 1},
    {.key = "copd", .label = L"肺功能异常（如 COPD）", .box = true, .points = 1},
    {.key = "medical_bed_rest", .label = L"目前卧床的内科患者", .box = true, .points = 1},
    {.key = "other_factor", .label = L"其他危险因素（须在记录中注明）", .box = true, .points = 1},
    {.key = "hormone", .label = L"口服避孕药或激素替代治疗", .box = true, .points = 1, .section = L"女性（每项 1 分）"},
    {.key = "pregnancy", .label = L"妊娠期或产后（1 个月内）", .box = true, .points = 1},
    {.key = "obstetric_history", .label = L"不明原因死胎、反复流产（≥3 次）或早产伴毒血症/生长受限", .box = true, .points = 1},
    {.key = "arthroscopic", .label = L"关节镜手术", .box = true, .points = 2, .section = L"2 分项"},
    {.key = "malignancy", .label = L"恶性肿瘤（现患或既往）", .box = true, .points = 2},
    {.key = "major_surgery", .label = L"大手术（>45 分钟）", .box = true, .points = 2},
    {.key = "laparoscopic", .label = L"腹腔镜手术（>45 分钟）", .box = true, .points = 2},
    {.key = "confined_bed", .label = L"卧床 >72 小时", .box = true, .points = 2},
    {.key = "plaster_cast", .label = L"石膏固定（1 个月内）", .box = true, .points = 2},
    {.key = "central_venous", .label = L"中心静脉置管", .box = true, .points = 2},
    {.key = "vte_history", .label = L"深静脉血栓或肺栓塞病史", .box = true, .points = 3, .section = L"3 分项"},
    {.key = "family_history", .label = L"血栓家族史", .box = true, .points = 3},
    {.key = "factor_v_leiden", .label = L"凝血因子 V Leiden 突变阳性", .box = true, .points = 3},
    {.key = "prothrombin_20210a", .label = L"凝血酶原 20210A 突变阳性", .box = true, .points = 3},
    {.key = "homocysteine", .label = L"血清同型半胱氨酸升高", .box = true, .points = 3},
    {.key = "lupus_anticoagulant", .label = L"狼疮抗凝物阳性", .box = true, .points = 3},
    {.key = "anticardiolipin", .label = L"抗心磷脂抗体升高", .box = true, .points = 3},
    {.key = "hit", .label = L"肝素诱导的血小板减少症（HIT）", .box = true, .points = 3},
    {.key = "thrombophilia_other", .label = L"其他先天性或获得性血栓形成倾向", .box = true, .points = 3},
    {.key = "arthroplasty", .label = L"择期下肢主要关节置换术", .box = true, .points = 5, .section = L"5 分项"},
    {.key = "fracture", .label = L"髋部、骨盆或下肢骨折（1 个月内）", .box = true, .points = 5},
    {.key = "stroke", .label = L"脑卒中（1 个月内）", .box = true, .points = 5},
    {.key = "multiple_trauma", .label = L"多发性创伤（1 个月内）", .box = true, .points = 5},
    {.key = "spinal_cord_injury", .label = L"急性脊髓损伤（瘫痪，1 个月内）", .box = true, .points = 5},
};

static const OutputDef outputs[] = {
    {.key = "total", .label = L"总分", .unit = L"分",
     .formula = "age + minor_surgery + prior_major_surgery + varicose_veins + ibd + leg_swelling + obesity + ami"
                " + chf + sepsis + lung_disease + copd + medical_bed_rest + other_factor"
                " + hormone + pregnancy + obstetric_history"
                " + arthroscopic + malignancy + major_surgery + laparoscopic + confined_bed + plaster_cast"
                " + central_venous"
                " + vte_history + family_history + factor_v_leiden + prothrombin_20210a + homocysteine"
                " + lupus_anticoagulant + anticardiolipin + hit + thrombophilia_other"
                " + arthroplasty + fracture + stroke + multiple_trauma + spinal_cord_injury",
     .format = "f0"},
};

// The bands of the Chinese 2018 recommendation (after ACCP 9), not the
// 2005 paper's own.
static const RuleDef rules[] = {
    {.condition = "total >= 5", .level = 2, .message = L"VTE 高危（≥5 分）：无禁忌时药物联合机械预防", .reassess_hours = 72},
    {.condition = "total >= 3", .level = 2, .message = L"VTE 中危（3–4 分）：评估出血风险，药物或机械预防", .reassess_hours = 168},
    {.condition = "total >= 1", .level = 1, .message = L"VTE 低危（1–2 分）：建议机械预防，早期活动"},
    {.condition = "", .level = 0, .message = L"VTE 极低危（0 分）：早期活动，动态复评"},
};

static const ToolDef tool = {
    .id = 24,
    .title = L"外科患者 VTE 风险评估（Caprini）",
    .summary = L"按年龄与 37 项危险因素评估外科住院患者静脉血栓栓塞症（VTE）风险",
    .category = L"外科",
    .basis = L"Caprini，Dis Mon 2005；条目按 Caprini 2005 版评估表；分级按《医院内静脉血栓栓塞症防治与管理建议》（中华医学杂志 2018）：0 极低危，1–2 低危，3–4 中危，≥5 高危",
    .caution = L"适用于外科住院患者；同一次手术只勾选一种手术类型；药物预防前须评估出血风险；术后、病情变化或转科时复评；界值各医院可按本院标准设定。",
    .input_count = 38,
    .inputs = inputs,
    .output_count = 1,
    .outputs = outputs,
    .rule_count = 4,
    .rules = rules,
    .report_kind = REPORT_NONE,
    .headline = "total",
    .assessment = true,
    .reassess_events = L"术后、转科、病情变化时随时复评",
};

const ToolDef& tool_builtin() { return tool; }
