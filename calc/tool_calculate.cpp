// The calculation pipeline: formulas in order, one line per output, the
// failure note, then the first rule that holds.
#include "calc/calc.h"

#include <string.h>
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

// Appends one result line: label, full-width colon, then the value as
// calc_output_text writes it. A line too long for its bound ends with the
// cut mark and still ends its line.
int append_line(const PreparedTool& tool, const Calculation& c, int j, wchar_t* text, int n) {
    wchar_t value_text[RESULT_LINE_CAPACITY];
    calc_output_text(tool, c, j, value_text, RESULT_LINE_CAPACITY);
    wchar_t line[RESULT_LINE_CAPACITY - 2];
    text_format_marked(line, RESULT_LINE_CAPACITY - 2, L"%ls：%ls", tool.outputs[j].label, value_text);
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
            c->verdict_rule = i;
            return true;
        }
    }
    return false;
}

int append_input_line(const PreparedTool& tool, int i, Calculation* c, int n) {
    wchar_t line[RESULT_LINE_CAPACITY - 2];
    calc_input_line(tool.inputs[i], c->inputs[i], line, RESULT_LINE_CAPACITY - 2, c->asked[i]);
    c->choice_lines++;
    return append_at(c->text, append_at(c->text, n, line), L"\r\n");
}

// What was assessed, so the copy and the record say it: "label：option" per
// list, then a line per box that is not plainly unchecked, or one line
// saying that none is.
int append_choices(const PreparedTool& tool, Calculation* c) {
    int n = 0;
    for (int i = 0; i < tool.input_count; i++)
        if (tool.inputs[i].choice_count) n = append_input_line(tool, i, c, n);
    for (int i = 0; i < tool.input_count; i++)
        if (tool.inputs[i].box && calc_input_line_shown(tool.inputs[i], c->inputs[i]))
            n = append_input_line(tool, i, c, n);
    if (calc_none_checked(tool, c->inputs)) {
        n = append_at(c->text, n, CALC_NONE_CHECKED L"\r\n");
        c->choice_lines++;
    }
    return n;
}

// The output the verdict's rule withholds, if any, loses its value: it is
// never shown, copied or recorded beside a verdict that says it does not
// apply. Its formula ran, and counts as failed only if it failed.
void withhold_outputs(const PreparedTool& tool, Calculation* c) {
    if (c->verdict_rule < 0) return;
    const char* key = tool.rules[c->verdict_rule].withholds;
    for (int j = 0; key && *key && j < tool.output_count; j++) {
        if (strcmp(tool.outputs[j].key, key) != 0) continue;
        c->withheld[j] = true;
        c->output_values[j] = NAN;
    }
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
    bool held = scan_rules(tool, readable, c);
    if (!held) c->level = c->any_failed ? CALC_FAILURE_LEVEL : 0;
    if (!c->verdict[0]) text_copy(c->verdict, VERDICT_CAPACITY, CALC_FALLBACK_VERDICT);
    withhold_outputs(tool, c);
    for (int j = 0; j < tool.output_count; j++) n = append_line(tool, *c, j, c->text, n);
    if (c->any_failed) append_at(c->text, n, CALC_FAILURE_NOTE);
}

}  // namespace

int tool_calculate(const PreparedTool& tool, const double* input_values, Calculation* out) {
    Calculation& c = *out;
    for (int i = 0; i < TOOL_MAX_INPUTS; i++)
        c.inputs[i] = input_values && i < tool.input_count ? input_values[i] : 0;
    // Outputs not yet evaluated read 0.
    for (double& v : c.output_values) v = 0;
    for (bool& w : c.withheld) w = false;
    c.verdict_rule = -1;
    c.choice_lines = 0;
    c.level = 0;
    c.text[0] = 0;
    c.verdict[0] = 0;
    double readable[TOOL_MAX_INPUTS];
    // What the program cannot serve, or a value its input does not take,
    // counts as failed, so the note tells the user that something is wrong.
    c.any_failed = calc_readable_inputs(tool, c.inputs, readable, c.asked) > 0 || tool.incomplete;
    // An input not asked took no answer: it is recorded as what stood for it.
    for (int i = 0; i < tool.input_count; i++)
        if (!c.asked[i]) c.inputs[i] = tool.inputs[i].unasked_value;
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

int calc_readable_inputs(const PreparedTool& tool, const double* input_values, double* readable, bool* asked) {
    int faults = 0;
    for (int i = 0; i < tool.input_count; i++) {
        InputAsked state = calc_input_asked(tool, i, readable);
        if (asked) asked[i] = state != INPUT_NOT_ASKED;
        if (state == INPUT_NOT_ASKED) {
            readable[i] = tool.inputs[i].unasked_value;
            continue;
        }
        // Undecided: the answer above it is unknown, and so is this one.
        bool sound = state == INPUT_ASKED && tool_input_fault(tool.inputs[i], input_values[i]) == INPUT_SOUND;
        readable[i] = sound ? input_values[i] : NAN;
        if (!sound) faults++;
    }
    return faults;
}

InputAsked calc_input_asked(const PreparedTool& tool, int i, const double* readable) {
    const char* condition = tool.inputs[i].asked_when;
    if (!condition || !*condition) return INPUT_ASKED;
    // Only the inputs above it decide: the rest, and every output, read as
    // unknown.
    double above[TOOL_MAX_INPUTS], outputs[TOOL_MAX_OUTPUTS];
    for (int k = 0; k < TOOL_MAX_INPUTS; k++) above[k] = k < i ? readable[k] : NAN;
    for (double& v : outputs) v = NAN;
    int failed = 0;
    double holds = expr_evaluate(tool, condition, above, outputs, &failed);
    if (failed) return INPUT_UNDECIDED;
    return holds != 0 ? INPUT_ASKED : INPUT_NOT_ASKED;
}

void calc_withheld_reason(const PreparedTool& tool, const Calculation& c, const RuleDef& rule, wchar_t* text,
                          int capacity) {
    text[0] = 0;
    int n = 0;
    for (const wchar_t* p = rule.withheld_reason ? rule.withheld_reason : L""; *p && n < capacity - 1; p++) {
        const wchar_t* close = *p == L'{' ? wcschr(p, L'}') : nullptr;
        int input = close ? tool_input_of_key(tool, p + 1, (int)(close - p - 1)) : -1;
        if (input < 0) {
            text[n++] = *p;
            text[n] = 0;
            continue;
        }
        wchar_t value[VALUE_TEXT_CAPACITY] = L"--";
        if (isfinite(c.inputs[input])) format_default_value(c.inputs[input], value, VALUE_TEXT_CAPACITY);
        n = text_append(text, capacity, value);
        p = close;
    }
}

void calc_output_text(const PreparedTool& tool, const Calculation& c, int j, wchar_t* text, int capacity) {
    const OutputDef& output = tool.outputs[j];
    if (c.withheld[j]) {
        wchar_t reason[RESULT_LINE_CAPACITY];
        calc_withheld_reason(tool, c, tool.rules[c.verdict_rule], reason, RESULT_LINE_CAPACITY);
        text_format_marked(text, capacity, CALC_NOT_APPLICABLE L"：%ls", reason);
        return;
    }
    wchar_t value[VALUE_TEXT_CAPACITY];
    format_value(output.format, c.output_values[j], value, VALUE_TEXT_CAPACITY);
    text_format_marked(text, capacity, *output.unit ? L"%ls %ls" : L"%ls%ls", value, output.unit);
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

void calc_input_line(const InputDef& input, double value, wchar_t* line, int capacity, bool asked) {
    if (!asked) {
        const InputChoice* stands = tool_choice_of(input, input.unasked_value);
        text_format_marked(line, capacity, L"%ls：%ls", input.label, stands ? stands->label : input.unasked_label);
        return;
    }
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
