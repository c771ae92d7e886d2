// The calculation pipeline: formulas in order, one line per output, the
// failure note, then the first rule that holds.
#include "calc/calc.h"

#include <wchar.h>

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
bool scan_rules(const PreparedTool& tool, const double* readable, Calculation* c) {
    for (int i = 0; i < tool.rule_count; i++) {
        const RuleDef& rule = tool.rules[i];
        bool holds = text_is_empty(rule.condition) && !c->any_failed;
        if (!text_is_empty(rule.condition)) {
            int failed = 0;
            double v = expr_evaluate(tool, rule.condition, readable, c->output_values, &failed);
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

int append_input_line(const InputDef& input, double value, Calculation* c, int n) {
    wchar_t line[RESULT_LINE_CAPACITY - 2];
    calc_input_line(input, value, line, RESULT_LINE_CAPACITY - 2);
    c->choice_lines++;
    return append_at(c->text, append_at(c->text, n, line), L"\r\n");
}

// What was assessed, so the copy and the record say it: "label：option" per
// list, then a line per box that is not plainly unchecked, or one line
// saying that none is.
int append_choices(const PreparedTool& tool, Calculation* c) {
    int n = 0;
    for (int i = 0; i < tool.input_count; i++)
        if (tool.inputs[i].choice_count) n = append_input_line(tool.inputs[i], c->inputs[i], c, n);
    for (int i = 0; i < tool.input_count; i++)
        if (tool.inputs[i].box && calc_input_line_shown(tool.inputs[i], c->inputs[i]))
            n = append_input_line(tool.inputs[i], c->inputs[i], c, n);
    if (calc_none_checked(tool, c->inputs)) {
        n = append_at(c->text, n, CALC_NONE_CHECKED L"\r\n");
        c->choice_lines++;
    }
    return n;
}

void calculate_formulas(const PreparedTool& tool, const double* readable, Calculation* c) {
    int n = append_choices(tool, c);
    for (int j = 0; j < tool.output_count; j++) {
        int failed = 0;
        double v = expr_evaluate(tool, tool.outputs[j].formula, readable, c->output_values, &failed);
        // A failed value is unknown, not the 0 the evaluator stands in for
        // it: it shows as "--", and whatever reads it fails in turn.
        c->output_values[j] = failed ? NAN : v;
        if (failed) c->any_failed = true;
    }
    for (int j = 0; j < tool.output_count; j++) n = append_line(tool.outputs[j], c->output_values[j], c->text, n);
    if (c->any_failed) append_at(c->text, n, CALC_FAILURE_NOTE);
    bool held = scan_rules(tool, readable, c);
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
    c.choice_lines = 0;
    c.level = 0;
    c.text[0] = 0;
    c.verdict[0] = 0;
    double readable[TOOL_MAX_INPUTS];
    // What the program cannot serve, or a value its input does not take,
    // counts as failed, so the note tells the user that something is wrong.
    c.any_failed = calc_readable_inputs(tool, c.inputs, readable) > 0 || tool.incomplete;
    if (tool.report_kind == REPORT_NONE) {
        calculate_formulas(tool, readable, &c);
    } else if (c.any_failed) {
        // A report drawn from a value it cannot take would pass for a sound one.
        text_copy(c.text, RESULT_TEXT_CAPACITY, CALC_FAILURE_NOTE);
        text_copy(c.verdict, VERDICT_CAPACITY, CALC_FALLBACK_VERDICT);
        c.level = CALC_FAILURE_LEVEL;
    } else {
        c.level = report_generate(tool.report_kind, tool, c.inputs, c.text, RESULT_TEXT_CAPACITY,
                                  c.verdict, VERDICT_CAPACITY);
    }
    return c.level;
}

int tool_calculate(const ToolDef& tool, const double* input_values, Calculation* out) {
    PreparedTool prepared;
    tool_prepare(tool, &prepared);
    return tool_calculate(prepared, input_values, out);
}

int calc_readable_inputs(const PreparedTool& tool, const double* input_values, double* readable) {
    int faults = 0;
    for (int i = 0; i < tool.input_count; i++) {
        bool sound = tool_input_fault(tool.inputs[i], input_values[i]) == INPUT_SOUND;
        readable[i] = sound ? input_values[i] : NAN;
        if (!sound) faults++;
    }
    return faults;
}

bool calc_input_line_shown(const InputDef& input, double value) { return !input.box || value != 0; }

bool calc_none_checked(const PreparedTool& tool, const double* input_values) {
    bool boxes = false;
    for (int i = 0; i < tool.input_count; i++) {
        if (!tool.inputs[i].box) continue;
        if (calc_input_line_shown(tool.inputs[i], input_values[i])) return false;
        boxes = true;
    }
    return boxes;
}

void calc_input_line(const InputDef& input, double value, wchar_t* line, int capacity) {
    if (input.box) {
        wchar_t points[VALUE_TEXT_CAPACITY];
        tool_box_points_text(input, points, VALUE_TEXT_CAPACITY);
        if (tool_input_fault(input, value) != INPUT_SOUND)
            text_format_marked(line, capacity, L"%ls：--", input.label);
        else
            text_format_marked(line, capacity, value ? L"%ls：是（%ls）" : L"%ls：否", input.label, points);
        return;
    }
    if (input.choice_count) {
        const InputChoice* chosen = tool_choice_of(input, value);
        text_format_marked(line, capacity, L"%ls：%ls", input.label, chosen ? chosen->label : L"--");
        return;
    }
    wchar_t number[VALUE_TEXT_CAPACITY] = L"--";
    if (isfinite(value)) format_default_value(value, number, VALUE_TEXT_CAPACITY);
    text_format_marked(line, capacity, *input.unit ? L"%ls：%ls %ls" : L"%ls：%ls%ls", input.label, number,
                       input.unit);
}

void calc_verdict_line(const Calculation& calculation, wchar_t* line, int capacity) {
    text_format_marked(line, capacity, L"结论：%ls", calculation.verdict);
}

namespace {
const wchar_t LEVEL_LINE[] = L"提示等级：%ls（%ls）";
}

void calc_level_line(const Calculation& calculation, wchar_t* line, int capacity) {
    const VerdictLevel& level = verdict_level(calculation.level);
    text_format_marked(line, capacity, LEVEL_LINE, level.colour_name, level.meaning);
}

int calc_level_of_line(const wchar_t* line) {
    for (int level = 0; level < VERDICT_LEVEL_COUNT; level++) {
        wchar_t written[CALC_VERDICT_LINE_CAPACITY];
        const VerdictLevel& l = verdict_level(level);
        text_format_marked(written, CALC_VERDICT_LINE_CAPACITY, LEVEL_LINE, l.colour_name, l.meaning);
        if (wcscmp(written, line) == 0) return level;
    }
    return -1;
}
