// The calculation pipeline: formulas in order, one line per output, the
// failure note, then the first rule that holds.
#include "calc/calc.h"

#include "expr/expr.h"
#include "reports/reports.h"

namespace {

constexpr int LINE_CAPACITY = 256;

int clamp_count(int count, int limit, bool* clipped) {
    if (count > limit) {
        *clipped = true;
        return limit;
    }
    return count < 0 ? 0 : count;
}

bool text_is_empty(const char* text) { return !text || !*text; }

// Formats one result line: label, full-width colon, value, then a space and
// the unit when there is one.
void compose_line(const OutputDef& output, double value, wchar_t* line) {
    wchar_t value_text[VALUE_TEXT_CAPACITY];
    format_value(output.format, value, value_text, VALUE_TEXT_CAPACITY);
    const wchar_t* label = output.label ? output.label : L"";
    if (output.unit && *output.unit)
        text_format(line, LINE_CAPACITY, L"%ls：%ls %ls\r\n", label, value_text, output.unit);
    else
        text_format(line, LINE_CAPACITY, L"%ls：%ls\r\n", label, value_text);
}

// The first rule that holds gives the verdict and the level. A condition that
// fails to evaluate does not hold and is not reported.
int scan_rules(const ToolDef& tool, const double* input_values, const double* output_values,
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

ToolDef calc_bounded_tool(const ToolDef& tool, bool* clipped) {
    bool any = false;
    ToolDef bounded = tool;
    bounded.input_count = clamp_count(tool.input_count, TOOL_MAX_INPUTS, &any);
    bounded.output_count = clamp_count(tool.output_count, TOOL_MAX_OUTPUTS, &any);
    if (bounded.rule_count < 0) bounded.rule_count = 0;
    if (clipped) *clipped = any;
    return bounded;
}

int tool_calculate(const ToolDef& tool, const double* input_values, wchar_t* result_text,
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
        // Outputs beyond the table cannot be computed; they count as failed
        // so the note tells the user that something is missing.
        bool clipped = false;
        ToolDef bounded = calc_bounded_tool(tool, &clipped);
        double output_values[TOOL_MAX_OUTPUTS] = {};
        bool any_failed = clipped;
        for (int j = 0; j < bounded.output_count; j++) {
            int failed = 0;
            output_values[j] = expr_evaluate(bounded, bounded.outputs[j].formula, input_values,
                                             output_values, &failed);
            if (failed) any_failed = true;
        }
        for (int j = 0; j < bounded.output_count; j++) {
            wchar_t line[LINE_CAPACITY];
            compose_line(bounded.outputs[j], output_values[j], line);
            text_append(result_text, result_capacity, line);
        }
        if (any_failed) text_append(result_text, result_capacity, CALC_FAILURE_NOTE);
        level = scan_rules(bounded, input_values, output_values, verdict, verdict_capacity);
        if (!verdict[0]) text_copy(verdict, verdict_capacity, CALC_FALLBACK_VERDICT);
    }
    if (level_out) *level_out = level;
    text_copy(result_copy, result_copy_capacity, result_text);
    return level;
}
