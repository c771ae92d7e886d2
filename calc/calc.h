// The calculation: one set of input values in, one record of what came of
// them out, read alike by the window, the self-test and the record store.
#pragma once

#include "reports/reports.h"
#include "tool/tool.h"

// Added once after the output lines when any output formula failed.
#define CALC_FAILURE_NOTE L"（部分结果无法计算，请检查输入是否合理）\r\n"
// What a tool with check boxes says of them when none is checked.
#define CALC_NONE_CHECKED L"勾选项目：无"
// What stands for an output its verdict withholds, before the reason.
#define CALC_NOT_APPLICABLE L"不适用"
// The verdict when no rule gave one.
#define CALC_FALLBACK_VERDICT L"请核对输入参数后重新计算"
// The fallback's level when a formula failed: a verdict nothing could be
// drawn from is never shown as a sound one.
constexpr int CALC_FAILURE_LEVEL = 2;

// One result line holds this many characters with its terminator; a longer
// line is cut, ends with TEXT_CUT_MARK and keeps its line break.
constexpr int RESULT_LINE_CAPACITY = 256;
constexpr int VERDICT_CAPACITY = 512;

// The longest result text any tool writes: a formula tool's line per list
// and per output at their bound and the note, or the longest report.
constexpr int FORMULA_RESULT_MAX = (TOOL_MAX_INPUTS + TOOL_MAX_OUTPUTS) * (RESULT_LINE_CAPACITY - 1) +
                                   (int)(sizeof CALC_FAILURE_NOTE / sizeof(wchar_t)) - 1;
constexpr int RESULT_TEXT_MAX = FORMULA_RESULT_MAX > REPORT_TEXT_MAX ? FORMULA_RESULT_MAX : REPORT_TEXT_MAX;
// Sized so that the window shows, Copy copies and Save records every result
// whole.
constexpr int RESULT_TEXT_CAPACITY = 16384;
static_assert(RESULT_TEXT_MAX < RESULT_TEXT_CAPACITY, "every tool's result fits whole");

// What one calculation came to.
struct Calculation {
    double inputs[TOOL_MAX_INPUTS];          // the values it was computed from
    double output_values[TOOL_MAX_OUTPUTS];  // NaN where the formula failed; shown as "--"
    bool any_failed;  // a formula failed, or the tool is served incomplete: the note is shown
    int level;        // 0 to 3
    // A formula tool's "label：option" per list and "label：是（N 分）" per
    // checked box (the first `choice_lines` lines), then its result lines; or
    // the report. Every line ends with CR LF.
    wchar_t text[RESULT_TEXT_CAPACITY];
    int choice_lines;
    wchar_t verdict[VERDICT_CAPACITY];
    // Whether each input was asked; one that was not is calculated and
    // recorded as its unasked value, whatever was passed for it.
    bool asked[TOOL_MAX_INPUTS];
    // The rule that gave the verdict (-1: none), and the outputs it
    // withholds: NaN in output_values, no failure, "不适用" in their lines.
    int verdict_rule;
    bool withheld[TOOL_MAX_OUTPUTS];
};

// Runs the tool's formulas and rules (or its report generator) over
// `input_values` (one per input; nullptr reads as zeros) into `out` and
// returns the level. A formula tool's text says first what was chosen in
// each list. Never fails: a value its input does not take (outside the
// input's limits, or no option of a list) is unknown, and so is the value
// of a formula that fails or reads one: it shows "--", the failure note
// follows the lines, and no verdict is drawn from it (a rule that reads it
// does not hold, nor, then, a rule without a condition). A report tool with
// such a value writes no report, only the note. Failing conditions do not
// hold.
int tool_calculate(const PreparedTool& tool, const double* input_values, Calculation* out);

// The same for a descriptor as written, prepared first.
int tool_calculate(const ToolDef& tool, const double* input_values, Calculation* out);

// Copies the tool's `input_values` into `readable`, NaN for each value its
// input does not take, so that whatever reads it fails, and the unasked
// value for each input not asked. Returns how many values are NaN. `asked`
// (may be nullptr) receives whether each input was asked.
int calc_readable_inputs(const PreparedTool& tool, const double* input_values, double* readable,
                         bool* asked = nullptr);

// Whether input `i` is asked, given the readable values of the inputs above
// it: always without a condition; undecided while the condition reads a
// value not yet known (nothing chosen above it), so the window waits for
// that answer.
enum InputAsked { INPUT_ASKED, INPUT_NOT_ASKED, INPUT_UNDECIDED };
InputAsked calc_input_asked(const PreparedTool& tool, int i, const double* readable);

// Output j's value as its result line writes it after the label: "19 U",
// "-- U" for a failed one, or "不适用：" and the reason for one its verdict
// withholds, so that no number stands beside it.
void calc_output_text(const PreparedTool& tool, const Calculation& calculation, int j, wchar_t* text, int capacity);

// The reason `rule` gives for the output it withholds, each {key} in it
// written as that input's value in `calculation` ("记为 E4 VT M6").
void calc_withheld_reason(const PreparedTool& tool, const Calculation& calculation, const RuleDef& rule, wchar_t* text,
                          int capacity);

// Whether input line of `input` at `value` is among what a result names:
// a box only when checked, every other input always (the result text names
// lists and boxes, the printed page every input). When a tool has boxes and
// none is checked, calc_none_checked holds and CALC_NONE_CHECKED stands for
// them.
bool calc_input_line_shown(const InputDef& input, double value);
bool calc_none_checked(const PreparedTool& tool, const double* input_values);

// An input as the nurse set it, "label：option" for a list (its option's
// label, "--" for a value that is no option's), "label：是（5 分）" or
// "label：否" for a box, or "label：value unit" for a typed number: one line
// for the result text and the printed page alike.
// An input not asked reads "label：" and its unasked option or label.
// Cut with TEXT_CUT_MARK where it does not fit.
void calc_input_line(const InputDef& input, double value, wchar_t* line, int capacity, bool asked = true);

// The verdict and its level in words, as the printed page and the record
// write them, where no colour shows: "结论：…" and "提示等级：红色（需立即处理）".
constexpr int CALC_VERDICT_LINE_CAPACITY = VERDICT_CAPACITY + 8;
void calc_verdict_line(const Calculation& calculation, wchar_t* line, int capacity);
void calc_level_line(const Calculation& calculation, wchar_t* line, int capacity);
// The level a line written by calc_level_line names, or -1 for any other line.
int calc_level_of_line(const wchar_t* line);
