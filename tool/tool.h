// The tool descriptor, the value formats and calendar days, and the program's
// bounded text formatting: the vocabulary every other folder speaks.
#pragma once

#include <math.h>
#include <stdarg.h>
#include <stdint.h>

#include "platform/text_format.h"

// Descriptor records are plain constant data. Every field has a default so a
// descriptor may leave out what it does not need.

// One option of a list input: what the nurse reads, and the value it gives.
struct InputChoice {
    const wchar_t* label = nullptr;
    double value = 0;
};

// `decimals` of a typed input that takes any precision.
constexpr int INPUT_ANY_DECIMALS = -1;
// The most digits after the point an input may be limited to.
constexpr int INPUT_MAX_DECIMALS = 3;

// One input: an edit field for a typed number, or, with choices, a list of
// described options to choose from (nothing chosen at start).
//
// A typed number may carry hard limits: a value below `min` or above `max`
// (both inclusive), or with more digits after the point than `decimals`, is
// refused by the window and counts as failed wherever it is calculated.
// Left out, a limit does not bind, so a descriptor written without them
// stays valid.
struct InputDef {
    const char* key = nullptr;       // identifier formulas and reports name the value by
    const wchar_t* label = nullptr;  // shown left of the field
    const wchar_t* unit = nullptr;   // shown right of an edit field; may be empty
    double default_value = 0;        // a field's initial value, restored by Reset; the self-test's
                                     // value (for a list, one option's)
    double min = -INFINITY;
    double max = INFINITY;
    int decimals = INPUT_ANY_DECIMALS;
    // The field is empty at start and after Reset, so a value that was not
    // measured is never scored as a normal one; `default_value` then serves
    // the self-test alone.
    bool starts_empty = false;
    const InputChoice* choices = nullptr;  // a list's options, in the order shown
    int choice_count = 0;
    // A check box: one yes/no factor, worth `points` when checked and 0 when
    // not, shown with its label as caption and "N 分" (or N and its unit)
    // beside it. It starts unchecked: its default is 0.
    bool box = false;
    double points = 0;
    // The title of a section that begins with this input: a heading row in
    // the window, a heading line in the guide and on paper. Absent: the input
    // continues the section above it, if any.
    const wchar_t* section = nullptr;
    // A list asked only while `asked_when`, a condition on the inputs above
    // it, holds (a swallow test's timing at grade 1 alone). While it does
    // not, the list takes no answer: the window disables it, and it is
    // calculated and recorded as `unasked_value`, shown as that value's
    // option or, where no option has it, as `unasked_label` ("不适用").
    // Once the condition holds again, the list starts with nothing chosen.
    // Absent: always asked.
    const char* asked_when = nullptr;
    double unasked_value = 0;
    const wchar_t* unasked_label = nullptr;
};

// One computed output. An absent `format` means "f2"; an absent or empty `unit`
// leaves the result line without one.
struct OutputDef {
    const char* key = nullptr;
    const wchar_t* label = nullptr;
    const wchar_t* unit = nullptr;
    const char* formula = nullptr;
    const char* format = nullptr;
};

// One verdict rule. An empty (or absent) condition always holds.
//
// A rule that gives the verdict may withhold an output: where the rule says
// the formula does not apply (no correction dose where the verdict says not
// to dose), that output has no value. Its line reads "不适用：" and
// `withheld_reason`, and no number of it is copied, printed, recorded or
// sent. It is no failure: the inputs were sound, and the verdict stands.
// The reason may name an input's value as {key} ("记为 E{eye} VT M{motor}").
//
// A scale's band says when its result is due again: every `reassess_hours`
// hours, REASSESS_CONTINUOUS for continuous monitoring, or, left out,
// REASSESS_ON_CHANGE: only on the events the tool names. The hospital's
// policy may set its own per band.
constexpr int REASSESS_ON_CHANGE = 0;
constexpr int REASSESS_CONTINUOUS = -1;
// The longest interval a band, or a hospital, may set: a year.
constexpr int REASSESS_MAX_HOURS = 24 * 366;
struct RuleDef {
    const char* condition = nullptr;
    int level = 0;
    const wchar_t* message = nullptr;
    const char* withholds = nullptr;  // an output's key
    const wchar_t* withheld_reason = nullptr;
    int reassess_hours = REASSESS_ON_CHANGE;
};

// The report generators a tool can select instead of formulas and rules.
enum ReportKind : int {
    REPORT_NONE = 0,
    REPORT_NURSE_ROTA = 1,
    REPORT_DOSING_TIMETABLE = 2,
    REPORT_BLOOD_DRAW_ORDER = 3,
    REPORT_CRITICAL_VALUES = 4,
    REPORT_HIGH_ALERT_DRUGS = 5,
    REPORT_DRUG_COMPATIBILITY = 6,
    REPORT_FOLLOW_UP_PLAN = 7,
    REPORT_SURGICAL_SAFETY_CHECKLIST = 8,
    REPORT_HANDOVER_SHEET = 9,
    REPORT_INFUSION_CARD = 10,
    REPORT_LAB_PANEL_GUIDE = 11,
};

// The build's one tool. Field order is part of the contract: descriptor files
// are written with designated initialisers in this order, and may leave out
// any field (the defaults below are what an absent field means).
struct ToolDef {
    int id = 0;                         // tool number; names the record file T%03d.csv
    const wchar_t* title = nullptr;
    const wchar_t* summary = nullptr;   // may be absent
    const wchar_t* category = nullptr;
    const wchar_t* basis = nullptr;
    const wchar_t* caution = nullptr;   // may be absent
    int input_count = 0;
    const InputDef* inputs = nullptr;
    int output_count = 0;
    const OutputDef* outputs = nullptr;
    int rule_count = 0;
    const RuleDef* rules = nullptr;
    int report_kind = REPORT_NONE;      // a ReportKind; 0 means formulas and rules
    // The key of the output that stands for the result: a scale's total, a
    // formula tool's main value. The last assessment, the record's value
    // column and the hospital's database read the result from it alone. A
    // formula tool with outputs names one; a report tool names none.
    const char* headline = nullptr;
    // A nursing assessment, filed in the patient's chart: Save and Print
    // ask for a patient unless the hospital's policy lets them go without.
    bool assessment = false;
    // What calls for an assessment's reassessment sooner than its band's
    // interval, as its source names them ("病情变化、转科、术后随时复评").
    // Absent: a change in the patient's condition.
    const wchar_t* reassess_events = nullptr;
};

// The program holds this many inputs and outputs of a tool; the window's
// input panel scrolls when they do not fit it.
constexpr int TOOL_MAX_INPUTS = 48;
constexpr int TOOL_MAX_OUTPUTS = 16;
// A list offers 2 to this many options.
constexpr int TOOL_MAX_CHOICES = 12;

// The build's descriptor, defined by the source that GLYVANT_TOOL_SOURCE names.
const ToolDef& tool_builtin();

// A descriptor as the program serves it, made once where a tool enters (the
// window, the self-test, the release texts) so that nothing after needs a
// bound or a null check of its own: at most TOOL_MAX_INPUTS inputs and
// TOOL_MAX_OUTPUTS outputs (a negative count is none), and every text and key
// present (an absent one, a section's title too, is empty; an absent format
// is "f2"), and at most
// TOOL_MAX_CHOICES options a list (each label present). Rules stay
// where the descriptor has them: an absent condition always holds and an
// absent message is empty wherever a rule is read.
//
// Its records point into itself: make one with tool_prepare, never by copy.
struct PreparedTool : ToolDef {
    InputDef input_records[TOOL_MAX_INPUTS];
    InputChoice choice_records[TOOL_MAX_INPUTS][TOOL_MAX_CHOICES];
    OutputDef output_records[TOOL_MAX_OUTPUTS];
    // The program serves less than the descriptor describes: more inputs or
    // outputs than it holds, or a count without its records. The calculation
    // then adds its failure note and the self-test fails, so a tool that
    // cannot be served whole never passes for a sound one.
    bool incomplete;
    // The output `headline` names, or -1: a report tool, or a descriptor
    // that names none or no output's key.
    int headline_output;
};

void tool_prepare(const ToolDef& described, PreparedTool* prepared);

// The input whose key is the `length` characters at `name` (wide text, as
// a command line or a reason holds it), or -1.
int tool_input_of_key(const PreparedTool& tool, const wchar_t* name, int length);

// The option of the list `input` whose value is `value`, or nullptr (also for
// an input that is no list).
const InputChoice* tool_choice_of(const InputDef& input, double value);

// What is wrong with `value` as the value of `input`, the one rule the
// window, the calculation and the descriptor check apply.
enum InputFault {
    INPUT_SOUND,
    INPUT_NOT_FINITE,
    INPUT_BELOW_MIN,
    INPUT_ABOVE_MAX,
    INPUT_TOO_PRECISE,  // more digits after the point than `decimals`
    INPUT_NO_OPTION,    // a list's value that is no option's; a box's that is neither 0 nor its points
};
InputFault tool_input_fault(const InputDef& input, double value);

// Whether a typed input declares any limit.
bool tool_input_limited(const InputDef& input);

// A typed input's range as the window's messages and the user guide write
// it: "0–300 g", "≥ 0 g", "≤ 300 g" (with the unit when it has one), or ""
// without one. Returns the length.
int tool_input_range_text(const InputDef& input, wchar_t* text, int capacity);

// What a check box is worth as the window, the result text and the guide
// write it: "5 分", or its points and its own unit ("1 项"). Returns the
// length.
int tool_box_points_text(const InputDef& input, wchar_t* text, int capacity);

// ---- Verdict levels -----------------------------------------------------------

// How a level shows: the colour of the verdict in the window, that colour's
// name in the user guide, and what the level asks of the reader, written out
// on paper, where a black-and-white printer loses the colour. Levels run
// from 0 to 3.
struct VerdictLevel {
    unsigned char red, green, blue;
    const wchar_t* colour_name;
    const wchar_t* meaning;
};
constexpr int VERDICT_LEVEL_COUNT = 4;

// Any other level shows as level 0.
const VerdictLevel& verdict_level(int level);

// The verdict shows whole: up to VERDICT_LINES lines of a box
// VERDICT_BOX_WIDTH pixels wide, in a font VERDICT_FONT_HEIGHT pixels high.
// The window lays its box out from these, and the descriptor check holds
// every rule's message to them.
constexpr int VERDICT_BOX_WIDTH = 492;
constexpr int VERDICT_FONT_HEIGHT = 21;
constexpr int VERDICT_LINES = 2;

// The lines `message` takes in the verdict box, each character measured on
// the wide side of the faces the window asks for, and broken as Chinese is
// printed: between Chinese characters (never before a closing sign such as
// "，" or after an opening one) and at spaces; a Latin word ("mmol/L") is
// broken only when wider than the box.
int verdict_lines(const wchar_t* message);
// The message as the window shows it: its lines joined by CR LF, a space at
// a break left out. Cut where `shown` is full. Returns the number of lines.
int verdict_wrapped(const wchar_t* message, wchar_t* shown, int capacity);

// ---- Value formats ----------------------------------------------------------

// Callers pass buffers of this size to format_value.
constexpr int VALUE_TEXT_CAPACITY = 128;

// Writes `value` as the format code says ("f0" "f1" "f2" "f3" "int" "pct"
// "date", and "trim2": at most two decimals, trailing zeros dropped, 5 as
// "5", 5.5 as "5.5", 0.05 as "0.05"; absent or unknown means "f2"); "--" for infinities and NaN. A number
// is never shown cut: when its plain text does not fit it is shown in exponent
// form, and when even that does not fit, as "--". Always terminates `text`.
void format_value(const char* format, double value, wchar_t* text, int capacity);

// Whether `code` is one of the eight format codes (an unknown one shows as
// "f2", which the descriptor check reports).
bool format_code_known(const char* code);

// The text an input field shows its default value in ("%.6g": 60, 0.5,
// 1.23457e+06), in the window and in the user guide alike.
void format_default_value(double value, wchar_t* text, int capacity);

// Day number (days since 1970-01-01, proleptic Gregorian calendar with a year 0)
// of a civil date. A day past the end of its month rolls into the next month.
int64_t days_from_civil(int year, int month, int day);

// Day numbers whose dates civil_from_days writes; beyond them it writes "--".
constexpr int64_t CIVIL_DAYS_LIMIT = INT64_C(1) << 60;

// Writes the date of day number `days` as YYYY-MM-DD (years below 1000 padded,
// negative years with a minus sign). Returns what text_format returns: the
// length, or -1 when the text was cut.
int civil_from_days(int64_t days, wchar_t* text, int capacity);

// Bounded text (text_format, text_copy, ...): platform/text_format.h.
