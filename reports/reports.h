// Custom reports: tools whose result is a text rather than formula outputs.
#pragma once

#include <stdint.h>

#include "tool/tool.h"

// The result text when a tool names no known report kind.
#define REPORT_FALLBACK_TEXT L"（该工具暂无自定义报告）"
#define REPORT_FALLBACK_VERDICT L"暂无报告内容"

constexpr int REPORT_KIND_COUNT = REPORT_LAB_PANEL_GUIDE + 1;

// The input keys each generator reads, indexed by ReportKind, each row in the
// order its generator reads them. The generators read their keys from here
// and the descriptor check warns of a report tool that lacks one (the
// generator then reads 0), so the two cannot disagree.
constexpr int REPORT_MAX_KEYS = 4;
extern const char* const report_keys[REPORT_KIND_COUNT][REPORT_MAX_KEYS];

// One formatted line is at most this long before it is appended; a longer
// one is cut and ends with TEXT_CUT_MARK.
constexpr int REPORT_LINE_CAPACITY = 512;

// The longest text a report writes, whatever its inputs: the rota of 40
// nurses over 31 days (6,390 characters) is the longest. The calculation's
// result buffer is sized from it, so no report is ever cut; the reports'
// tests hold every kind at its largest to it.
constexpr int REPORT_TEXT_MAX = 7000;

// Writes the report of `kind` for the tool's inputs into `result_text` and
// its conclusion into `verdict` (both cut to capacity - 1 and terminated) and
// returns the level. A kind without a generator gives the fallback texts and 0.
int report_generate(int kind, const PreparedTool& tool, const double* input_values,
                    wchar_t* result_text, int result_capacity, wchar_t* verdict,
                    int verdict_capacity);

// ---- What every generator writes with ---------------------------------------

// Appends one printf-style line (cut to 511 characters, the last of them
// then TEXT_CUT_MARK) and "\r\n", as much of both as the buffer still
// holds: one character short of full takes "\r".
void report_append_line(wchar_t* result_text, int result_capacity, const wchar_t* format, ...);

// The value of the first input whose key is `key`; 0 when none is.
double report_input_value(const PreparedTool& tool, const double* input_values, const char* key);
// The input as a whole number: truncated toward zero; NaN and anything whose
// truncation leaves the 32-bit range read as INT32_MIN, so that a lower bound
// catches them rather than an upper one.
int report_whole_value(const PreparedTool& tool, const double* input_values, const char* key);
int report_whole_number(double value);

// Whether `number` names one of `count` entries numbered from 1: the one
// rule by which a report tells a listed number from one that names nothing.
constexpr bool report_number_listed(int number, int count) { return number >= 1 && number <= count; }

// The entry `number` names, or nullptr when it names none.
template <typename Entry, int count>
const Entry* report_listed_entry(const Entry (&table)[count], int number) {
    return report_number_listed(number, count) ? &table[number - 1] : nullptr;
}

// The entry `number` names, or the table's last entry (the fallback such a
// table ends with) when it names none.
template <typename Entry, int count>
const Entry& report_entry_or_last(const Entry (&table)[count], int number) {
    const Entry* entry = report_listed_entry(table, number);
    return entry ? *entry : table[count - 1];
}

// The drugs the compatibility check knows, by number: its report's table and
// the tool's list to choose from are both made from this one list, as
// X(number, name).
#define REPORT_DRUGS(X)                                                                     \
    X(1, L"头孢曲松") X(2, L"葡萄糖酸钙") X(3, L"万古霉素") X(4, L"呋塞米") X(5, L"氨溴索") \
    X(6, L"奥美拉唑") X(7, L"维生素C") X(8, L"胰岛素") X(9, L"碳酸氢钠") X(10, L"多巴胺")

// ---- The generators -----------------------------------------------------------
// Each takes the tool, its input values and the caller's buffers, and returns
// the level (0 except for the drug compatibility check).

using ReportGenerator = int(const PreparedTool& tool, const double* input_values,
                            wchar_t* result_text, int result_capacity, wchar_t* verdict,
                            int verdict_capacity);

ReportGenerator report_nurse_rota;
ReportGenerator report_dosing_timetable;
ReportGenerator report_blood_draw_order;
ReportGenerator report_critical_values;
ReportGenerator report_high_alert_drugs;
ReportGenerator report_drug_compatibility;
ReportGenerator report_follow_up_plan;
ReportGenerator report_surgical_safety_checklist;
ReportGenerator report_handover_sheet;
ReportGenerator report_infusion_card;
ReportGenerator report_lab_panel_guide;

// The follow-up plan counted from a given day number instead of today (the
// platform's local date), so the calendar can be checked on any day.
int report_follow_up_plan_from(int64_t today, const PreparedTool& tool, const double* input_values,
                               wchar_t* result_text, int result_capacity, wchar_t* verdict,
                               int verdict_capacity);
