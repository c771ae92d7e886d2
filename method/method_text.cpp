// Writing formulas and rules for a reader. The text is read piece by piece
// as the evaluator's grammar has it, its names and numbers by the
// evaluator's own reading: a top-level "?:" chain becomes its bands, a
// parenthesised group or a call's arguments are written in turn (a call in
// the signs or words its function's row gives), and every other piece is a
// key (written as its label; a box or a list compared with a number as
// ticked or not, or by its option), a number, or an operator (written as
// its sign).
#include "method/method.h"

#include "rounds/reassess.h"

#include <string.h>
#include <wchar.h>

#include "expr/expr_functions.h"
#include "expr/expr_read.h"

namespace {

// The text being written, cut where it is full.
struct Writer {
    wchar_t* text;
    int capacity, length;
    bool cut;
    int calls;  // the calls whose arguments are being written
    // The argument being written is the only one of its call, whose
    // brackets already set it apart ("向下取整(取…中较大者)").
    bool sole_argument;
};

void put(Writer* w, const wchar_t* piece) {
    for (; *piece; piece++) {
        if (w->length >= w->capacity - 1) {
            w->cut = true;
            break;
        }
        w->text[w->length++] = *piece;
    }
    w->text[w->length] = 0;
}

// Widens an ASCII piece of a formula (a number, a function's name).
void put_ascii(Writer* w, const char* begin, const char* end) {
    wchar_t piece[2] = {0, 0};
    for (const char* p = begin; p < end; p++) {
        piece[0] = (wchar_t)(unsigned char)*p;
        put(w, piece);
    }
}

struct Range {
    const char* begin;
    const char* end;
};

Range trimmed(Range r) {
    while (r.begin < r.end && expr_char_is(*r.begin, EXPR_SPACE)) r.begin++;
    while (r.end > r.begin && expr_char_is(r.end[-1], EXPR_SPACE)) r.end--;
    return r;
}

// The pieces as the evaluator reads them, within the range being written.
const char* within(const char* p, const char* end) { return p < end ? p : end; }
const char* spaces_end(const char* p, const char* end) { return within(expr_skip_spaces(p), end); }
const char* name_end(const char* p, const char* end) { return within(p + expr_name_length(p), end); }
// A lone point is no number; it is written as it stands, as the check refuses it.
const char* number_end(const char* p, const char* end) {
    ExprNumber number = expr_read_number(p);
    return number.end > p ? within(number.end, end) : p + 1;
}

// The ")" that closes the "(" at `open`, or `end` when there is none.
const char* closing(const char* open, const char* end) {
    int depth = 0;
    for (const char* p = open; p < end; p++) {
        if (*p == '(') depth++;
        if (*p == ')' && --depth == 0) return p;
    }
    return end;
}

// The first `c` outside parentheses, or nullptr.
const char* top_level(Range r, char c) {
    for (const char* p = r.begin; p < r.end; p++) {
        if (*p == '(') p = closing(p, r.end);
        else if (*p == c) return p;
    }
    return nullptr;
}

// The ":" that answers the "?" at `question`: nested "?:" pairs in between
// are skipped.
const char* answering_colon(const char* question, const char* end) {
    int open = 0;
    for (const char* p = question + 1; p < end; p++) {
        if (*p == '(') p = closing(p, end);
        else if (*p == '?') open++;
        else if (*p == ':' && open-- == 0) return p;
    }
    return nullptr;
}

// The input of key `name`, or nullptr.
const InputDef* input_named(const PreparedTool& tool, const char* name, int length) {
    for (int i = 0; i < tool.input_count; i++)
        if ((int)strlen(tool.inputs[i].key) == length && strncmp(tool.inputs[i].key, name, length) == 0)
            return &tool.inputs[i];
    return nullptr;
}

// The label of key `name`: an input's hides an output's of the same key, as
// in the evaluator. nullptr for a name that is no key.
const wchar_t* label_of(const PreparedTool& tool, const char* name, int length) {
    if (const InputDef* input = input_named(tool, name, length)) return input->label;
    for (int j = 0; j < tool.output_count; j++)
        if ((int)strlen(tool.outputs[j].key) == length && strncmp(tool.outputs[j].key, name, length) == 0)
            return tool.outputs[j].label;
    return nullptr;
}

// A label that begins with a digit, as an item's number does ("5a 左上肢运动",
// "7 肢体共济失调"), is set off, so that it never reads as a number in the
// sum around it.
void put_label(Writer* w, const wchar_t* label) {
    bool numbered = label[0] >= L'0' && label[0] <= L'9';
    if (numbered) put(w, L"【");
    put(w, label);
    if (numbered) put(w, L"】");
}

// The length of an option label's head: what stands before its "：" ("UN",
// "2 级", "-4 分"), or the whole label.
int head_length(const wchar_t* label) {
    const wchar_t* colon = wcschr(label, L'：');
    return colon ? (int)(colon - label) : (int)wcslen(label);
}

// An option as a condition names it: its head, which the list shows first
// and which reads as the scale writes it ("UN", "2 级", "-4 分"); but an
// answer of a word or two after a score ("1 分：是（阳性）") by that word,
// "是", since "= 1 分" would read as the points it is worth.
struct OptionName {
    const wchar_t* text;
    int length;
};
OptionName option_name(const wchar_t* label) {
    int head = head_length(label);
    if (head > 0 && label[head] && label[head - 1] == L'分') {
        const wchar_t* answer = label + head + 1;
        int n = 0;
        while (answer[n] && answer[n] != L'（' && answer[n] != L'，') n++;
        if (n > 0 && n <= 2) return {answer, n};
    }
    return {label, head};
}

// The option of `list` whose value is `value`, by its name when no other
// option's is the same, else by its whole label. False when no option has
// the value.
bool put_option(Writer* w, const InputDef& list, double value) {
    const InputChoice* option = tool_choice_of(list, value);
    if (!option) return false;
    OptionName name = option_name(option->label);
    for (int k = 0; k < list.choice_count; k++) {
        OptionName other = option_name(list.choices[k].label);
        if (&list.choices[k] != option && other.length == name.length && wcsncmp(other.text, name.text, name.length) == 0)
            name = {option->label, (int)wcslen(option->label)};
    }
    for (int i = 0; i < name.length; i++) {
        const wchar_t piece[2] = {name.text[i], 0};
        put(w, piece);
    }
    return true;
}

enum Comparison { NONE, LESS, LESS_EQUAL, GREATER, GREATER_EQUAL, EQUAL, NOT_EQUAL };

bool holds(Comparison kind, double l, double r) {
    switch (kind) {
    case LESS: return l < r;
    case LESS_EQUAL: return l <= r;
    case GREATER: return l > r;
    case GREATER_EQUAL: return l >= r;
    case EQUAL: return l == r;
    case NOT_EQUAL: return l != r;
    default: return false;
    }
}

struct Sign {
    const char* op;
    const wchar_t* sign;
    Comparison comparison;
};
// Longest first, so "<=" is never read as "<".
const Sign signs[] = {
    {"<=", L" ≤ ", LESS_EQUAL}, {">=", L" ≥ ", GREATER_EQUAL}, {"==", L" = ", EQUAL}, {"!=", L" ≠ ", NOT_EQUAL},
    {"&&", L" 且 ", NONE},      {"||", L" 或 ", NONE},          {"<", L" < ", LESS},   {">", L" > ", GREATER},
    {"*", L" × ", NONE},        {"/", L" ÷ ", NONE},            {"%", L" mod ", NONE}, {"^", L"^", NONE},
    {"+", L" + ", NONE},        {"-", L" − ", NONE},            {"!", L"非", NONE},    {",", L", ", NONE},
};

const Sign* sign_at(const char* p) {
    for (const Sign& s : signs)
        if (strncmp(p, s.op, strlen(s.op)) == 0) return &s;
    return nullptr;
}

// A comparison with a number that is its whole right side, "> 0" or
// "== 9": how a list or a box is asked about.
struct Compared {
    const Sign* sign;
    double value;
    const char* end;  // where the comparison ends
};

bool compared_with_number(const char* p, const char* end, Compared* c) {
    p = spaces_end(p, end);
    c->sign = sign_at(p);
    if (!c->sign || c->sign->comparison == NONE) return false;
    p = spaces_end(p + strlen(c->sign->op), end);
    bool negative = p < end && *p == '-';
    if (p < end && (*p == '-' || *p == '+')) p++;
    if (p == end || !expr_starts_number(*p)) return false;
    ExprNumber number = expr_read_number(p);
    if (number.end == p) return false;
    c->end = within(number.end, end);
    c->value = negative ? -number.value : number.value;
    const char* next = spaces_end(c->end, end);
    return next == end || strchr("&|?:),", *next);
}

// Whether a box or a list is asked about in words: a box when the
// comparison holds for it ticked alone or unticked alone (not either way), a
// list when an option has the value compared with.
bool asked_in_words(const InputDef& input, const Compared& c) {
    if (input.box) return holds(c.sign->comparison, input.points, c.value) != holds(c.sign->comparison, 0, c.value);
    return input.choice_count && tool_choice_of(input, c.value);
}

// A box as "已勾选" or "未勾选"; a list's comparison by its option, "= UN",
// "≥ 3 级", after its label unless a band leaves that out.
void put_asked(Writer* w, const InputDef& input, const Compared& c, bool with_label) {
    if (input.box) {
        put_label(w, input.label);
        put(w, holds(c.sign->comparison, input.points, c.value) ? L" 已勾选" : L" 未勾选");
        return;
    }
    if (with_label) put_label(w, input.label);
    put(w, with_label ? c.sign->sign : c.sign->sign + 1);
    put_option(w, input, c.value);
}

void write_expression(const PreparedTool& tool, Range r, Writer* w);

// A call's arguments, split at their commas, each written as an expression
// of its own, so a chain inside reads as bands too. A call in words
// ("取…与…中较大者") stands in parentheses where something else is computed
// around it, another call's argument included, unless it is a one-argument
// call's whole argument. A name that is no function is written as it stands.
void write_call(const PreparedTool& tool, const ExprFunction* function, Range name, Range inside, bool alone,
                Writer* w) {
    bool wrapped = function && function->in_words && (!alone || (w->calls > 0 && !w->sole_argument));
    if (wrapped) put(w, L"(");
    if (function) put(w, function->before);
    else {
        put_ascii(w, name.begin, name.end);
        put(w, L"(");
    }
    const char* comma = top_level(inside, ',');
    w->calls++;
    bool sole = w->sole_argument;
    w->sole_argument = !comma;
    write_expression(tool, {inside.begin, comma ? comma : inside.end}, w);
    if (comma) {
        put(w, function && function->arguments == 2 ? function->between : L", ");
        write_expression(tool, {comma + 1, inside.end}, w);
    }
    w->sole_argument = sole;
    w->calls--;
    put(w, function ? function->after : L")");
    if (wrapped) put(w, L")");
}

// Tokens in turn; a group and a call's arguments are written as
// expressions of their own. `subject` is the list a band compares when the
// band leaves it out ("≥ 3 级").
void write_tokens(const PreparedTool& tool, Range r, Writer* w, const InputDef* subject) {
    bool operand_before = false;  // a "-" after an operand subtracts; otherwise it negates
    bool side_start = true;       // what comes next is a whole side of a comparison
    Compared c;
    if (subject && compared_with_number(r.begin, r.end, &c) && asked_in_words(*subject, c)) {
        put_asked(w, *subject, c, false);
        r.begin = c.end;
        operand_before = true;
        side_start = false;
    }
    for (const char* p = r.begin; p < r.end;) {
        if (expr_char_is(*p, EXPR_SPACE)) {
            p++;
            continue;
        }
        if (*p == '(') {
            const char* close = closing(p, r.end);
            put(w, L"(");
            write_expression(tool, {p + 1, close}, w);
            put(w, L")");
            p = close < r.end ? close + 1 : close;
            operand_before = true;
            side_start = false;
            continue;
        }
        if (expr_char_is(*p, EXPR_NAME_START)) {
            const char* start = p;
            p = name_end(p, r.end);
            Range name = {start, p};
            const char* after = spaces_end(p, r.end);
            const InputDef* input = input_named(tool, start, (int)(p - start));
            const wchar_t* label = label_of(tool, start, (int)(p - start));
            if (after < r.end && *after == '(') {  // a call, whatever keys there are, as the evaluator reads it
                const char* close = closing(after, r.end);
                const char* rest = close < r.end ? close + 1 : close;
                bool alone = start == trimmed(r).begin && trimmed({rest, r.end}).begin == r.end;
                write_call(tool, expr_function_named(start, (int)(p - start)), name, {after + 1, close}, alone, w);
                p = rest;
            } else if (side_start && input && compared_with_number(p, r.end, &c) && asked_in_words(*input, c)) {
                put_asked(w, *input, c, true);
                p = c.end;
            } else if (label) {
                put_label(w, label);
            } else {
                put_ascii(w, name.begin, name.end);  // the check refuses such a text
            }
            operand_before = true;
            side_start = false;
            continue;
        }
        if (expr_starts_number(*p)) {
            const char* start = p;
            p = number_end(p, r.end);
            put_ascii(w, start, p);
            operand_before = true;
            side_start = false;
            continue;
        }
        const Sign* found = sign_at(p);
        if (!found) {  // the check refuses such a text; write it as it stands
            put_ascii(w, p, p + 1);
            p++;
            continue;
        }
        bool prefix = !operand_before && (*p == '-' || *p == '+');
        const wchar_t* sign = prefix ? (*p == '-' ? L"−" : L"") : found->sign;
        // A band that leaves out what it compares starts with its sign.
        bool starts = w->length == 0 || w->text[w->length - 1] == L'；' || w->text[w->length - 1] == L'(';
        put(w, starts && *sign == L' ' ? sign + 1 : sign);
        p += strlen(found->op);
        operand_before = false;
        side_start = found->op[0] == '&' || found->op[0] == '|';
    }
}

// The text before a condition's comparison sign: "rr" of "rr <= 8".
Range compared(Range condition) {
    for (const char* p = condition.begin; p < condition.end; p++) {
        if (*p == '(') p = closing(p, condition.end);
        else if (*p == '<' || *p == '>' || (*p == '=' && p[1] == '=') || (*p == '!' && p[1] == '='))
            return trimmed({condition.begin, p});
        else if ((*p == '&' && p[1] == '&') || (*p == '|' && p[1] == '|') || *p == '?')
            break;
    }
    return {nullptr, nullptr};
}

bool same_text(Range a, Range b) {
    return a.begin && b.begin && a.end - a.begin == b.end - b.begin &&
           strncmp(a.begin, b.begin, a.end - a.begin) == 0;
}

// A chain of conditions as its bands: "c1 → v1；c2 → v2；其余 → v3". A band
// that compares what the band before it compared leaves it out ("≤ 11"),
// unless that is a box, which reads as ticked or not.
void write_expression(const PreparedTool& tool, Range r, Writer* w) {
    r = trimmed(r);
    Range compared_before = {nullptr, nullptr};
    for (bool first = true;; first = false) {
        const char* question = top_level(r, '?');
        const char* colon = question ? answering_colon(question, r.end) : nullptr;
        if (!colon) {
            if (!first) put(w, L"其余 → ");
            write_tokens(tool, r, w, nullptr);
            return;
        }
        Range condition = trimmed({r.begin, question});
        Range now = compared(condition);
        const InputDef* input = now.begin ? input_named(tool, now.begin, (int)(now.end - now.begin)) : nullptr;
        const InputDef* left_out = nullptr;
        if (same_text(now, compared_before) && !(input && input->box)) {
            condition.begin = now.end;
            if (input && input->choice_count) left_out = input;
        }
        compared_before = now;
        write_tokens(tool, condition, w, left_out);
        put(w, L" → ");
        write_expression(tool, {question + 1, colon}, w);
        put(w, L"；");
        r = trimmed({colon + 1, r.end});
    }
}

// What an output that only repeats a list's choice is, in words: there is
// no formula to show, only the chosen option's score (or grade).
struct ChoiceValue {
    const wchar_t* unit;
    const wchar_t* value;
};
const ChoiceValue choice_values[] = {{L"分", L"分值"}, {L"级", L"级别"}};

bool write_repeated_choice(const PreparedTool& tool, const OutputDef& output, Writer* w) {
    Range formula = trimmed({output.formula, output.formula + strlen(output.formula)});
    for (const char* p = formula.begin; p < formula.end; p++)
        if (!expr_char_is(*p, EXPR_NAME_CHAR)) return false;
    const InputDef* list = input_named(tool, formula.begin, (int)(formula.end - formula.begin));
    if (!list || !list->choice_count) return false;
    put_label(w, output.label);
    put(w, L"：取");
    if (wcscmp(list->label, output.label) != 0) {
        put(w, L"“");
        put(w, list->label);
        put(w, L"”");
    }
    put(w, L"所选选项的");
    const wchar_t* value = L"数值";
    for (const ChoiceValue& c : choice_values)
        if (wcscmp(c.unit, output.unit) == 0) value = c.value;
    put(w, value);
    return true;
}

// "label = formula".
void write_output(const PreparedTool& tool, const OutputDef& output, Writer* w) {
    if (write_repeated_choice(tool, output, w)) return;
    put_label(w, output.label);
    put(w, L" = ");
    write_expression(tool, {output.formula, output.formula + strlen(output.formula)}, w);
}

// "condition → message（colour，meaning）".
void write_rule(const PreparedTool& tool, const RuleDef& rule, Writer* w) {
    if (rule.condition && *rule.condition)
        write_expression(tool, {rule.condition, rule.condition + strlen(rule.condition)}, w);
    else
        put(w, L"其余");
    put(w, L" → ");
    put(w, rule.message ? rule.message : L"");
    const VerdictLevel& level = verdict_level(rule.level);
    put(w, L"（");
    put(w, level.colour_name);
    put(w, L"，");
    put(w, level.meaning);
    put(w, L"）");
    for (int j = 0; rule.withholds && j < tool.output_count; j++) {
        if (strcmp(tool.outputs[j].key, rule.withholds) != 0) continue;
        put(w, L"，");
        put(w, tool.outputs[j].label);
        put(w, L"不适用、不计算");
    }
    wchar_t interval[32];
    if (tool.assessment && reassess_interval_text(rule.reassess_hours, interval, 32) > 0) {
        put(w, L"；复评：");
        put(w, interval);
    }
}

int finish(Writer* w) {
    if (w->cut && w->capacity > 1) w->text[w->capacity - 2] = TEXT_CUT_MARK;
    return w->length;
}

}  // namespace

int method_output_text(const PreparedTool& tool, int j, wchar_t* text, int capacity) {
    Writer w = {text, capacity, 0, false, 0, false};
    if (capacity < 1) return 0;
    text[0] = 0;
    write_output(tool, tool.outputs[j], &w);
    return finish(&w);
}

int method_rule_text(const PreparedTool& tool, int i, wchar_t* text, int capacity) {
    Writer w = {text, capacity, 0, false, 0, false};
    if (capacity < 1) return 0;
    text[0] = 0;
    write_rule(tool, tool.rules[i], &w);
    return finish(&w);
}

int method_account_text(const PreparedTool& tool, const wchar_t* line_break, wchar_t* text, int capacity) {
    Writer w = {text, capacity, 0, false, 0, false};
    if (capacity < 1) return 0;
    text[0] = 0;
    if (tool.report_kind != REPORT_NONE) return 0;
    put(&w, L"计算方法（由程序实际使用的计算式生成，“→”前为条件，“其余”指以上条件都不成立）：");
    for (int j = 0; j < tool.output_count; j++) {
        put(&w, line_break);
        put(&w, L"  · ");
        write_output(tool, tool.outputs[j], &w);
    }
    put(&w, line_break);
    put(&w, L"结论（按顺序判断，第一条成立的即为结论）：");
    for (int i = 0; i < tool.rule_count; i++) {
        put(&w, line_break);
        put(&w, L"  · ");
        write_rule(tool, tool.rules[i], &w);
    }
    if (tool.assessment) {
        put(&w, line_break);
        put(&w, L"复评（各院可按本院规定设定间隔）：");
        put(&w, tool.reassess_events ? tool.reassess_events : REASSESS_DEFAULT_EVENTS);
    }
    return finish(&w);
}

int method_input_text(const PreparedTool& tool, int i, const wchar_t* option_break, wchar_t* text, int capacity) {
    const InputDef& input = tool.inputs[i];
    Writer w = {text, capacity, 0, false, 0, false};
    if (capacity < 1) return 0;
    text[0] = 0;
    put(&w, input.label);
    if (input.box) {
        wchar_t points[VALUE_TEXT_CAPACITY];
        tool_box_points_text(input, points, VALUE_TEXT_CAPACITY);
        put(&w, L"（勾选项，");
        put(&w, points);
        put(&w, L"）");
        return finish(&w);
    }
    if (input.choice_count && *input.asked_when) {
        put(&w, L"（下拉列表，选其一；仅当 ");
        write_expression(tool, {input.asked_when, input.asked_when + strlen(input.asked_when)}, &w);
        const InputChoice* stands = tool_choice_of(input, input.unasked_value);
        put(&w, L" 时须选，否则记为“");
        put(&w, stands ? stands->label : input.unasked_label);
        put(&w, L"”）：");
        for (int k = 0; k < input.choice_count; k++) {
            put(&w, option_break);
            put(&w, input.choices[k].label);
        }
        return finish(&w);
    }
    if (input.choice_count) {
        put(&w, L"（下拉列表，选其一）：");
        for (int k = 0; k < input.choice_count; k++) {
            put(&w, option_break);
            put(&w, input.choices[k].label);
        }
        return finish(&w);
    }
    if (input.unit && *input.unit) {
        put(&w, L"（");
        put(&w, input.unit);
        put(&w, L"）");
    }
    wchar_t piece[VALUE_TEXT_CAPACITY];
    format_default_value(input.default_value, piece, VALUE_TEXT_CAPACITY);
    put(&w, input.starts_empty ? L"：开始时为空，须填写" : L"：默认 ");
    if (!input.starts_empty) put(&w, piece);
    wchar_t range[128];
    if (tool_input_range_text(input, range, 128) > 0) {
        put(&w, L"；范围 ");
        put(&w, range);
    }
    if (input.decimals == 0) put(&w, L"，整数");
    if (input.decimals > 0) {
        text_format(piece, VALUE_TEXT_CAPACITY, L"，最多 %d 位小数", input.decimals);
        put(&w, piece);
    }
    return finish(&w);
}
