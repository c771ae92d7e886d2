// Reports whose text is fixed apart from one selection: blood draw order,
// high-alert drugs, the surgical safety checklist, the handover sheet and the
// laboratory panel guide.
#include "reports/reports.h"

namespace {

// In place of an entry for a number outside the list: one line asking for a
// listed number, and its verdict at level 1.
int ask_for_listed_number(int number, int count, const wchar_t* what, wchar_t* result_text,
                          int result_capacity, wchar_t* verdict, int verdict_capacity) {
    report_append_line(result_text, result_capacity, L"编号 %d 不在列表中：请按编号 1–%d 选择%ls。",
                       number, count, what);
    text_format(verdict, verdict_capacity, L"请按编号 1–%d 选择%ls", count, what);
    return 1;
}

void append_lines(wchar_t* result_text, int result_capacity, const wchar_t* const* lines,
                  int count) {
    for (int i = 0; i < count; i++) report_append_line(result_text, result_capacity, L"%ls", lines[i]);
}

const wchar_t* const blood_draw_steps[] = {
    L"标准采血顺序（按添加剂，避免交叉污染）：",
    L"1 血培养瓶（需氧/厌氧）",
    L"2 凝血管 淡蓝（枸橼酸钠，凝血 PT/APTT）",
    L"3 促凝/血清管 红或金黄（生化、免疫）",
    L"4 肝素管 绿（血气、部分生化）",
    L"5 EDTA 紫（血常规、糖化、血型）",
    L"6 氟化钠 灰（血糖、乳酸）",
    L"",
};

const wchar_t* const blood_draw_this_time[] = {
    L"本次：血常规 → 紫管 EDTA，采血后 8 次颠倒混匀，2 小时内送检。",
    L"本次：凝血 → 淡蓝管，需采满刻度线（约 2.0ml），采血后立即轻柔颠倒 3-4 次。",
    L"本次：生化 → 红/金黄管，避免溶血，采血后静置 30 分钟离心。",
    L"本次：血气 → 肝素化注射器，排气后立即送检，15 分钟内完成。",
    L"本次：血培养 → 需氧+厌氧各 1 套，采血 2 套不同部位，先注入培养瓶。",
    L"本次：血糖/乳酸 → 灰管，需冰浴送检，30 分钟内完成。",
    L"本次：其他项目，请按检验科项目手册执行。",
};

struct TwoLines {
    const wchar_t* first;
    const wchar_t* second;
};

const TwoLines high_alert_categories[] = {
    {L"高浓度电解质：10% 氯化钾、10% 氯化钠、25% 硫酸镁",
     L"要点：专用标识、专区存放、双人核对、禁止直接静脉推注（钾）。"},
    {L"胰岛素与口服降糖药：胰岛素、格列本脲",
     L"要点：独立存放、专用注射器、剂量双人核对、低血糖监测与急救糖备用。"},
    {L"抗凝与化疗药：肝素、华法林、低分子肝素、化疗药物",
     L"要点：化疗药集中配置与防护、抗凝药监测 INR/APTT、出血风险宣教。"},
    {L"麻醉与肌松药：丙泊酚、维库溴铵、琥珀胆碱、阿片类",
     L"要点：专柜加锁、基数管理、使用后登记、拮抗剂（纳洛酮/新斯的明）备用。"},
};

const wchar_t* const safety_checklist[] = {
    L"手术安全核查表（三步核查）：",
    L"【麻醉实施前】身份/部位/术式/知情同意；过敏史；气道与插管风险；出血风险；影像与植入物；皮肤准备。",
    L"【手术开始前】团队自我介绍；确认患者、部位、术式；预计手术时间与失血量；抗菌药物已用；器械灭菌合格；影像资料到位。",
    L"【患者离室前】手术名称与记录一致；标本标识与送检；器械敷料清点；皮肤与管路；恢复与转运方案。",
    L"",
    L"要求：三方（外科、麻醉、护理）共同口述确认并签字，任一环节缺失不得开台。",
};

const TwoLines lab_panels[] = {
    {L"血常规（紫管 EDTA）：WBC、RBC、Hb、Hct、PLT、MCV/MCH/MCHC、中性/淋巴/单核/嗜酸/嗜碱比例。",
     L"注意：剧烈运动、情绪、采血时间可影响结果；PLT 聚集需涂片复核。"},
    {L"生化全套（红/金黄管）：肝功（ALT/AST/ALP/GGT/胆红素/白蛋白）、肾功（BUN/Cr/UA）、血糖、血脂、电解质。",
     L"注意：空腹 8-12 小时；溶血标本钾、AST 假性升高。"},
    {L"凝血四项（淡蓝管）：PT、INR、APTT、TT、纤维蛋白原、D-二聚体。",
     L"注意：采血量必须达刻度；肝素治疗中查 APTT。"},
    {L"甲状腺功能（红/金黄管）：TSH、FT3、FT4、TPOAb、TgAb。",
     L"注意：空腹；含碘造影剂后 1 周内避免复查。"},
    {L"心肌损伤标志物：cTnI/cTnT、CK-MB、肌红蛋白、BNP/NT-proBNP。",
     L"注意：胸痛发作后 2-4 小时开始升高；动态复查更有意义。"},
    {L"尿常规（清洁中段尿）：尿蛋白、尿糖、尿潜血、白细胞、亚硝酸盐、比重、pH、镜检。",
     L"注意：留取中段尿，1 小时内送检；月经期避免。"},
};

constexpr int HIGH_ALERT_CATEGORY_COUNT = (int)(sizeof high_alert_categories / sizeof high_alert_categories[0]);
constexpr int LAB_PANEL_COUNT = (int)(sizeof lab_panels / sizeof lab_panels[0]);
constexpr int HANDOVER_MAX_BEDS = 30;

}  // namespace

int report_blood_draw_order(const PreparedTool& tool, const double* input_values, wchar_t* result_text,
                            int result_capacity, wchar_t* verdict, int verdict_capacity) {
    const char* const* key = report_keys[REPORT_BLOOD_DRAW_ORDER];
    int k = report_whole_value(tool, input_values, key[0]);
    append_lines(result_text, result_capacity, blood_draw_steps,
                 (int)(sizeof blood_draw_steps / sizeof blood_draw_steps[0]));
    report_append_line(result_text, result_capacity, L"%ls", report_entry_or_last(blood_draw_this_time, k));
    text_copy(verdict, verdict_capacity, L"按标准顺序采血可减少溶血与交叉污染");
    return 0;
}

int report_high_alert_drugs(const PreparedTool& tool, const double* input_values, wchar_t* result_text,
                            int result_capacity, wchar_t* verdict, int verdict_capacity) {
    const char* const* key = report_keys[REPORT_HIGH_ALERT_DRUGS];
    int k = report_whole_value(tool, input_values, key[0]);
    report_append_line(result_text, result_capacity, L"高警示药品类别与要点：");
    const TwoLines* category = report_listed_entry(high_alert_categories, k);
    if (!category)
        return ask_for_listed_number(k, HIGH_ALERT_CATEGORY_COUNT, L"药品类别", result_text,
                                     result_capacity, verdict, verdict_capacity);
    report_append_line(result_text, result_capacity, L"%ls", category->first);
    report_append_line(result_text, result_capacity, L"%ls", category->second);
    text_copy(verdict, verdict_capacity, L"高警示药品须专区、专标识、双人核对");
    return 0;
}

int report_surgical_safety_checklist(const PreparedTool&, const double*, wchar_t* result_text,
                                     int result_capacity, wchar_t* verdict, int verdict_capacity) {
    append_lines(result_text, result_capacity, safety_checklist,
                 (int)(sizeof safety_checklist / sizeof safety_checklist[0]));
    text_copy(verdict, verdict_capacity, L"三方核查缺一不可，签字后归档");
    return 0;
}

int report_handover_sheet(const PreparedTool& tool, const double* input_values, wchar_t* result_text,
                          int result_capacity, wchar_t* verdict, int verdict_capacity) {
    const char* const* key = report_keys[REPORT_HANDOVER_SHEET];
    int beds = report_whole_value(tool, input_values, key[0]);
    if (beds < 1) beds = 1;
    if (beds > HANDOVER_MAX_BEDS) beds = HANDOVER_MAX_BEDS;
    report_append_line(result_text, result_capacity,
                       L"交班报告（床号 / 诊断 / 本班病情 / 治疗与管路 / 需下一班关注）：");
    for (int b = 1; b <= beds; b++)
        report_append_line(result_text, result_capacity,
                           L"%02d 床：诊断＿＿；体温＿℃ 脉搏＿次/分 呼吸＿次/分 血压＿/＿mmHg "
                           L"SpO2＿%%；本班处置＿＿；管路（静脉/引流/导尿/吸氧）＿＿；下一班关注＿＿。",
                           b);
    report_append_line(result_text, result_capacity, L"");
    report_append_line(result_text, result_capacity,
                       L"危重患者须床旁交接；新入院、手术、输血、病情变化患者逐一交接并双签名。");
    text_copy(verdict, verdict_capacity, L"模板已生成，床旁交接并双方签名");
    return 0;
}

int report_lab_panel_guide(const PreparedTool& tool, const double* input_values, wchar_t* result_text,
                           int result_capacity, wchar_t* verdict, int verdict_capacity) {
    const char* const* key = report_keys[REPORT_LAB_PANEL_GUIDE];
    int p = report_whole_value(tool, input_values, key[0]);
    const TwoLines* panel = report_listed_entry(lab_panels, p);
    if (!panel)
        return ask_for_listed_number(p, LAB_PANEL_COUNT, L"检验套餐", result_text, result_capacity,
                                     verdict, verdict_capacity);
    report_append_line(result_text, result_capacity, L"%ls", panel->first);
    report_append_line(result_text, result_capacity, L"%ls", panel->second);
    text_copy(verdict, verdict_capacity, L"套餐与采血管已列出，按顺序采血");
    return 0;
}
