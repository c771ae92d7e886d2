// The month's workbook, through libxlsxwriter: the summary (汇总), a sheet
// per indicator family with a column chart by ward and a line chart of the
// thirteen months, the HIS figures the rates divide by, and 说明. Every
// share and rate is a formula over the cells it divides, written with its
// value as this program works it out, so that a reader that does not
// calculate sees the same figure as Excel, and a figure typed into the HIS
// sheet fills the rates that divide by it. A ward's name is always a text
// cell: a name that starts with "=" never becomes a formula.
#include <math.h>
#include <stdio.h>
#include <string.h>

#include <initializer_list>

#include "platform/platform.h"
#include "platform/text_format.h"
#include "quality/quality.h"
#include "xlsxwriter.h"

namespace {

// The face Excel and WPS both have on a Chinese Windows, with its
// character set named, so that neither substitutes one without the glyphs.
const char FACE[] = "宋体";
constexpr uint8_t GB2312_CHARSET = 134;
lxw_chart_font chart_font(double size, bool bold) {
    lxw_chart_font font = {};
    font.name = const_cast<char*>(FACE);
    font.size = size;
    font.bold = bold;
    font.charset = GB2312_CHARSET;
    return font;
}

const char HIS_SHEET[] = "HIS 数据";
const char SUMMARY_SHEET[] = "汇总";
const char NOTES_SHEET[] = "说明";
const char TOTAL[] = "合计";
const char HOSPITAL_TOTAL[] = "全院合计";
// Where a sheet's table of wards begins: two heading rows above it.
constexpr int HEAD_ROW = 3, FIRST_ROW = 5;

struct Formats {
    lxw_format *title, *note, *alarm, *head, *text, *count, *share, *rate, *input, *total_text, *total_count,
        *total_share, *total_rate;
};

struct Book {
    lxw_workbook* workbook;
    Formats f;
    const QualityFigures* figures;
};

lxw_format* format(lxw_workbook* workbook, double size, bool bold, const char* number, bool border,
                   lxw_color_t fill) {
    lxw_format* made = workbook_add_format(workbook);
    format_set_font_name(made, FACE);
    format_set_font_charset(made, GB2312_CHARSET);
    format_set_font_size(made, size);
    if (bold) format_set_bold(made);
    if (number) format_set_num_format(made, number);
    if (border) format_set_border(made, LXW_BORDER_THIN);
    if (fill) format_set_bg_color(made, fill);
    format_set_align(made, LXW_ALIGN_VERTICAL_CENTER);
    return made;
}

Formats make_formats(lxw_workbook* w) {
    Formats f = {};
    f.title = format(w, 14, true, nullptr, false, 0);
    f.note = format(w, 10, false, nullptr, false, 0);
    f.alarm = format(w, 11, true, nullptr, false, 0);
    format_set_font_color(f.alarm, 0xC00000);
    f.head = format(w, 10, true, nullptr, true, 0xDCE6F0);
    format_set_text_wrap(f.head);
    format_set_align(f.head, LXW_ALIGN_CENTER);
    f.text = format(w, 10, false, nullptr, true, 0);
    f.count = format(w, 10, false, "0", true, 0);
    f.share = format(w, 10, false, "0.0%", true, 0);
    f.rate = format(w, 10, false, "0.00", true, 0);
    // Cells the department types into stand out, and stay unlocked.
    f.input = format(w, 10, false, "0", true, 0xFFF2CC);
    format_set_unlocked(f.input);
    f.total_text = format(w, 10, true, nullptr, true, 0xF2F2F2);
    f.total_count = format(w, 10, true, "0", true, 0xF2F2F2);
    f.total_share = format(w, 10, true, "0.0%", true, 0xF2F2F2);
    f.total_rate = format(w, 10, true, "0.00", true, 0xF2F2F2);
    return f;
}

// ---- Texts and cells -----------------------------------------------------------------

// Appends as much of `piece` as fits, whole characters only.
void append(char* out, int capacity, const char* piece) {
    int at = (int)strlen(out);
    int n = (int)strlen(piece);
    if (at + n >= capacity) {
        n = capacity - 1 - at;
        while (n > 0 && (piece[n] & 0xC0) == 0x80) n--;
    }
    if (n <= 0) return;
    memcpy(out + at, piece, n);
    out[at + n] = 0;
}
void join(char* out, int capacity, std::initializer_list<const char*> pieces) {
    out[0] = 0;
    for (const char* piece : pieces) append(out, capacity, piece);
}

struct Utf8 {
    char bytes[utf8_capacity_for(512)];
};
Utf8 utf8(const wchar_t* text) {
    Utf8 u;
    if (utf8_from_wide(text, u.bytes, sizeof u.bytes) < 0) u.bytes[0] = 0;
    return u;
}

void month_words(QualityMonth month, char* out, int capacity) {
    snprintf(out, capacity, "%d年%d月", month.year, month.month);
}

// A cell's name, on another sheet when `sheet` is given: 'HIS 数据'!B5.
struct Ref {
    char text[96];
};
Ref ref(const char* sheet, int row, int column) {
    Ref r;
    char cell[16];
    lxw_rowcol_to_cell(cell, (lxw_row_t)row, (lxw_col_t)column);
    if (sheet)
        join(r.text, sizeof r.text, {"'", sheet, "'!", cell});
    else
        join(r.text, sizeof r.text, {cell});
    return r;
}

void put_count(lxw_worksheet* s, int row, int column, double value, lxw_format* f) {
    worksheet_write_number(s, (lxw_row_t)row, (lxw_col_t)column, value, f);
}

// A formula and the value it comes to; a formula that comes to nothing
// (a share of none) shows as empty.
void put_formula(lxw_worksheet* s, int row, int column, const char* formula, bool has, double value,
                 lxw_format* f) {
    if (has)
        worksheet_write_formula_num(s, (lxw_row_t)row, (lxw_col_t)column, formula, f, value);
    else
        worksheet_write_formula_str(s, (lxw_row_t)row, (lxw_col_t)column, formula, f, "");
}

// numerator / denominator (times `scale`) as a formula over their cells.
void put_share(lxw_worksheet* s, int row, int column, const Ref& numerator, const Ref& denominator,
               double num, double den, double scale, lxw_format* f) {
    char formula[256];
    join(formula, sizeof formula,
         {"=IF(N(", denominator.text, ")>0,N(", numerator.text, ")/N(", denominator.text, ")",
          scale == 1000 ? "*1000" : "", ",\"\")"});
    put_formula(s, row, column, formula, den > 0, den > 0 ? num / den * scale : 0, f);
}

// The sum of a column's ward cells, on the total row: the typed HIS
// figures', which no view counts.
void put_total(lxw_worksheet* s, int row, int column, int wards, lxw_format* f) {
    if (wards == 0) {
        put_count(s, row, column, 0, f);
        return;
    }
    char formula[96];
    join(formula, sizeof formula,
         {"=SUM(", ref(nullptr, FIRST_ROW, column).text, ":", ref(nullptr, FIRST_ROW + wards - 1, column).text, ")"});
    put_formula(s, row, column, formula, true, 0, f);
}

void put_text(lxw_worksheet* s, int row, int column, const wchar_t* text, lxw_format* f) {
    worksheet_write_string(s, (lxw_row_t)row, (lxw_col_t)column, utf8(text).bytes, f);
}

// ---- Figures -------------------------------------------------------------------------

// A place is a ward's row or QUALITY_HOSPITAL, the total row's.
double tool_count(const QualityFigures& f, int month, int place, int slot, int count) {
    return (double)f.scale[month][place][slot][count];
}
double family_count(const QualityFigures& f, int month, int place, int family, int count) {
    return (double)f.family[month][place][family][count];
}
double stay_count(const QualityFigures& f, int month, int place, int count) {
    return (double)f.stay[month][place][count];
}

bool month_empty(const QualityFigures& f, int month) {
    for (int family = 0; family < QUALITY_FAMILY_COUNT; family++)
        if (family_count(f, month, QUALITY_HOSPITAL, family, QC_ASSESSMENTS) > 0) return false;
    return true;
}

// On A4 across, `wide` pages wide (0: where its own page breaks put it),
// the wards and the headings on every page.
void paper(lxw_worksheet* s, int wide) {
    worksheet_set_landscape(s);
    worksheet_set_paper(s, 9);
    worksheet_repeat_rows(s, HEAD_ROW, FIRST_ROW - 1);
    worksheet_repeat_columns(s, 0, 0);
    if (wide > 0) worksheet_fit_to_pages(s, (uint16_t)wide, 0);
}

void ward_rows(Book& b, lxw_worksheet* s, int head_row) {
    const QualityFigures& f = *b.figures;
    worksheet_merge_range(s, (lxw_row_t)head_row, 0, (lxw_row_t)head_row + 1, 0, "病区", b.f.head);
    // Records saved with no ward are a row of their own, named so.
    for (int w = 0; w < f.ward_count; w++)
        put_text(s, FIRST_ROW + w, 0, f.wards[w][0] ? f.wards[w] : L"（未填病区）", b.f.text);
    // Below some wards only, the whole hospital's row is more than their sum.
    worksheet_write_string(s, (lxw_row_t)(FIRST_ROW + f.ward_count), 0, f.listed ? HOSPITAL_TOTAL : TOTAL,
                           b.f.total_text);
    worksheet_set_column(s, 0, 0, 18, nullptr);
    worksheet_freeze_panes(s, FIRST_ROW, 1);
}

// ---- HIS 数据 ------------------------------------------------------------------------

// The HIS sheet's columns of a ward (row FIRST_ROW + ward; the total's below).
enum HisColumn { HIS_ADMISSIONS = 1, HIS_DISCHARGES, HIS_BED_DAYS };
const QualityStayCount HIS_COUNTS[] = {QS_ADMISSIONS, QS_DISCHARGES, QS_BED_DAYS};
const char* const HIS_HEADS[] = {"入院人数", "出院人数", "实际占用床日数"};

Ref his_ref(int ward, HisColumn column) { return ref(HIS_SHEET, FIRST_ROW + ward, column); }

void his_sheet(Book& b, lxw_worksheet* s) {
    const QualityFigures& f = *b.figures;
    char title[128], month[32];
    month_words(f.month, month, sizeof month);
    join(title, sizeof title, {"住院数据（HIS）· ", month, " · 各病区"});
    worksheet_write_string(s, 0, 0, title, b.f.title);
    worksheet_write_string(s, 1, 0,
                           f.stays ? "以下数字来自医院数据库的住院名单 orvomed.stays。"
                                   : "医院数据库中没有住院名单 orvomed.stays：请按 HIS 填写各病区本月的入院人数、"
                                     "出院人数和实际占用床日数（黄色格），其他工作表中以它们为分母的入院 24 h 内评估率"
                                     "和每千床日评估人次随之算出。出院人数暂不参与计算：VTE 风险评估率需要住院名单。",
                           b.f.note);
    ward_rows(b, s, HEAD_ROW);
    for (int c = 0; c < 3; c++) {
        worksheet_merge_range(s, HEAD_ROW, (lxw_col_t)(1 + c), HEAD_ROW + 1, (lxw_col_t)(1 + c), HIS_HEADS[c],
                              b.f.head);
        for (int w = 0; w < f.ward_count; w++) {
            if (f.stays)
                put_count(s, FIRST_ROW + w, 1 + c, stay_count(f, QUALITY_THIS_MONTH, w, HIS_COUNTS[c]), b.f.count);
            else
                worksheet_write_blank(s, (lxw_row_t)(FIRST_ROW + w), (lxw_col_t)(1 + c), b.f.input);
        }
        if (f.stays)
            put_count(s, FIRST_ROW + f.ward_count, 1 + c, stay_count(f, QUALITY_THIS_MONTH, QUALITY_HOSPITAL, HIS_COUNTS[c]),
                      b.f.total_count);
        else
            put_total(s, FIRST_ROW + f.ward_count, 1 + c, f.ward_count, b.f.total_count);
    }
    worksheet_set_column(s, 1, 3, 14, nullptr);
}

// A HIS figure shown on another sheet: a formula over its cell.
void put_his(Book& b, lxw_worksheet* s, int row, int column, int ward, HisColumn his, bool total) {
    const QualityFigures& f = *b.figures;
    char formula[128];
    join(formula, sizeof formula, {"=N(", his_ref(ward, his).text, ")"});
    double value = f.stays ? stay_count(f, QUALITY_THIS_MONTH, total ? QUALITY_HOSPITAL : ward, HIS_COUNTS[his - 1]) : 0;
    put_formula(s, row, column, formula, true, value, total ? b.f.total_count : b.f.count);
}

// ---- A family's sheet ------------------------------------------------------------------

// Each scale's columns.
enum ToolColumn {
    T_ASSESSMENTS, T_PATIENTS, T_HIGH_RESULTS, T_HIGH_PATIENTS, T_HIGH_SHARE, T_DUE, T_ON_TIME, T_ON_TIME_SHARE,
    TOOL_COLUMNS,
};
const char* const TOOL_HEADS[TOOL_COLUMNS] = {"评估人次", "评估患者数", "高危人次", "高危患者数",
                                              "高危患者占比", "应复评次数", "按时复评次数", "复评及时率"};
const QualityScaleCount TOOL_COUNTS[TOOL_COLUMNS] = {QC_ASSESSMENTS,    QC_PATIENTS, QC_HIGH_RESULTS,
                                                     QC_HIGH_PATIENTS,  QC_ASSESSMENTS, QC_DUE,
                                                     QC_ON_TIME,        QC_ASSESSMENTS};

int tool_column(int tool, int column) { return 1 + tool * TOOL_COLUMNS + column; }

// One row of a scale's columns: a ward's, or the whole hospital's on the
// total row, where a patient two wards assessed counts once.
void tool_cells(Book& b, lxw_worksheet* s, int row, int place, int slot, int tool) {
    const QualityFigures& f = *b.figures;
    const bool total = place == QUALITY_HOSPITAL;
    for (int c = 0; c < TOOL_COLUMNS; c++) {
        int column = tool_column(tool, c);
        if (c == T_HIGH_SHARE || c == T_ON_TIME_SHARE) {
            int num = c == T_HIGH_SHARE ? T_HIGH_PATIENTS : T_ON_TIME, den = c == T_HIGH_SHARE ? T_PATIENTS : T_DUE;
            put_share(s, row, column, ref(nullptr, row, tool_column(tool, num)), ref(nullptr, row, tool_column(tool, den)),
                      tool_count(f, QUALITY_THIS_MONTH, place, slot, TOOL_COUNTS[num]),
                      tool_count(f, QUALITY_THIS_MONTH, place, slot, TOOL_COUNTS[den]), 1,
                      total ? b.f.total_share : b.f.share);
        } else {
            put_count(s, row, column, tool_count(f, QUALITY_THIS_MONTH, place, slot, TOOL_COUNTS[c]),
                      total ? b.f.total_count : b.f.count);
        }
    }
}

// The family's own columns after its scales': what divides by the HIS figures.
struct FamilyColumns {
    int assessments, bed_days, per_thousand;
    int admissions, admitted_24h, admitted_share;  // -1 when the family has none
    int discharges, vte_assessed, vte_share, vte_moderate_high, vte_moderate_high_share;  // -1: no stays
    int end;
};
FamilyColumns family_columns(const QualityFamily& family, bool stays) {
    FamilyColumns c = {};
    int at = tool_column(family.tool_count, 0);
    c.assessments = at++;
    c.bed_days = at++;
    c.per_thousand = at++;
    c.admissions = c.admitted_24h = c.admitted_share = -1;
    c.discharges = c.vte_assessed = c.vte_share = c.vte_moderate_high = c.vte_moderate_high_share = -1;
    if (family.admission >= 0) {
        c.admissions = at++;
        c.admitted_24h = at++;
        c.admitted_share = at++;
    }
    // Which discharges had a VTE assessment during their stay only the
    // stays can tell.
    if (stays && family.vte) {
        c.discharges = at++;
        c.vte_assessed = at++;
        c.vte_share = at++;
        c.vte_moderate_high = at++;
        c.vte_moderate_high_share = at++;
    }
    c.end = at;
    return c;
}

void family_cells(Book& b, lxw_worksheet* s, int family, const FamilyColumns& c, int row, int place) {
    const QualityFigures& f = *b.figures;
    const QualityFamily& fam = quality_families[family];
    const bool total = place == QUALITY_HOSPITAL;
    const int his_row = total ? f.ward_count : place;
    lxw_format* count = total ? b.f.total_count : b.f.count;
    lxw_format* share = total ? b.f.total_share : b.f.share;
    double assessments = family_count(f, QUALITY_THIS_MONTH, place, family, QC_ASSESSMENTS);
    char formula[512] = "=";
    for (int t = 0; t < fam.tool_count; t++) {
        if (t) append(formula, sizeof formula, "+");
        append(formula, sizeof formula, ref(nullptr, row, tool_column(t, T_ASSESSMENTS)).text);
    }
    put_formula(s, row, c.assessments, formula, true, assessments, count);
    put_his(b, s, row, c.bed_days, his_row, HIS_BED_DAYS, total);
    put_share(s, row, c.per_thousand, ref(nullptr, row, c.assessments), ref(nullptr, row, c.bed_days), assessments,
              stay_count(f, QUALITY_THIS_MONTH, place, QS_BED_DAYS), 1000, total ? b.f.total_rate : b.f.rate);
    if (c.admissions >= 0) {
        put_his(b, s, row, c.admissions, his_row, HIS_ADMISSIONS, total);
        double within = stay_count(f, QUALITY_THIS_MONTH, place, fam.admission);
        put_count(s, row, c.admitted_24h, within, count);
        put_share(s, row, c.admitted_share, ref(nullptr, row, c.admitted_24h), ref(nullptr, row, c.admissions), within,
                  stay_count(f, QUALITY_THIS_MONTH, place, QS_ADMISSIONS), 1, share);
    }
    if (c.discharges >= 0) {
        put_his(b, s, row, c.discharges, his_row, HIS_DISCHARGES, total);
        double assessed = stay_count(f, QUALITY_THIS_MONTH, place, QS_VTE_ASSESSED);
        double moderate_high = stay_count(f, QUALITY_THIS_MONTH, place, QS_VTE_MODERATE_HIGH);
        put_count(s, row, c.vte_assessed, assessed, count);
        put_count(s, row, c.vte_moderate_high, moderate_high, count);
        put_share(s, row, c.vte_share, ref(nullptr, row, c.vte_assessed), ref(nullptr, row, c.discharges), assessed,
                  stay_count(f, QUALITY_THIS_MONTH, place, QS_DISCHARGES), 1, share);
        put_share(s, row, c.vte_moderate_high_share, ref(nullptr, row, c.vte_moderate_high),
                  ref(nullptr, row, c.vte_assessed), moderate_high, assessed, 1, share);
    }
}

void family_sheet(Book& b, lxw_worksheet* s, int family) {
    const QualityFigures& f = *b.figures;
    const QualityFamily& fam = quality_families[family];
    char title[160], month[32];
    month_words(f.month, month, sizeof month);
    join(title, sizeof title, {utf8(fam.name).bytes, " · ", month, " · 各病区"});
    worksheet_write_string(s, 0, 0, title, b.f.title);
    put_text(s, 1, 0, fam.indicator, b.f.note);
    FamilyColumns c = family_columns(fam, f.stays);
    // A sheet of some thirty columns on one page's width is too small to read.
    paper(s, c.end > 24 ? 2 : 1);
    if (!f.stays && fam.admission >= 0)
        worksheet_write_string(s, 2, 0,
                               fam.vte ? "入院人数和床日请在“HIS 数据”表填写。VTE 风险评估率需要医院数据库中的住院名单 "
                                         "orvomed.stays，信息科定义后再生成本月报即有。"
                                       : "入院人数和床日请在“HIS 数据”表填写，以它们为分母的比率随之算出。",
                               b.f.note);
    ward_rows(b, s, HEAD_ROW);
    for (int t = 0; t < fam.tool_count; t++) {
        worksheet_merge_range(s, HEAD_ROW, (lxw_col_t)tool_column(t, 0), HEAD_ROW,
                              (lxw_col_t)tool_column(t, TOOL_COLUMNS - 1), utf8(fam.tool_names[t]).bytes, b.f.head);
        for (int k = 0; k < TOOL_COLUMNS; k++)
            worksheet_write_string(s, HEAD_ROW + 1, (lxw_col_t)tool_column(t, k), TOOL_HEADS[k], b.f.head);
    }
    worksheet_merge_range(s, HEAD_ROW, (lxw_col_t)c.assessments, HEAD_ROW, (lxw_col_t)(c.end - 1),
                          utf8(fam.name).bytes, b.f.head);
    const struct {
        int column;
        const char* head;
    } own[] = {{c.assessments, "评估人次合计"},
               {c.bed_days, "实际占用床日数"},
               {c.per_thousand, "每千床日评估人次"},
               {c.admissions, "入院人数"},
               {c.admitted_24h, "入院 24 h 内评估数"},
               {c.admitted_share, "入院 24 h 内评估率"},
               {c.discharges, "出院人数"},
               {c.vte_assessed, "住院期间已评估 VTE 风险的出院患者"},
               {c.vte_share, "VTE 风险评估率"},
               {c.vte_moderate_high, "其中 VTE 中高危"},
               {c.vte_moderate_high_share, "VTE 中高危占比"}};
    for (const auto& o : own)
        if (o.column >= 0) worksheet_write_string(s, HEAD_ROW + 1, (lxw_col_t)o.column, o.head, b.f.head);
    for (int w = 0; w <= f.ward_count; w++) {
        const int place = w == f.ward_count ? QUALITY_HOSPITAL : w;
        for (int t = 0; t < fam.tool_count; t++) tool_cells(b, s, FIRST_ROW + w, place, quality_family_slot(family, t), t);
        family_cells(b, s, family, c, FIRST_ROW + w, place);
    }
    worksheet_set_column(s, 1, (lxw_col_t)(c.end - 1), 10, nullptr);
    worksheet_set_row(s, HEAD_ROW + 1, 42, nullptr);

    // The thirteen months of the whole hospital.
    const int trend = FIRST_ROW + f.ward_count + 3;
    worksheet_write_string(s, (lxw_row_t)trend, 0, "近 13 个月（全院）", b.f.title);
    const char* const heads[] = {"月份", "评估人次", "评估患者数", "高危患者数", "高危患者占比", "应复评次数",
                                 "按时复评次数", "复评及时率"};
    const QualityScaleCount counts[] = {QC_ASSESSMENTS, QC_ASSESSMENTS, QC_PATIENTS, QC_HIGH_PATIENTS,
                                        QC_ASSESSMENTS, QC_DUE,         QC_ON_TIME,  QC_ASSESSMENTS};
    for (int k = 0; k < 8; k++) worksheet_write_string(s, (lxw_row_t)trend + 1, (lxw_col_t)k, heads[k], b.f.head);
    for (int m = 0; m < QUALITY_MONTHS; m++) {
        const int row = trend + 2 + m;
        wchar_t text[16];
        quality_month_text(quality_month_add(f.month, m - QUALITY_THIS_MONTH), text, 16);
        put_text(s, row, 0, text, b.f.text);
        for (int k = 1; k < 8; k++) {
            if (k == 4 || k == 7) {
                int num = k == 4 ? 3 : 6, den = k == 4 ? 2 : 5;
                put_share(s, row, k, ref(nullptr, row, num), ref(nullptr, row, den),
                          family_count(f, m, QUALITY_HOSPITAL, family, counts[num]),
                          family_count(f, m, QUALITY_HOSPITAL, family, counts[den]), 1, b.f.share);
            } else {
                put_count(s, row, k, family_count(f, m, QUALITY_HOSPITAL, family, counts[k]), b.f.count);
            }
        }
    }
    const int charts = trend + 2 + QUALITY_MONTHS + 1;
    char name[64];
    lxw_chart_font title_font = chart_font(12, true), font = chart_font(9, false);
    if (f.ward_count > 0) {
        lxw_chart* column = workbook_add_chart(b.workbook, LXW_CHART_COLUMN);
        join(name, sizeof name, {"各病区评估人次（", month, "）"});
        chart_title_set_name(column, name);
        chart_title_set_name_font(column, &title_font);
        for (int t = 0; t < fam.tool_count; t++) {
            lxw_chart_series* series = chart_add_series(column, nullptr, nullptr);
            chart_series_set_categories(series, utf8(fam.name).bytes, FIRST_ROW, 0, (lxw_row_t)(FIRST_ROW + f.ward_count - 1), 0);
            chart_series_set_values(series, utf8(fam.name).bytes, FIRST_ROW, (lxw_col_t)tool_column(t, T_ASSESSMENTS),
                                    (lxw_row_t)(FIRST_ROW + f.ward_count - 1), (lxw_col_t)tool_column(t, T_ASSESSMENTS));
            chart_series_set_name(series, utf8(fam.tool_names[t]).bytes);
        }
        chart_axis_set_num_font(column->x_axis, &font);
        chart_axis_set_num_font(column->y_axis, &font);
        chart_legend_set_font(column, &font);
        worksheet_insert_chart(s, (lxw_row_t)charts, 0, column);
    }
    lxw_chart* line = workbook_add_chart(b.workbook, LXW_CHART_LINE);
    chart_title_set_name(line, "近 13 个月高危患者占比与复评及时率");
    chart_title_set_name_font(line, &title_font);
    const int shares[] = {4, 7};
    for (int k : shares) {
        lxw_chart_series* series = chart_add_series(line, nullptr, nullptr);
        chart_series_set_categories(series, utf8(fam.name).bytes, (lxw_row_t)trend + 2, 0,
                                    (lxw_row_t)(trend + 1 + QUALITY_MONTHS), 0);
        chart_series_set_values(series, utf8(fam.name).bytes, (lxw_row_t)trend + 2, (lxw_col_t)k,
                                (lxw_row_t)(trend + 1 + QUALITY_MONTHS), (lxw_col_t)k);
        chart_series_set_name(series, heads[k]);
        chart_series_set_marker_type(series, LXW_CHART_MARKER_CIRCLE);
    }
    chart_axis_set_num_format(line->y_axis, "0%");
    chart_axis_set_num_font(line->x_axis, &font);
    chart_axis_set_num_font(line->y_axis, &font);
    chart_legend_set_font(line, &font);
    worksheet_insert_chart(s, (lxw_row_t)charts, f.ward_count > 0 ? 8 : 0, line);
}

// ---- 汇总 ------------------------------------------------------------------------------

// An indicator of the summary: a family's count or share, or a stays' one.
struct SummaryIndicator {
    int family;       // the family its heading names, -1 for none
    bool stays;       // QualityStayCount's, else the family's QualityScaleCount's
    int numerator;    // ADMITTED: the family's own admission count
    int denominator;  // -1: a count
    const char* name;
};
constexpr int ADMITTED = -1;
const SummaryIndicator FAMILY_INDICATORS[] = {
    {0, false, QC_ASSESSMENTS, -1, "评估人次"},
    {0, false, QC_HIGH_PATIENTS, QC_PATIENTS, "高危患者占比"},
    {0, false, QC_ON_TIME, QC_DUE, "复评及时率"},
    {0, true, ADMITTED, QS_ADMISSIONS, "入院 24 h 内评估率"},
};
const SummaryIndicator STAY_INDICATORS[] = {
    {-1, true, QS_ADMISSIONS, -1, "入院人数"},
    {-1, true, QS_DISCHARGES, -1, "出院人数"},
    {-1, true, QS_BED_DAYS, -1, "实际占用床日数"},
    {-1, true, QS_VTE_ASSESSED, QS_DISCHARGES, "VTE 风险评估率"},
    {-1, true, QS_VTE_MODERATE_HIGH, QS_VTE_ASSESSED, "VTE 中高危占比"},
};

double indicator_count(const QualityFigures& f, const SummaryIndicator& i, int month, int place, int count) {
    if (count == ADMITTED) count = quality_families[i.family].admission;
    return i.stays ? stay_count(f, month, place, count) : family_count(f, month, place, i.family, count);
}

// An indicator's value in a month: false where a share has no denominator.
bool indicator_value(const QualityFigures& f, const SummaryIndicator& i, int month, int place, double* value) {
    double num = indicator_count(f, i, month, place, i.numerator);
    if (i.denominator < 0) {
        *value = num;
        return true;
    }
    double den = indicator_count(f, i, month, place, i.denominator);
    *value = den > 0 ? num / den : 0;
    return den > 0;
}

void summary_indicator(Book& b, lxw_worksheet* s, int column, const SummaryIndicator& i) {
    const QualityFigures& f = *b.figures;
    char head[96];
    if (i.family >= 0)
        join(head, sizeof head, {utf8(quality_families[i.family].name).bytes, "：", i.name});
    else
        join(head, sizeof head, {i.name});
    worksheet_merge_range(s, HEAD_ROW, (lxw_col_t)column, HEAD_ROW, (lxw_col_t)column + 3, head, b.f.head);
    const char* const periods[] = {"本期", "同期", "同比", "上月"};
    const int months[] = {QUALITY_THIS_MONTH, QUALITY_SAME_MONTH_LAST_YEAR, -1, QUALITY_LAST_MONTH};
    for (int p = 0; p < 4; p++)
        worksheet_write_string(s, HEAD_ROW + 1, (lxw_col_t)(column + p), periods[p], b.f.head);
    // Without the stays, the admissions are this month's typed ones: no
    // other month has any.
    const bool typed = i.stays && !f.stays;
    for (int w = 0; w <= f.ward_count; w++) {
        const bool total = w == f.ward_count;
        const int row = FIRST_ROW + w, place = total ? QUALITY_HOSPITAL : w;
        lxw_format* number = i.denominator < 0 ? (total ? b.f.total_count : b.f.count)
                                               : (total ? b.f.total_share : b.f.share);
        double values[4] = {};
        bool has[4] = {};
        for (int p = 0; p < 4; p++) {
            if (months[p] < 0) continue;
            if (typed && months[p] == QUALITY_THIS_MONTH) {
                char formula[160], num[32];
                Ref den = his_ref(w, HIS_ADMISSIONS);
                snprintf(num, sizeof num, "%.0f", indicator_count(f, i, months[p], place, i.numerator));
                join(formula, sizeof formula, {"=IF(N(", den.text, ")>0,", num, "/N(", den.text, "),\"\")"});
                put_formula(s, row, column + p, formula, false, 0, number);
                continue;
            }
            has[p] = !typed && indicator_value(f, i, months[p], place, &values[p]);
            if (has[p])
                worksheet_write_number(s, (lxw_row_t)row, (lxw_col_t)(column + p), values[p], number);
            else
                worksheet_write_blank(s, (lxw_row_t)row, (lxw_col_t)(column + p), number);
        }
        char formula[256];
        Ref now = ref(nullptr, row, column), before = ref(nullptr, row, column + 1);
        join(formula, sizeof formula,
             {"=IF(AND(ISNUMBER(", now.text, "),ISNUMBER(", before.text, "),N(", before.text, ")<>0),(", now.text,
              "-", before.text, ")/", before.text, ",\"\")"});
        const bool change = has[0] && has[1] && values[1] != 0;
        put_formula(s, row, column + 2, formula, change, change ? (values[0] - values[1]) / values[1] : 0,
                    total ? b.f.total_share : b.f.share);
    }
}

void summary_sheet(Book& b, lxw_worksheet* s, const wchar_t* made) {
    const QualityFigures& f = *b.figures;
    char title[128], month[32], line[320];
    month_words(f.month, month, sizeof month);
    join(title, sizeof title, {"护理质量指标月报 · ", month});
    worksheet_write_string(s, 0, 0, title, b.f.title);
    wchar_t same[16], last[16], now[16];
    quality_month_text(f.month, now, 16);
    quality_month_text(quality_month_add(f.month, -12), same, 16);
    quality_month_text(quality_month_add(f.month, -1), last, 16);
    join(line, sizeof line,
         {"本期 ", utf8(now).bytes, "；同期 ", utf8(same).bytes, "；上月 ", utf8(last).bytes,
          "；同比 =（本期 − 同期）÷ 同期。合计为全院，转科患者只计一次。生成于 ", utf8(made).bytes, "。"});
    worksheet_write_string(s, 1, 0, line, b.f.note);
    if (month_empty(f, QUALITY_THIS_MONTH))
        worksheet_write_string(s, 2, 0, "本月医院数据库中没有评估记录：下表各项为 0 或空白。", b.f.alarm);
    ward_rows(b, s, HEAD_ROW);
    int column = 1;
    for (int family = 0; family < QUALITY_FAMILY_COUNT; family++) {
        for (const SummaryIndicator& i : FAMILY_INDICATORS) {
            if (i.numerator == ADMITTED && quality_families[family].admission < 0) continue;
            SummaryIndicator of = i;
            of.family = family;
            summary_indicator(b, s, column, of);
            column += 4;
        }
    }
    if (f.stays)
        for (const SummaryIndicator& i : STAY_INDICATORS) {
            summary_indicator(b, s, column, i);
            column += 4;
        }
    worksheet_set_column(s, 1, (lxw_col_t)(column - 1), 7, nullptr);
    // Three indicators a page, none cut in two: the hundred-odd columns
    // fitted on a few pages would be too small to read.
    constexpr int PER_PAGE = 3;
    constexpr int MOST = QUALITY_FAMILY_COUNT * (int)(sizeof FAMILY_INDICATORS / sizeof FAMILY_INDICATORS[0]) +
                         (int)(sizeof STAY_INDICATORS / sizeof STAY_INDICATORS[0]);
    lxw_col_t breaks[MOST / PER_PAGE + 1] = {};
    for (int k = 0, at = 1 + 4 * PER_PAGE; at < column && k < MOST / PER_PAGE; k++, at += 4 * PER_PAGE)
        breaks[k] = (lxw_col_t)at;
    worksheet_set_v_pagebreaks(s, breaks);
    worksheet_set_print_scale(s, 90);
}

// ---- 说明 ------------------------------------------------------------------------------

void notes_sheet(Book& b, lxw_worksheet* s, const wchar_t* version, const wchar_t* made) {
    const QualityFigures& f = *b.figures;
    char line[512], month[32];
    month_words(f.month, month, sizeof month);
    join(line, sizeof line, {"护理质量指标月报 · ", month, " · 各项的定义"});
    worksheet_write_string(s, 0, 0, line, b.f.title);
    const char* const heads[] = {"指标", "分子", "分母", "依据"};
    for (int k = 0; k < 4; k++) worksheet_write_string(s, 2, (lxw_col_t)k, heads[k], b.f.head);
    const char* const rows[][4] = {
        {"评估人次", "本月保存的该量表评估结果条数（评估时间在本月）", "—", "视图 orvomed.quality_totals"},
        {"评估患者数", "本月做过该量表评估的患者数（住院号与姓名相同为同一患者）", "—", "orvomed.quality_totals"},
        {"高危患者占比", "本月有一次以上评估结果为高危（级别 2、3）的患者数", "本月该量表评估患者数",
         "护理敏感质量指标（2016）：风险评估；orvomed.quality_totals"},
        {"复评及时率", "应复评时间在本月且已到的评估中，到期前（含到期时刻）做了同一患者同一量表下次评估的次数",
         "应复评时间在本月且已到的评估次数（有住院名单时，出院后才到期的不计）", "orvomed.quality_reassessments"},
        {"每千床日评估人次", "本月评估人次", "本月实际占用床日数（HIS 数据）× 1/1000", "HIS 数据"},
        {"入院 24 h 内评估率",
         "本月入院患者中，入院后 24 小时内做了该量表评估的人数（VTE：Caprini 或 Padua）；没有住院名单时按评估记录所带的"
         "入院时间，计在做评估的病区",
         "本月入院人数（住院名单，或 HIS 数据表）",
         "护理专业医疗质量控制指标（2020）；orvomed.quality_stays 或 orvomed.quality_admissions"},
        {"VTE 风险评估率", "本月出院患者中，住院期间做过 Caprini 或 Padua 评估的人数", "本月出院人数",
         "VTE 防治质量指标（2022）；国家医疗质量安全改进目标（2021–2023）；orvomed.quality_stays"},
        {"VTE 中高危占比", "其中评估为中危或高危（级别 2 及以上）的人数", "住院期间做过 VTE 风险评估的出院患者数",
         "orvomed.quality_stays"},
        {"实际占用床日数", "本月每天 24 时在院患者数之和", "—", "HIS 或 orvomed.quality_stays"},
        {"合计", "全院（含未列出的病区）：评估患者数、高危患者数按全院去重，转科患者只计一次；其他各数为各病区之和",
         "—", "orvomed.quality_totals"},
    };
    int row = 3;
    for (const auto& r : rows) {
        for (int k = 0; k < 4; k++) worksheet_write_string(s, (lxw_row_t)row, (lxw_col_t)k, r[k], b.f.text);
        row++;
    }
    row++;
    for (int family = 0; family < QUALITY_FAMILY_COUNT; family++) {
        const QualityFamily& fam = quality_families[family];
        join(line, sizeof line, {utf8(fam.name).bytes, "："});
        for (int t = 0; t < fam.tool_count; t++) {
            if (t) append(line, sizeof line, "、");
            append(line, sizeof line, utf8(fam.tool_names[t]).bytes);
        }
        append(line, sizeof line, "。");
        append(line, sizeof line, utf8(fam.indicator).bytes);
        worksheet_write_string(s, (lxw_row_t)row++, 0, line, b.f.note);
    }
    row++;
    wchar_t now[16], first[16];
    quality_month_text(f.month, now, 16);
    quality_month_text(quality_month_add(f.month, 1 - QUALITY_MONTHS), first, 16);
    const char* facts[4];
    char range[160], source[200], program[160], when[160];
    join(range, sizeof range,
         {"数据范围：评估时间在 ", utf8(now).bytes, "-01 至月末（按数据库服务器的时区）；趋势 ", utf8(first).bytes, " 至 ",
          utf8(now).bytes, "。"});
    join(source, sizeof source,
             {f.stays ? "入院、出院与床日：医院数据库的住院名单 orvomed.stays。"
                     : "入院、出院与床日：医院数据库中没有住院名单 orvomed.stays，由质控科按 HIS 填写（HIS 数据表）。"});
    join(program, sizeof program, {"程序：OrvoMedQuality ", utf8(version).bytes});
    join(when, sizeof when, {"生成时间：", utf8(made).bytes});
    facts[0] = range;
    facts[1] = source;
    facts[2] = program;
    facts[3] = when;
    for (const char* fact : facts) worksheet_write_string(s, (lxw_row_t)row++, 0, fact, b.f.note);
    worksheet_set_column(s, 0, 0, 18, nullptr);
    worksheet_set_column(s, 1, 2, 48, nullptr);
    worksheet_set_column(s, 3, 3, 40, nullptr);
}

}  // namespace

QualityResult quality_write_workbook(const QualityFigures& figures, const char* file, const char* temp_folder,
                                     const wchar_t* version, const wchar_t* made, QualityProgress* progress) {
    lxw_workbook_options options = {};
    options.tmpdir = const_cast<char*>(temp_folder);
    lxw_workbook* workbook = workbook_new_opt(file, &options);
    if (!workbook) return {QUALITY_FILE_FAILED, ROUNDS_READ};
    Book b = {workbook, make_formats(workbook), &figures};
    lxw_doc_properties properties = {};
    char title[64], month[32];
    month_words(figures.month, month, sizeof month);
    join(title, sizeof title, {"护理质量指标月报 ", month});
    properties.title = title;
    properties.company = const_cast<char*>("");
    workbook_set_properties(workbook, &properties);
    // Made in the order they show; each written once its sheet is whole.
    lxw_worksheet* summary = workbook_add_worksheet(workbook, SUMMARY_SHEET);
    lxw_worksheet* families[QUALITY_FAMILY_COUNT];
    for (int family = 0; family < QUALITY_FAMILY_COUNT; family++)
        families[family] = workbook_add_worksheet(workbook, utf8(quality_families[family].name).bytes);
    lxw_worksheet* his = workbook_add_worksheet(workbook, HIS_SHEET);
    lxw_worksheet* notes = workbook_add_worksheet(workbook, NOTES_SHEET);
    bool cancelled = false;
    // The families' as wide as they come, every other sheet but the
    // summary on one page's width.
    paper(summary, 0);
    paper(his, 1);
    paper(notes, 1);
    summary_sheet(b, summary, made);
    progress->sheets++;
    for (int family = 0; family < QUALITY_FAMILY_COUNT && !cancelled; family++) {
        family_sheet(b, families[family], family);
        progress->sheets++;
        cancelled = progress->cancel;
    }
    if (!cancelled) {
        his_sheet(b, his);
        notes_sheet(b, notes, version, made);
        progress->sheets += 2;
    }
    lxw_error closed = workbook_close(workbook);
    if (cancelled || progress->cancel) return {QUALITY_CANCELLED, ROUNDS_READ};
    return {closed == LXW_NO_ERROR ? QUALITY_WRITTEN : QUALITY_FILE_FAILED, ROUNDS_READ};
}
