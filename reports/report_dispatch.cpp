// Report dispatch by kind.
#include "reports/reports.h"

int report_generate(int kind, const ToolDef& tool, const double* input_values,
                    wchar_t* result_text, int result_capacity, wchar_t* verdict,
                    int verdict_capacity) {
    (void)kind;
    (void)tool;
    (void)input_values;
    text_copy(result_text, result_capacity, REPORT_FALLBACK_TEXT);
    text_copy(verdict, verdict_capacity, REPORT_FALLBACK_VERDICT);
    return 0;
}
