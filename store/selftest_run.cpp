// The headless self-test: the build's tool computed with its defaults and
// written as a line-oriented report that deployment scripts can check.
#include "store/store.h"

#include "calc/calc.h"
#include "expr/expr.h"
#include "platform/platform.h"

namespace {

constexpr int RESULT_CAPACITY = 8192;
constexpr int VERDICT_CAPACITY = 512;
constexpr int OUT_LINE_CAPACITY = 512;
constexpr int SHORT_LINE_CAPACITY = 256;

// One OUT line per output. Each formula is evaluated again on its own, with
// every output value 0, so a formula that leans on another output's value is
// checked by itself. Returns the number of formulas that failed.
int append_out_lines(const PreparedTool& tool, const double* input_values, wchar_t* report,
                     int capacity) {
    int errors = 0;
    for (int j = 0; j < tool.output_count; j++) {
        const OutputDef& output = tool.outputs[j];
        double output_values[TOOL_MAX_OUTPUTS] = {};
        int failed = 0;
        double value = expr_evaluate(tool, output.formula, input_values, output_values, &failed);
        if (failed) errors++;
        wchar_t value_text[VALUE_TEXT_CAPACITY];
        format_value(output.format, value, value_text, VALUE_TEXT_CAPACITY);
        wchar_t line[OUT_LINE_CAPACITY];
        text_format(line, OUT_LINE_CAPACITY, L"OUT|%ls|%ls|%ls\r\n", output.label, value_text,
                    output.unit);
        text_append(report, capacity, line);
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

    wchar_t result[RESULT_CAPACITY];
    wchar_t verdict[VERDICT_CAPACITY];
    wchar_t result_copy[RESULT_CAPACITY];
    int level = 0;
    tool_calculate(tool, input_values, result, RESULT_CAPACITY, verdict, VERDICT_CAPACITY,
                   &level, result_copy, RESULT_CAPACITY);

    wchar_t line[SHORT_LINE_CAPACITY];
    text_format(report, capacity, L"TOOL|%d|%ls|%ls\r\n", tool.id, tool.title, tool.category);
    text_format(line, SHORT_LINE_CAPACITY, L"LEVEL|%d\r\n", level);
    text_append(report, capacity, line);

    // A descriptor the program cannot serve whole never passes its self-test,
    // a report tool's no more than a formula tool's.
    int errors = tool.incomplete ? 1 : 0;
    if (tool.report_kind != REPORT_NONE) {
        text_append(report, capacity, L"OUT|报告文本|见 DETAIL|\r\n");
    } else {
        errors += append_out_lines(tool, input_values, report, capacity);
    }
    text_append(report, capacity, L"VERDICT|");
    text_append(report, capacity, verdict);
    text_append(report, capacity, L"\r\n");
    text_append(report, capacity, L"DETAIL|");
    append_flattened(report, capacity, result);
    text_append(report, capacity, L"\r\n");
    text_format(line, SHORT_LINE_CAPACITY, L"ERRORS|%d\r\n", errors);
    text_append(report, capacity, line);
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
