// The calculation pipeline: formulas in order, one line per output, the
// failure note, then the first rule that holds.
#include "calc/calc.h"

#include "expr/expr.h"
#include "reports/reports.h"

namespace {

constexpr int LINE_CAPACITY = 256;

bool text_is_empty(const char* text) { return !text || !*text; }

// Formats one result line: label, full-width colon, value, then a space and
// the unit when there is one.
void compose_line(const OutputDef& output, double value, wchar_t* line) {
    wchar_t value_text[VALUE_TEXT_CAPACITY];
    format_value(output.format, value, value_text, VALUE_TEXT_CAPACITY);
    if (*output.unit)
        text_format(line, LINE_CAPACITY, L"%ls：%ls %ls\r\n", output.label, value_text, output.unit);
    else
        text_format(line, LINE_CAPACITY, L"%ls：%ls\r\n", output.label, value_text);
}

// The first rule that holds gives the verdict and the level. A condition that
// fails to evaluate does not hold and is not reported.
int scan_rules(const PreparedTool& tool, const double* input_values, const double* output_values,
               wchar_t* verdict, int verdict_capacity) {
    for (int i = 0; i < tool.rule_count; i++) {
        const RuleDef& rule = tool.rules[i];
        bool holds = text_is_empty(rule.condition);
        if (!holds) {
            int failed = 0;
            double v = expr_evaluate(tool, rule.condition, input_values, output_values, &failed);
            holds = !failed && v != 0;
        }
        if (holds) {
            text_copy(verdict, verdict_capacity, rule.message);
            return rule.level;
        }
    }
    return 0;
}

}  // namespace

int tool_calculate(const PreparedTool& tool, const double* input_values, wchar_t* result_text,
                   int result_capacity, wchar_t* verdict, int verdict_capacity, int* level_out,
                   wchar_t* result_copy, int result_copy_capacity) {
    result_copy[0] = 0;
    verdict[0] = 0;
    result_text[0] = 0;
    int level = 0;
    if (tool.report_kind != REPORT_NONE) {
        level = report_generate(tool.report_kind, tool, input_values, result_text, result_capacity,
                                verdict, verdict_capacity);
    } else {
        double output_values[TOOL_MAX_OUTPUTS] = {};
        // What the program cannot serve counts as failed, so the note tells
        // the user that something is missing.
        bool any_failed = tool.incomplete;
        for (int j = 0; j < tool.output_count; j++) {
            int failed = 0;
            output_values[j] =
                expr_evaluate(tool, tool.outputs[j].formula, input_values, output_values, &failed);
            if (failed) any_failed = true;
        }
        for (int j = 0; j < tool.output_count; j++) {
            wchar_t line[LINE_CAPACITY];
            compose_line(tool.outputs[j], output_values[j], line);
            text_append(result_text, result_capacity, line);
        }
        if (any_failed) text_append(result_text, result_capacity, CALC_FAILURE_NOTE);
        level = scan_rules(tool, input_values, output_values, verdict, verdict_capacity);
        if (!verdict[0]) text_copy(verdict, verdict_capacity, CALC_FALLBACK_VERDICT);
    }
    if (level_out) *level_out = level;
    text_copy(result_copy, result_copy_capacity, result_text);
    return level;
}

int tool_calculate(const ToolDef& tool, const double* input_values, wchar_t* result_text,
                   int result_capacity, wchar_t* verdict, int verdict_capacity, int* level_out,
                   wchar_t* result_copy, int result_copy_capacity) {
    PreparedTool prepared;
    tool_prepare(tool, &prepared);
    return tool_calculate(prepared, input_values, result_text, result_capacity, verdict,
                          verdict_capacity, level_out, result_copy, result_copy_capacity);
}
