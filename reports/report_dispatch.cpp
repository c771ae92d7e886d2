// Report dispatch by kind, and the writers and input readings every report
// shares.
#include "reports/reports.h"

#include <string.h>

namespace {

// Indexed by ReportKind; entry 0 is no report.
ReportGenerator* const generators[] = {
    nullptr,
    report_nurse_rota,
    report_dosing_timetable,
    report_blood_draw_order,
    report_critical_values,
    report_high_alert_drugs,
    report_drug_compatibility,
    report_follow_up_plan,
    report_surgical_safety_checklist,
    report_handover_sheet,
    report_infusion_card,
    report_lab_panel_guide,
};
constexpr int GENERATOR_COUNT = (int)(sizeof generators / sizeof generators[0]);
static_assert(GENERATOR_COUNT == REPORT_KIND_COUNT, "one generator per report kind");

}  // namespace

const char* const report_keys[REPORT_KIND_COUNT][REPORT_MAX_KEYS] = {
    {},                                 // no report
    {"nurses", "days"},                 // nurse rota
    {"start", "interval", "times"},     // dosing timetable
    {"kind"},                           // blood draw order
    {"kind"},                           // critical values
    {"kind"},                           // high-alert drugs
    {"drugA", "drugB"},                 // drug compatibility
    {"start", "gap", "times"},          // follow-up plan
    {},                                 // surgical safety checklist
    {"beds"},                           // handover sheet
    {"bed", "dose", "volume", "gtt"},   // infusion card
    {"panel"},                          // lab panel guide
};

int report_generate(int kind, const PreparedTool& tool, const double* input_values,
                    wchar_t* result_text, int result_capacity, wchar_t* verdict,
                    int verdict_capacity) {
    text_copy(result_text, result_capacity, L"");
    text_copy(verdict, verdict_capacity, L"");
    if (kind > 0 && kind < GENERATOR_COUNT)
        return generators[kind](tool, input_values, result_text, result_capacity, verdict,
                                verdict_capacity);
    text_copy(result_text, result_capacity, REPORT_FALLBACK_TEXT);
    text_copy(verdict, verdict_capacity, REPORT_FALLBACK_VERDICT);
    return 0;
}

void report_append_line(wchar_t* result_text, int result_capacity, const wchar_t* format, ...) {
    wchar_t line[REPORT_LINE_CAPACITY];
    va_list args;
    va_start(args, format);
    text_vformat_marked(line, REPORT_LINE_CAPACITY, format, args);
    va_end(args);
    text_append(result_text, result_capacity, line);
    text_append(result_text, result_capacity, L"\r\n");
}

double report_input_value(const PreparedTool& tool, const double* input_values, const char* key) {
    if (!input_values) return 0;
    for (int i = 0; i < tool.input_count; i++)
        if (strcmp(tool.inputs[i].key, key) == 0) return input_values[i];
    return 0;
}

int report_whole_number(double value) {
    // Written so that NaN fails the test too.
    if (!(value > -2147483649.0 && value < 2147483648.0)) return INT32_MIN;
    return (int)value;
}

int report_whole_value(const PreparedTool& tool, const double* input_values, const char* key) {
    return report_whole_number(report_input_value(tool, input_values, key));
}
