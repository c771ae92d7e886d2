// The calculation pipeline: formulas in order, one line per output, the
// failure note, then the first rule that holds.
#include "calc/calc.h"

#include <math.h>

#include "expr/expr.h"

namespace {

bool text_is_empty(const char* text) { return !text || !*text; }

// Appends `piece` to the result text, whose length is `n`, and returns the
// new length: the lines go in one after another without measuring the text
// again for each.
int append_at(wchar_t* text, int n, const wchar_t* piece) {
    return n + text_copy(text + n, RESULT_TEXT_CAPACITY - n, piece);
}

// Appends one result line: label, full-width colon, value ("--" for a failed
// one), then a space and the unit when there is one. A line too long for its
// bound ends with the cut mark and still ends its line.
int append_line(const OutputDef& output, double value, wchar_t* text, int n) {
    wchar_t value_text[VALUE_TEXT_CAPACITY];
    format_value(output.format, value, value_text, VALUE_TEXT_CAPACITY);
    wchar_t line[RESULT_LINE_CAPACITY - 2];
    if (*output.unit)
        text_format_marked(line, RESULT_LINE_CAPACITY - 2, L"%ls：%ls %ls", output.label, value_text,
                           output.unit);
    else
        text_format_marked(line, RESULT_LINE_CAPACITY - 2, L"%ls：%ls", output.label, value_text);
    return append_at(text, append_at(text, n, line), L"\r\n");
}

// The first rule that holds gives the verdict and the level. A condition that
// fails to evaluate (one that reads a failed output among them) does not
// hold; after a failure the rule without a condition does not hold either,
// since it would call the calculation done.
bool scan_rules(const PreparedTool& tool, Calculation* c) {
    for (int i = 0; i < tool.rule_count; i++) {
        const RuleDef& rule = tool.rules[i];
        bool holds = text_is_empty(rule.condition) && !c->any_failed;
        if (!text_is_empty(rule.condition)) {
            int failed = 0;
            double v = expr_evaluate(tool, rule.condition, c->inputs, c->output_values, &failed);
            holds = !failed && v != 0;
        }
        if (holds) {
            int n = text_copy(c->verdict, VERDICT_CAPACITY, rule.message);
            if (rule.message && rule.message[n]) c->verdict[n - 1] = TEXT_CUT_MARK;  // cut
            c->level = rule.level;
            return true;
        }
    }
    return false;
}

// One line per list, "label：option", so the copy and the record say what
// was assessed. A value that is no option's names nothing: "--", and it
// counts as failed.
int append_choices(const PreparedTool& tool, Calculation* c) {
    int n = 0;
    for (int i = 0; i < tool.input_count; i++) {
        const InputDef& input = tool.inputs[i];
        if (!input.choice_count) continue;
        const InputChoice* chosen = tool_choice_of(input, c->inputs[i]);
        if (!chosen) c->any_failed = true;
        wchar_t line[RESULT_LINE_CAPACITY - 2];
        text_format_marked(line, RESULT_LINE_CAPACITY - 2, L"%ls：%ls", input.label,
                           chosen ? chosen->label : L"--");
        n = append_at(c->text, append_at(c->text, n, line), L"\r\n");
        c->choice_lines++;
    }
    return n;
}

void calculate_formulas(const PreparedTool& tool, Calculation* c) {
    // What the program cannot serve counts as failed, so the note tells the
    // user that something is missing.
    c->any_failed = tool.incomplete;
    int n = append_choices(tool, c);
    for (int j = 0; j < tool.output_count; j++) {
        int failed = 0;
        double v = expr_evaluate(tool, tool.outputs[j].formula, c->inputs, c->output_values, &failed);
        // A failed value is unknown, not the 0 the evaluator stands in for
        // it: it shows as "--", and whatever reads it fails in turn.
        c->output_values[j] = failed ? NAN : v;
        if (failed) c->any_failed = true;
    }
    for (int j = 0; j < tool.output_count; j++) n = append_line(tool.outputs[j], c->output_values[j], c->text, n);
    if (c->any_failed) append_at(c->text, n, CALC_FAILURE_NOTE);
    bool held = scan_rules(tool, c);
    if (!held) c->level = c->any_failed ? CALC_FAILURE_LEVEL : 0;
    if (!c->verdict[0]) text_copy(c->verdict, VERDICT_CAPACITY, CALC_FALLBACK_VERDICT);
}

}  // namespace

int tool_calculate(const PreparedTool& tool, const double* input_values, Calculation* out) {
    Calculation& c = *out;
    for (int i = 0; i < TOOL_MAX_INPUTS; i++)
        c.inputs[i] = input_values && i < tool.input_count ? input_values[i] : 0;
    // Outputs not yet evaluated read 0.
    for (double& v : c.output_values) v = 0;
    c.any_failed = false;
    c.choice_lines = 0;
    c.level = 0;
    c.text[0] = 0;
    c.verdict[0] = 0;
    if (tool.report_kind != REPORT_NONE)
        c.level = report_generate(tool.report_kind, tool, c.inputs, c.text, RESULT_TEXT_CAPACITY,
                                  c.verdict, VERDICT_CAPACITY);
    else
        calculate_formulas(tool, &c);
    return c.level;
}

int tool_calculate(const ToolDef& tool, const double* input_values, Calculation* out) {
    PreparedTool prepared;
    tool_prepare(tool, &prepared);
    return tool_calculate(prepared, input_values, out);
}
