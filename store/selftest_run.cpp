// The headless self-test: the build's tool computed with its defaults and
// written as a line-oriented report that deployment scripts can check.
#include "store/store.h"

#include <math.h>
#include <stdarg.h>
#include <string.h>

#include "calc/calc.h"
#include "expr/expr.h"
#include "platform/platform.h"

namespace {

constexpr int OUT_LINE_CAPACITY = 512;
constexpr int SHORT_LINE_CAPACITY = 256;

// The report at its longest: the TOOL, LEVEL, OUT and ERRORS lines at their
// bounds, the verdict, and the longest result on the DETAIL line. A formula
// tool has an OUT line per output; a report tool one, and a longer text.
constexpr int report_max(int out_lines, int result_max) {
    return OUT_LINE_CAPACITY + 2 * SHORT_LINE_CAPACITY + out_lines * OUT_LINE_CAPACITY +
           sizeof "VERDICT|\r\n" + VERDICT_CAPACITY + sizeof "DETAIL|\r\n" + result_max;
}
static_assert(report_max(TOOL_MAX_OUTPUTS, FORMULA_RESULT_MAX) < SELFTEST_REPORT_CAPACITY &&
                  report_max(1, REPORT_TEXT_MAX) < SELFTEST_REPORT_CAPACITY,
              "the longest report is written whole");
static_assert(RESULT_TEXT_MAX <= SELFTEST_DETAIL_LIMIT, "the DETAIL line shows every result whole");

// Appends one line of the report: formatted, ended with the cut mark if it
// does not fit its bound, and then with its line break, so no line ever runs
// into the next.
void append_report_line(wchar_t* report, int capacity, const wchar_t* format, ...) {
    wchar_t line[OUT_LINE_CAPACITY - 2];
    va_list args;
    va_start(args, format);
    text_vformat_marked(line, OUT_LINE_CAPACITY - 2, format, args);
    va_end(args);
    text_append(report, capacity, line);
    text_append(report, capacity, L"\r\n");
}

// One OUT line per output. Each formula is evaluated again on its own, with
// every output value 0, so a formula that leans on another output's value is
// checked by itself; a formula that fails shows "--", and one the verdict
// withholds "不适用", which is no error. Then a WITHHELD line per rule that
// may withhold an output: the output, when, and why (each {key} written with
// the values tested), so a deployment sees that the tool shows no value
// there by design. Returns the number of formulas that failed.
int append_out_lines(const PreparedTool& tool, const double* input_values, const Calculation& calculation,
                     wchar_t* report, int capacity) {
    int errors = 0;
    for (int j = 0; j < tool.output_count; j++) {
        const OutputDef& output = tool.outputs[j];
        double output_values[TOOL_MAX_OUTPUTS] = {};
        int failed = 0;
        double value = expr_evaluate(tool, output.formula, input_values, output_values, &failed);
        if (failed) errors++;
        if (calculation.withheld[j] && !failed) {
            append_report_line(report, capacity, L"OUT|%ls|" CALC_NOT_APPLICABLE L"|", output.label);
            continue;
        }
        wchar_t value_text[VALUE_TEXT_CAPACITY];
        format_value(output.format, failed ? NAN : value, value_text, VALUE_TEXT_CAPACITY);
        append_report_line(report, capacity, L"OUT|%ls|%ls|%ls", output.label, value_text, output.unit);
    }
    for (int k = 0; k < tool.rule_count; k++) {
        const RuleDef& rule = tool.rules[k];
        // A condition is the language's ASCII text.
        wchar_t condition[OUT_LINE_CAPACITY] = L"";
        for (int c = 0; rule.condition && rule.condition[c] && c < OUT_LINE_CAPACITY - 1; c++) {
            condition[c] = (wchar_t)(unsigned char)rule.condition[c];
            condition[c + 1] = 0;
        }
        wchar_t reason[RESULT_LINE_CAPACITY];
        calc_withheld_reason(tool, calculation, rule, reason, RESULT_LINE_CAPACITY);
        for (int j = 0; rule.withholds && j < tool.output_count; j++)
            if (strcmp(tool.outputs[j].key, rule.withholds) == 0)
                append_report_line(report, capacity, L"WITHHELD|%ls|%ls|%ls", tool.outputs[j].label, condition, reason);
    }
    return errors;
}

// The result text on one line: CRs dropped, each LF a space, at most
// SELFTEST_DETAIL_LIMIT characters kept.
void append_flattened(wchar_t* report, int capacity, const wchar_t* result) {
    int n = text_length(report);
    int kept = 0;
    for (const wchar_t* p = result; *p && kept < SELFTEST_DETAIL_LIMIT; p++) {
        if (*p == L'\r') continue;
        if (n >= capacity - 1) break;
        report[n++] = *p == L'\n' ? L' ' : *p;
        report[n] = 0;
        kept++;
    }
}

}  // namespace

int selftest_report(const PreparedTool& tool, wchar_t* report, int capacity) {
    if (capacity < 1) return 0;
    report[0] = 0;
    double input_values[TOOL_MAX_INPUTS] = {};
    for (int i = 0; i < tool.input_count; i++) input_values[i] = tool.inputs[i].default_value;

    Calculation calculation;
    tool_calculate(tool, input_values, &calculation);

    append_report_line(report, capacity, L"TOOL|%d|%ls|%ls", tool.id, tool.title, tool.category);
    append_report_line(report, capacity, L"LEVEL|%d", calculation.level);

    // A descriptor the program cannot serve whole never passes its self-test,
    // a report tool's no more than a formula tool's; nor does one whose
    // default is a value its input does not take.
    double readable[TOOL_MAX_INPUTS];
    int errors = (tool.incomplete ? 1 : 0) + calc_readable_inputs(tool, input_values, readable);
    if (tool.report_kind != REPORT_NONE) {
        text_append(report, capacity, L"OUT|报告文本|见 DETAIL|\r\n");
    } else {
        errors += append_out_lines(tool, readable, calculation, report, capacity);
    }
    text_append(report, capacity, L"VERDICT|");
    text_append(report, capacity, calculation.verdict);
    text_append(report, capacity, L"\r\n");
    text_append(report, capacity, L"DETAIL|");
    append_flattened(report, capacity, calculation.text);
    text_append(report, capacity, L"\r\n");
    append_report_line(report, capacity, L"ERRORS|%d", errors);
    return errors;
}

bool write_utf8_file(const wchar_t* path, const wchar_t* text) {
    // Sized for the longest report, so a long one is written whole.
    char bytes[utf8_capacity_for(SELFTEST_REPORT_CAPACITY)];
    int length = utf8_from_wide(text, bytes, (int)sizeof bytes);
    return length >= 0 && platform_replace_file(path, bytes, length);
}

int run_selftest(const wchar_t* path) {
    PreparedTool tool;
    tool_prepare(tool_builtin(), &tool);
    wchar_t report[SELFTEST_REPORT_CAPACITY];
    int errors = selftest_report(tool, report, SELFTEST_REPORT_CAPACITY);
    if (!write_utf8_file(path, report)) return EXIT_REPORT_NOT_WRITTEN;
    return errors > 0 ? EXIT_FORMULA_FAILED : EXIT_OK;
}
