// The descriptor check. Formulas and conditions are read by the evaluator's
// own parser (expr_check), so the check and the program never disagree on
// what the language is.
#include "check/tool_check.h"

#include <math.h>
#include <stdarg.h>
#include <stdio.h>
#include <string.h>
#include <wchar.h>

#include "expr/expr.h"
#include "reports/reports.h"

namespace {

struct Findings {
    CheckFinding* items;
    int capacity;
    int count;
};

// A field of the descriptor: "title", "outputs", "rules[2]", "inputs[0].key".
struct Field {
    const char* record;
    int index;  // -1: the record is a field of the tool itself
    const char* name;
};

[[gnu::format(printf, 4, 5)]] void add(Findings* found, CheckSeverity severity, Field field,
                                       const char* what, ...) {
    if (found->count < found->capacity) {
        CheckFinding& f = found->items[found->count];
        f.severity = severity;
        if (field.index < 0)
            snprintf(f.where, sizeof f.where, "%s", field.record);
        else if (field.name)
            snprintf(f.where, sizeof f.where, "%s[%d].%s", field.record, field.index, field.name);
        else
            snprintf(f.where, sizeof f.where, "%s[%d]", field.record, field.index);
        va_list args;
        va_start(args, what);
        vsnprintf(f.what, sizeof f.what, what, args);
        va_end(args);
    }
    found->count++;
}

bool is_identifier(const char* key) {
    bool start = (key[0] >= 'a' && key[0] <= 'z') || (key[0] >= 'A' && key[0] <= 'Z') || key[0] == '_';
    if (!start) return false;
    for (const char* p = key + 1; *p; p++)
        if (!((*p >= 'a' && *p <= 'z') || (*p >= 'A' && *p <= 'Z') || (*p >= '0' && *p <= '9') ||
              *p == '_'))
            return false;
    return true;
}

// A count and its records, as the descriptor writes them; `limit` (0: none)
// is what the program serves, as `serves` tells.
void check_count(Findings* found, const char* count_name, const char* records_name, int count,
                 const void* records, int limit, const char* serves) {
    if (count < 0) add(found, CHECK_ERROR, {count_name, -1, nullptr}, "%d is negative", count);
    if (limit > 0 && count > limit)
        add(found, CHECK_ERROR, {count_name, -1, nullptr}, "%d, more than the %d %s", count, limit,
            serves);
    if (count > 0 && !records)
        add(found, CHECK_ERROR, {records_name, -1, nullptr}, "absent, though %s is %d", count_name,
            count);
}

// Every key of the served inputs and outputs: present, an identifier the
// language can read, used once, and best not a function's name.
void check_keys(Findings* found, const ToolDef& tool, const PreparedTool& served) {
    struct Key {
        const char* text;
        Field field;
    };
    Key keys[TOOL_MAX_INPUTS + TOOL_MAX_OUTPUTS];
    int key_count = 0;
    for (int i = 0; i < served.input_count; i++)
        keys[key_count++] = {tool.inputs[i].key, {"inputs", i, "key"}};
    for (int j = 0; j < served.output_count; j++)
        keys[key_count++] = {tool.outputs[j].key, {"outputs", j, "key"}};
    for (int k = 0; k < key_count; k++) {
        const Key& key = keys[k];
        if (!key.text || !*key.text) {
            add(found, CHECK_ERROR, key.field, "absent");
            continue;
        }
        if (!is_identifier(key.text)) {
            add(found, CHECK_ERROR, key.field,
                "\"%s\" is not an identifier (a letter or \"_\", then letters, digits or \"_\")",
                key.text);
            continue;
        }
        if ((int)strlen(key.text) > EXPR_MAX_NAME) {
            add(found, CHECK_ERROR, key.field, "\"%s\" is longer than %d characters", key.text,
                EXPR_MAX_NAME);
            continue;
        }
        for (int earlier = 0; earlier < k; earlier++) {
            if (keys[earlier].text && strcmp(keys[earlier].text, key.text) == 0) {
                add(found, CHECK_ERROR, key.field, "\"%s\" is already the key of %s[%d]", key.text,
                    keys[earlier].field.record, keys[earlier].field.index);
                break;
            }
        }
        if (expr_function_arguments(key.text) > 0)
            add(found, CHECK_WARNING, key.field, "\"%s\" is also the name of a built-in function",
                key.text);
    }
}

// A list: 2 to TOOL_MAX_CHOICES options, each with a label of its own and a
// finite value of its own (the copy names the option by its value), and the
// default one of them, since the self-test calculates with it.
void check_choices(Findings* found, const ToolDef& tool, const PreparedTool& served) {
    for (int i = 0; i < served.input_count; i++) {
        const InputDef& input = tool.inputs[i];
        if (input.choice_count == 0 && !input.choices) continue;
        if (input.choice_count > 0 && !input.choices) {
            add(found, CHECK_ERROR, {"inputs", i, "choices"}, "absent, though choice_count is %d",
                input.choice_count);
            continue;
        }
        if (input.choice_count < 2 || input.choice_count > TOOL_MAX_CHOICES) {
            add(found, CHECK_ERROR, {"inputs", i, "choice_count"}, "%d, not 2 to %d options",
                input.choice_count, TOOL_MAX_CHOICES);
            continue;
        }
        bool default_listed = false;
        for (int k = 0; k < input.choice_count; k++) {
            const InputChoice& choice = input.choices[k];
            char where[CHECK_WHERE_CAPACITY];
            snprintf(where, sizeof where, "choices[%d].label", k);
            if (!choice.label || !*choice.label) add(found, CHECK_ERROR, {"inputs", i, where}, "absent");
            snprintf(where, sizeof where, "choices[%d].value", k);
            if (!isfinite(choice.value)) add(found, CHECK_ERROR, {"inputs", i, where}, "not a finite number");
            for (int earlier = 0; earlier < k; earlier++) {
                const InputChoice& other = input.choices[earlier];
                if (choice.label && other.label && wcscmp(choice.label, other.label) == 0) {
                    snprintf(where, sizeof where, "choices[%d].label", k);
                    add(found, CHECK_ERROR, {"inputs", i, where}, "the same as choices[%d].label", earlier);
                }
                if (choice.value == other.value) {
                    snprintf(where, sizeof where, "choices[%d].value", k);
                    add(found, CHECK_ERROR, {"inputs", i, where},
                        "%g, already the value of choices[%d] (a value must name one option)", choice.value,
                        earlier);
                }
            }
            default_listed = default_listed || choice.value == input.default_value;
        }
        if (!default_listed)
            add(found, CHECK_ERROR, {"inputs", i, "default_value"}, "%g is the value of no option",
                input.default_value);
    }
}

// A box is a yes/no factor: it has points to give, nothing else to choose,
// and starts unchecked, so a form not yet filled in never reads as a risk.
void check_boxes(Findings* found, const ToolDef& tool, const PreparedTool& served) {
    for (int i = 0; i < served.input_count; i++) {
        const InputDef& input = tool.inputs[i];
        if (!input.box) continue;
        if (!(isfinite(input.points) && input.points > 0))
            add(found, CHECK_ERROR, {"inputs", i, "points"}, "%g: a box is worth a finite number of points above 0",
                input.points);
        if (input.choice_count || input.choices)
            add(found, CHECK_ERROR, {"inputs", i, nullptr}, "a box takes no options: checked, it is worth its points");
        if (tool_input_limited(input))
            add(found, CHECK_ERROR, {"inputs", i, nullptr}, "a box takes no min, max or decimals");
        if (input.default_value != 0)
            add(found, CHECK_ERROR, {"inputs", i, "default_value"}, "%g: a box starts unchecked, at 0",
                input.default_value);
    }
}

// A typed input's limits: a range with room in it, 0 to 3 decimals, and a
// default they take, since the self-test calculates with it; a list's
// options are its values and take no limits.
void check_limits(Findings* found, const ToolDef& tool, const PreparedTool& served) {
    for (int i = 0; i < served.input_count; i++) {
        const InputDef& input = tool.inputs[i];
        if (!tool_input_limited(input) || input.box) continue;
        if (input.choice_count || input.choices) {
            add(found, CHECK_ERROR, {"inputs", i, nullptr}, "a list takes no min, max or decimals: its options are its values");
            continue;
        }
        if (!(input.min < input.max)) {
            add(found, CHECK_ERROR, {"inputs", i, "min"}, "%g is not below max %g", input.min, input.max);
            continue;
        }
        if (input.decimals != INPUT_ANY_DECIMALS && (input.decimals < 0 || input.decimals > INPUT_MAX_DECIMALS)) {
            add(found, CHECK_ERROR, {"inputs", i, "decimals"}, "%d, not 0 to %d", input.decimals, INPUT_MAX_DECIMALS);
            continue;
        }
        switch (tool_input_fault(input, input.default_value)) {
        case INPUT_SOUND: break;
        case INPUT_TOO_PRECISE:
            add(found, CHECK_ERROR, {"inputs", i, "default_value"}, "%g has more than %d decimals",
                input.default_value, input.decimals);
            break;
        default:
            add(found, CHECK_ERROR, {"inputs", i, "default_value"}, "%g is outside %g to %g", input.default_value,
                input.min, input.max);
        }
    }
}

// A formula (of output `reader`) or a condition (reader -1), read as the
// program reads it.
void check_expression(Findings* found, const PreparedTool& served, const char* text, Field field,
                      int reader) {
    ToolDef visible = served;
    if (reader >= 0) visible.output_count = reader;  // what it can read without reading 0
    ExprFault fault = expr_check(visible, text);
    int at = fault.offset;
    const char* name = text + fault.offset;
    switch (fault.kind) {
    case EXPR_SOUND:
        return;
    case EXPR_EMPTY:
        add(found, CHECK_ERROR, field, text ? "empty" : "absent");
        return;
    case EXPR_OPERAND_EXPECTED:
        add(found, CHECK_ERROR, field, "an operand is expected after \"%.*s\" in \"%s\"", at, text,
            text);
        return;
    case EXPR_CLOSE_EXPECTED:
        add(found, CHECK_ERROR, field, "\")\" is expected after \"%.*s\" in \"%s\"", at, text, text);
        return;
    case EXPR_COLON_EXPECTED:
        add(found, CHECK_ERROR, field, "\":\" is expected after \"%.*s\" in \"%s\"", at, text, text);
        return;
    case EXPR_LEFT_OVER:
        add(found, CHECK_ERROR, field, "text is left over after \"%.*s\": \"%s\"", at, text,
            text + at);
        return;
    case EXPR_TOO_DEEP:
        add(found, CHECK_ERROR, field, "nested deeper than %d after \"%.*s\"", EXPR_MAX_DEPTH, at,
            text);
        return;
    case EXPR_UNKNOWN_FUNCTION:
        add(found, CHECK_ERROR, field, "\"%.*s\" is not a function, in \"%s\"", fault.length, name,
            text);
        return;
    case EXPR_ARGUMENT_COUNT: {
        char function[EXPR_MAX_NAME + 1];
        snprintf(function, sizeof function, "%.*s", fault.length, name);
        int takes = expr_function_arguments(function);
        add(found, CHECK_ERROR, field, "\"%s\" takes %d argument%s, in \"%s\"", function, takes,
            takes == 1 ? "" : "s", text);
        return;
    }
    case EXPR_UNKNOWN_NAME:
        for (int j = reader; j >= 0 && j < served.output_count; j++) {
            const char* key = served.outputs[j].key;
            if ((int)strlen(key) == fault.length && strncmp(key, name, fault.length) == 0) {
                add(found, CHECK_ERROR, field, "reads \"%s\", %s (it would read 0), in \"%s\"", key,
                    j == reader ? "its own output" : "a later output", text);
                return;
            }
        }
        add(found, CHECK_ERROR, field, "\"%.*s\" is neither an input nor an output key, in \"%s\"",
            fault.length, name, text);
        return;
    }
}

// A list asked only when a condition holds: the condition reads the inputs
// above it alone (the window decides from what is already answered), and
// what stands for the list when it is not asked has a text to show.
void check_asked(Findings* found, const ToolDef& tool, const PreparedTool& served) {
    for (int i = 0; i < served.input_count; i++) {
        const InputDef& input = tool.inputs[i];
        if (!input.asked_when) continue;
        Field field = {"inputs", i, "asked_when"};
        if (!served.inputs[i].choice_count) {
            add(found, CHECK_ERROR, field, "only a list is asked when a condition holds");
            continue;
        }
        int before = found->count;
        check_expression(found, served, input.asked_when, field, -1);
        if (found->count > before) continue;
        ToolDef above = served;
        above.input_count = i;
        above.output_count = 0;
        ExprFault fault = expr_check(above, input.asked_when);
        if (fault.kind != EXPR_SOUND)
            add(found, CHECK_ERROR, field, "reads \"%.*s\", which is not an input above this one, in \"%s\"",
                fault.length, input.asked_when + fault.offset, input.asked_when);
        if (!tool_choice_of(served.inputs[i], input.unasked_value) && (!input.unasked_label || !*input.unasked_label))
            add(found, CHECK_ERROR, {"inputs", i, "unasked_label"},
                "absent, and %g is the value of no option: say what stands for the list when it is not asked",
                input.unasked_value);
    }
}

void check_outputs(Findings* found, const ToolDef& tool, const PreparedTool& served) {
    for (int j = 0; j < served.output_count; j++) {
        const OutputDef& output = tool.outputs[j];
        check_expression(found, served, output.formula, {"outputs", j, "formula"}, j);
        if (output.format && !format_code_known(output.format))
            add(found, CHECK_ERROR, {"outputs", j, "format"},
                "\"%s\" is not a format code (f0 f1 f2 f3 int pct date trim2)", output.format);
    }
}

// The output a rule withholds is one of the tool's, and the line it leaves
// says why, naming inputs only.
void check_withheld(Findings* found, const PreparedTool& served, const RuleDef& rule, int k) {
    if (!rule.withholds) {
        if (rule.withheld_reason)
            add(found, CHECK_WARNING, {"rules", k, "withheld_reason"}, "ignored: the rule withholds no output");
        return;
    }
    bool known = false;
    for (int j = 0; j < served.output_count && !known; j++) known = strcmp(served.outputs[j].key, rule.withholds) == 0;
    if (!known) add(found, CHECK_ERROR, {"rules", k, "withholds"}, "\"%s\" is no output's key", rule.withholds);
    if (!rule.withheld_reason || !*rule.withheld_reason) {
        add(found, CHECK_ERROR, {"rules", k, "withheld_reason"}, "absent: say why the output does not apply");
        return;
    }
    for (const wchar_t* open = wcschr(rule.withheld_reason, L'{'); open; open = wcschr(open + 1, L'{')) {
        const wchar_t* close = wcschr(open, L'}');
        if (close && tool_input_of_key(served, open + 1, (int)(close - open - 1)) >= 0) continue;
        // Keys are ASCII: anything else in the braces shows as "?".
        char name[EXPR_MAX_NAME + 1];
        int n = 0;
        for (const wchar_t* p = open + 1; *p && p != close && n < EXPR_MAX_NAME; p++)
            name[n++] = *p < 0x80 ? (char)*p : '?';
        name[n] = 0;
        add(found, CHECK_ERROR, {"rules", k, "withheld_reason"}, close ? "{%s} names no input" : "\"{%s\" has no \"}\"",
            name);
    }
}

void check_rules(Findings* found, const ToolDef& tool, const PreparedTool& served) {
    int catch_all = -1;  // the first rule whose empty condition always holds
    int count = tool.rules ? tool.rule_count : 0;
    for (int k = 0; k < count; k++) {
        const RuleDef& rule = tool.rules[k];
        bool empty = !rule.condition || !*rule.condition;
        if (!empty) check_expression(found, served, rule.condition, {"rules", k, "condition"}, -1);
        if (rule.level < 0 || rule.level >= VERDICT_LEVEL_COUNT)
            add(found, CHECK_ERROR, {"rules", k, "level"}, "%d is outside 0 to %d", rule.level,
                VERDICT_LEVEL_COUNT - 1);
        if (!rule.message || !*rule.message)
            add(found, CHECK_ERROR, {"rules", k, "message"}, "absent");
        else if (verdict_lines(rule.message) > VERDICT_LINES)
            add(found, CHECK_ERROR, {"rules", k, "message"}, "takes %d lines of the verdict box, which shows %d: shorten it",
                verdict_lines(rule.message), VERDICT_LINES);
        // A call to the doctor now is the most urgent level, whatever band
        // it stands in.
        static const wchar_t* const calls_now[] = {L"立即通知医师", L"立即报告医师", L"立即呼叫医师"};
        for (const wchar_t* now : calls_now)
            if (rule.message && wcsstr(rule.message, now) && rule.level != VERDICT_LEVEL_COUNT - 1)
                add(found, CHECK_ERROR, {"rules", k, "level"}, "%d, but the message calls the doctor now: %d",
                    rule.level, VERDICT_LEVEL_COUNT - 1);
        check_withheld(found, served, rule, k);
        if (rule.reassess_hours < REASSESS_CONTINUOUS || rule.reassess_hours > REASSESS_MAX_HOURS)
            add(found, CHECK_ERROR, {"rules", k, "reassess_hours"}, "%d is no interval: hours up to a year, 0 or %d",
                rule.reassess_hours, REASSESS_CONTINUOUS);
        else if (rule.reassess_hours != REASSESS_ON_CHANGE && !tool.assessment)
            add(found, CHECK_WARNING, {"rules", k, "reassess_hours"}, "ignored: only an assessment is reassessed");
        if (catch_all >= 0)
            add(found, CHECK_WARNING, {"rules", k, nullptr},
                "never reached: rules[%d] before it has an empty condition", catch_all);
        else if (empty)
            catch_all = k;
    }
    if (catch_all < 0)
        add(found, CHECK_WARNING, {"rules", -1, nullptr},
            "no rule has an empty condition: when none holds, the fallback verdict shows");
}

void check_report_tool(Findings* found, const ToolDef& tool, const PreparedTool& served) {
    if (tool.output_count > 0)
        add(found, CHECK_WARNING, {"outputs", -1, nullptr},
            "%d outputs are ignored: a report tool shows its report", tool.output_count);
    if (tool.rule_count > 0)
        add(found, CHECK_WARNING, {"rules", -1, nullptr},
            "%d rules are ignored: a report tool shows its report", tool.rule_count);
    for (const char* key : report_keys[tool.report_kind]) {
        if (!key) break;
        bool present = false;
        for (int i = 0; i < served.input_count && !present; i++)
            present = strcmp(served.inputs[i].key, key) == 0;
        if (!present)
            add(found, CHECK_WARNING, {"inputs", -1, nullptr},
                "no input \"%s\", which report kind %d reads (it then uses its default)", key,
                tool.report_kind);
    }
}

}  // namespace

int tool_check(const ToolDef& tool, CheckFinding* findings, int capacity) {
    Findings found = {findings, capacity, 0};
    PreparedTool served;
    tool_prepare(tool, &served);

    if (!tool.title || !*tool.title) add(&found, CHECK_ERROR, {"title", -1, nullptr}, "absent");
    bool report_tool = tool.report_kind != REPORT_NONE;
    if (tool.report_kind < 0 || tool.report_kind >= REPORT_KIND_COUNT) {
        add(&found, CHECK_ERROR, {"report_kind", -1, nullptr}, "%d is not a report kind (0 to %d)",
            tool.report_kind, REPORT_KIND_COUNT - 1);
        report_tool = false;
    }
    check_count(&found, "input_count", "inputs", tool.input_count, tool.inputs, TOOL_MAX_INPUTS,
                "inputs the program holds");
    check_count(&found, "output_count", "outputs", tool.output_count, tool.outputs, TOOL_MAX_OUTPUTS,
                "the program holds");
    check_count(&found, "rule_count", "rules", tool.rule_count, tool.rules, 0, "");
    check_keys(&found, tool, served);
    check_choices(&found, tool, served);
    check_limits(&found, tool, served);
    check_boxes(&found, tool, served);
    check_asked(&found, tool, served);
    if (report_tool) {
        check_report_tool(&found, tool, served);
    } else if (tool.report_kind == REPORT_NONE) {
        check_outputs(&found, tool, served);
        check_rules(&found, tool, served);
        if (served.output_count > 0 && served.headline_output < 0)
            add(&found, CHECK_ERROR, {"headline", -1, nullptr},
                tool.headline ? "\"%s\" is no output's key: name the output that stands for the result"
                              : "%sabsent: name the output that stands for the result (a scale's total)",
                tool.headline ? tool.headline : "");
    }
    return found.count;
}
