// Ward reference reports: two drugs checked for sharing a bag, the
// laboratory critical values of one group, and the intravenous infusion card.
#include "reports/reports.h"

namespace {

#define DRUG_NAME(number, name) name,
const wchar_t* const drug_names[] = {REPORT_DRUGS(DRUG_NAME)};
#undef DRUG_NAME
constexpr int DRUG_COUNT = (int)(sizeof drug_names / sizeof drug_names[0]);

constexpr int DRUG_SLOT = 32;
// The report's key to the numbers: this many drugs a line.
constexpr int DRUGS_PER_KEY_LINE = 5;

bool drug_listed(int number) { return report_number_listed(number, DRUG_COUNT); }

// A drug as the report names it. A number outside the list names no drug,
// and says so rather than borrowing a listed drug's name.
void name_drug(int number, wchar_t* slot) {
    if (drug_listed(number))
        text_format(slot, DRUG_SLOT, L"%d 号 %ls", number, drug_names[number - 1]);
    else
        text_format(slot, DRUG_SLOT, L"%d 号（无此编号）", number);
}

struct Conclusion {
    const wchar_t* line;
    const wchar_t* verdict;
    int level;
};

const Conclusion contraindicated = {
    L"结论：禁忌配伍。头孢曲松与含钙注射液可形成不溶性沉淀；钙剂与碳酸氢钠亦不宜同瓶。",
    L"禁忌：不可同瓶输注，需间隔冲管", 3};
const Conclusion vancomycin_apart = {
    L"结论：不宜同瓶。万古霉素与碱性药物/奥美拉唑配伍稳定性差，应分开输注并冲管。",
    L"不宜同瓶，分开输注并冲管", 2};
const Conclusion furosemide_apart = {
    L"结论：不宜同瓶。呋塞米与多巴胺、氨溴索与碱性液混合易发生理化变化。",
    L"不宜同瓶，建议分开输注", 2};
const Conclusion better_apart = {
    L"结论：奥美拉唑与维生素C 同瓶 pH 冲突，稳定性下降，建议分开。", L"建议分开输注", 1};
const Conclusion not_listed = {
    L"结论：本工具库内未收录该组合的明确禁忌，但仍须查本院配伍表并现配现用、注意冲管。",
    L"未收录明确禁忌，仍需核对院内配伍表", 0};

// Pairs by the smaller number first; the first match decides.
struct PairRule {
    int low, high;
    const Conclusion* conclusion;
};
const PairRule pair_rules[] = {
    {1, 2, &contraindicated},  {2, 9, &contraindicated},  {3, 6, &vancomycin_apart},
    {3, 9, &vancomycin_apart}, {4, 10, &furosemide_apart}, {5, 9, &furosemide_apart},
    {6, 7, &better_apart},
};

// The numbers and their drugs, a few a line: "编号：1头孢曲松 2葡萄糖酸钙 …".
void append_drug_key(wchar_t* result_text, int result_capacity) {
    for (int first = 0; first < DRUG_COUNT; first += DRUGS_PER_KEY_LINE) {
        wchar_t line[REPORT_LINE_CAPACITY];
        int n = text_copy(line, REPORT_LINE_CAPACITY, first == 0 ? L"编号：" : L"      ");
        for (int k = first; k < first + DRUGS_PER_KEY_LINE && k < DRUG_COUNT; k++)
            n += text_format(line + n, REPORT_LINE_CAPACITY - n, k == first ? L"%d%ls" : L" %d%ls", k + 1,
                             drug_names[k]);
        report_append_line(result_text, result_capacity, L"%ls", line);
    }
}

const Conclusion& compatibility(int a, int b) {
    int low = a < b ? a : b, high = a < b ? b : a;
    for (const PairRule& rule : pair_rules)
        if (rule.low == low && rule.high == high) return *rule.conclusion;
    return not_listed;
}

struct CriticalGroup {
    const wchar_t* lines[3];  // unused entries are nullptr
};
const CriticalGroup critical_groups[] = {
    {{L"血钾 <2.5 或 >6.5 mmol/L", L"血钠 <120 或 >160 mmol/L", L"血钙 <1.5 或 >3.5 mmol/L"}},
    {{L"血糖 <2.8 或 >22.2 mmol/L", L"pH <7.20 或 >7.60；PaO2 <45 mmHg；PaCO2 >70 mmHg"}},
    {{L"白细胞 <1.0 或 >30.0 ×10^9/L", L"血红蛋白 <50 g/L；血小板 <20 或 >1000 ×10^9/L"}},
    {{L"INR >4.0；纤维蛋白原 <1.0 g/L", L"D-二聚体显著升高并伴临床血栓表现"}},
    {{L"血培养阳性（无菌部位）", L"脑脊液培养阳性；HIV 初筛阳性需确认"}},
    {{L"肌钙蛋白明显升高（高于第 99 百分位）", L"血淀粉酶/脂肪酶 >3 倍正常上限"}},
    {{L"请查阅本院《危急值报告目录》"}},
};

}  // namespace

int report_drug_compatibility(const PreparedTool& tool, const double* input_values,
                              wchar_t* result_text, int result_capacity, wchar_t* verdict,
                              int verdict_capacity) {
    const char* const* key = report_keys[REPORT_DRUG_COMPATIBILITY];
    int a = report_whole_value(tool, input_values, key[0]);
    int b = report_whole_value(tool, input_values, key[1]);
    wchar_t first[DRUG_SLOT], second[DRUG_SLOT];
    name_drug(a, first);
    name_drug(b, second);
    report_append_line(result_text, result_capacity, L"待查：%ls  +  %ls", first, second);
    report_append_line(result_text, result_capacity, L"");
    append_drug_key(result_text, result_capacity);
    report_append_line(result_text, result_capacity, L"");
    if (!drug_listed(a) || !drug_listed(b)) {
        // No table row speaks of a drug that is not in it: judging the pair
        // would pass an unknown drug off as a checked one.
        report_append_line(result_text, result_capacity, L"未作配伍判断：请按编号 1–%d 选择药品。",
                           DRUG_COUNT);
        text_format(verdict, verdict_capacity, L"请按编号 1–%d 选择药品", DRUG_COUNT);
        return 2;
    }
    const Conclusion& conclusion = compatibility(a, b);
    report_append_line(result_text, result_capacity, L"%ls", conclusion.line);
    text_copy(verdict, verdict_capacity, conclusion.verdict);
    return conclusion.level;
}

int report_critical_values(const PreparedTool& tool, const double* input_values, wchar_t* result_text,
                           int result_capacity, wchar_t* verdict, int verdict_capacity) {
    const char* const* key = report_keys[REPORT_CRITICAL_VALUES];
    int k = report_whole_value(tool, input_values, key[0]);
    const CriticalGroup& group = report_entry_or_last(critical_groups, k);
    report_append_line(result_text, result_capacity, L"常见检验危急值（参考，需以本院文件为准）：");
    for (const wchar_t* line : group.lines)
        if (line) report_append_line(result_text, result_capacity, L"%ls", line);
    report_append_line(result_text, result_capacity, L"");
    report_append_line(result_text, result_capacity,
                       L"处置要求：核实标本→15 分钟内电话报告临床→记录报告与接听人→医师 30 "
                       L"分钟内处理并记录。");
    text_copy(verdict, verdict_capacity, L"危急值必须闭环：报告、接收、处理、记录");
    return 0;
}

int report_infusion_card(const PreparedTool& tool, const double* input_values, wchar_t* result_text,
                         int result_capacity, wchar_t* verdict, int verdict_capacity) {
    const char* const* key = report_keys[REPORT_INFUSION_CARD];
    int bed = report_whole_value(tool, input_values, key[0]);
    double dose = report_input_value(tool, input_values, key[1]);
    double volume = report_input_value(tool, input_values, key[2]);
    double drops_per_minute = report_input_value(tool, input_values, key[3]);
    report_append_line(result_text, result_capacity, L"静脉输液卡");
    report_append_line(result_text, result_capacity, L"床号：%d", bed);
    report_append_line(result_text, result_capacity, L"药液：医嘱药量 %.2f ，加入溶媒 %.0f ml", dose,
                       volume);
    // 20 drops make 1 ml with a standard giving set: 60 minutes / 20 = 3.
    report_append_line(result_text, result_capacity, L"滴速：%.0f 滴/分（约 %.0f ml/h）",
                       drops_per_minute, drops_per_minute * 3);
    report_append_line(result_text, result_capacity, L"核对：药名/剂量/浓度/有效期/配伍；双人签名。");
    report_append_line(result_text, result_capacity, L"观察：穿刺点、滴速、输注反应；每 30 分钟巡视并记录。");
    text_copy(verdict, verdict_capacity, L"输液卡已生成，双人核对后执行");
    return 0;
}
