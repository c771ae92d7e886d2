// Writing formulas and rules for a reader. The text is read piece by piece
// as the evaluator's grammar has it: a top-level "?:" chain becomes its
// bands, a parenthesised group or a call's arguments are written in turn,
// and every other token is a key (written as its label), a number, or an
// operator (written as its sign).
#include "method/method.h"

#include <string.h>

namespace {

// The text being written, cut where it is full.
struct Writer {
    wchar_t* text;
    int capacity, length;
    bool cut;
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

bool is_space(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
bool is_name_start(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_'; }
bool is_name_char(char c) { return is_name_start(c) || (c >= '0' && c <= '9'); }
bool is_number_char(char c) { return (c >= '0' && c <= '9') || c == '.'; }

Range trimmed(Range r) {
    while (r.begin < r.end && is_space(*r.begin)) r.begin++;
    while (r.end > r.begin && is_space(r.end[-1])) r.end--;
    return r;
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

// The label of key `name`: an input's hides an output's of the same key, as
// in the evaluator. nullptr for a name that is no key.
const wchar_t* label_of(const PreparedTool& tool, const char* name, int length) {
    for (int i = 0; i < tool.input_count; i++)
        if ((int)strlen(tool.inputs[i].key) == length && strncmp(tool.inputs[i].key, name, length) == 0)
            return tool.inputs[i].label;
    for (int j = 0; j < tool.output_count; j++)
        if ((int)strlen(tool.outputs[j].key) == length && strncmp(tool.outputs[j].key, name, length) == 0)
            return tool.outputs[j].label;
    return nullptr;
}

struct Sign {
    const char* op;
    const wchar_t* sign;
};
// Longest first, so "<=" is never read as "<".
const Sign signs[] = {
    {"<=", L" ≤ "}, {">=", L" ≥ "}, {"==", L" = "}, {"!=", L" ≠ "}, {"&&", L" 且 "}, {"||", L" 或 "},
    {"<", L" < "},  {">", L" > "},  {"*", L" × "},  {"/", L" ÷ "},  {"%", L" mod "}, {"^", L"^"},
    {"+", L" + "},  {"-", L" − "},  {"!", L"非"},   {",", L", "},
};

void write_expression(const PreparedTool& tool, Range r, Writer* w);

// Tokens in turn; a group and a call's arguments are written as
// expressions of their own, so a chain inside them reads as bands too.
void write_tokens(const PreparedTool& tool, Range r, Writer* w) {
    bool operand_before = false;  // a "-" after an operand subtracts; otherwise it negates
    for (const char* p = r.begin; p < r.end;) {
        if (is_space(*p)) {
            p++;
            continue;
        }
        if (*p == '(') {
            const char* close = closing(p, r.end);
            put(w, L"(");
            // A call's arguments, split at their commas.
            Range inside = {p + 1, close};
            for (const char* comma; (comma = top_level(inside, ',')) != nullptr; inside.begin = comma + 1) {
                write_expression(tool, {inside.begin, comma}, w);
                put(w, L", ");
            }
            write_expression(tool, inside, w);
            put(w, L")");
            p = close < r.end ? close + 1 : close;
            operand_before = true;
            continue;
        }
        if (is_name_start(*p)) {
            const char* start = p;
            while (p < r.end && is_name_char(*p)) p++;
            const wchar_t* label = label_of(tool, start, (int)(p - start));
            if (label) put(w, label);
            else put_ascii(w, start, p);  // a function's name
            operand_before = true;
            continue;
        }
        if (is_number_char(*p)) {
            const char* start = p;
            while (p < r.end && (is_number_char(*p) || *p == 'e' || *p == 'E' ||
                                 ((*p == '+' || *p == '-') && (p[-1] == 'e' || p[-1] == 'E'))))
                p++;
            put_ascii(w, start, p);
            operand_before = true;
            continue;
        }
        const Sign* found = nullptr;
        for (const Sign& s : signs)
            if (!found && strncmp(p, s.op, strlen(s.op)) == 0) found = &s;
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
// that compares what the band before it compared leaves it out ("≤ 11").
void write_expression(const PreparedTool& tool, Range r, Writer* w) {
    r = trimmed(r);
    Range subject = {nullptr, nullptr};
    for (bool first = true;; first = false) {
        const char* question = top_level(r, '?');
        const char* colon = question ? answering_colon(question, r.end) : nullptr;
        if (!colon) {
            if (!first) put(w, L"其余 → ");
            write_tokens(tool, r, w);
            return;
        }
        Range condition = trimmed({r.begin, question});
        Range now = compared(condition);
        if (same_text(now, subject)) condition.begin = now.end;
        subject = now;
        write_tokens(tool, condition, w);
        put(w, L" → ");
        write_expression(tool, {question + 1, colon}, w);
        put(w, L"；");
        r = trimmed({colon + 1, r.end});
    }
}

int finish(Writer* w) {
    if (w->cut && w->capacity > 1) w->text[w->capacity - 2] = TEXT_CUT_MARK;
    return w->length;
}

}  // namespace

int method_expression_text(const PreparedTool& tool, const char* expression, wchar_t* text, int capacity) {
    Writer w = {text, capacity, 0, false};
    if (capacity > 0) text[0] = 0;
    if (capacity < 1 || !expression) return 0;
    write_expression(tool, {expression, expression + strlen(expression)}, &w);
    return finish(&w);
}

int method_output_text(const PreparedTool& tool, int j, wchar_t* text, int capacity) {
    Writer w = {text, capacity, 0, false};
    if (capacity < 1) return 0;
    text[0] = 0;
    put(&w, tool.outputs[j].label);
    put(&w, L" = ");
    const char* formula = tool.outputs[j].formula;
    write_expression(tool, {formula, formula + strlen(formula)}, &w);
    return finish(&w);
}

int method_rule_text(const PreparedTool& tool, int i, wchar_t* text, int capacity) {
    Writer w = {text, capacity, 0, false};
    if (capacity < 1) return 0;
    text[0] = 0;
    const RuleDef& rule = tool.rules[i];
    if (rule.condition && *rule.condition)
        write_expression(tool, {rule.condition, rule.condition + strlen(rule.condition)}, &w);
    else
        put(&w, L"其余");
    put(&w, L" → ");
    put(&w, rule.message ? rule.message : L"");
    const VerdictLevel& level = verdict_level(rule.level);
    put(&w, L"（");
    put(&w, level.colour_name);
    put(&w, L"，");
    put(&w, level.meaning);
    put(&w, L"）");
    return finish(&w);
}

int method_input_text(const InputDef& input, const wchar_t* option_break, wchar_t* text, int capacity) {
    Writer w = {text, capacity, 0, false};
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
