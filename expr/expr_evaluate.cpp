// A recursive-descent evaluator that computes while it parses: no tokens, no
// tree, no heap. Each function below is one precedence level, loosest first.
#include "expr/expr.h"

#include <math.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include "expr/expr_functions.h"
#include "expr/expr_read.h"

namespace {

struct ExprState {
    const ToolDef* tool;
    const double* input_values;
    const double* output_values;
    const char* cursor;
    int failed;  // set by every error, never cleared
    int depth;   // current nesting, bounded by EXPR_MAX_DEPTH
    bool too_deep;
    // Set only by expr_check, which wants the first fault of the text, not
    // a value; the evaluation's paths read it only where they fail.
    ExprFault* fault;
    const char* text;
};

inline bool truth(double v) { return v != 0; }  // NaN is true

// The cursor always rests on a character that is not whitespace: the text's
// start is skipped once, and every token is consumed through advance(), which
// skips what follows it. A level then looks at the next character directly;
// whitespace is still allowed before and after every operand and operator.
// The cursor is stored once, after the loop: a char read may alias anything,
// so a cursor kept in the state would be written back at every character.
[[gnu::always_inline]] inline void advance(ExprState* s, int count) {
    s->cursor = expr_skip_spaces(s->cursor + count);
}

inline double fail(ExprState* s) {
    s->failed = 1;
    return 0.0;
}

// A failure that no value can avoid: fails, and tells expr_check where.
[[gnu::cold, gnu::noinline]] double fault(ExprState* s, ExprFaultKind kind, const char* at,
                                          int length = 0) {
    s->failed = 1;
    if (s->fault && s->fault->kind == EXPR_SOUND)
        *s->fault = {kind, (int)(at - s->text), length};
    return 0.0;
}

// A name as it stands in the text: not terminated, `length` characters.
struct Name {
    const char* text;
    int length;
};

// A key equals a name when it has the same characters and ends with it; a
// shorter key stops the loop at its NUL.
inline bool name_is(const char* key, Name name) {
    if (!key || key[0] != name.text[0]) return false;  // most keys differ at once
    for (int i = 1; i < name.length; i++)
        if (key[i] != name.text[i]) return false;
    return key[name.length] == 0;
}

// The rounding functions take the decimal their argument means, as the
// comparisons do: (7.3 - 7) / 0.1 is 2.9999999999999964 in binary, and a
// dose rounded down from it must be 3, not 2. From 1e12 on a double's
// fraction is below the twelfth digit: the value is taken as it is, so no
// whole number is rounded to another.
double decimal(double v);
double decimal_below_whole_digits(double x) { return fabs(x) < 1e12 ? decimal(x) : x; }
double fn_floor(double x) { return floor(decimal_below_whole_digits(x)); }
double fn_ceil(double x) { return ceil(decimal_below_whole_digits(x)); }
// Halves go up: -2.5 gives -2. Written with x - floor(x), which is exact,
// rather than floor(x + 0.5), which is not: an odd integer between 2^52 and
// 2^53 plus 0.5 rounds to the next even one.
double fn_round(double x) {
    x = decimal_below_whole_digits(x);
    double r = floor(x);
    return x - r >= 0.5 ? r + 1 : r + 0.0;  // + 0.0: -0 gives 0, as floor(-0 + 0.5) does
}
double fn_cbrt(double x) {
    // A power of a rounded third, not the C library's cbrt: the suite's
    // formulas were written against it, so cbrt(64) is 3.9999999999999996.
    return x >= 0 ? pow(x, 0.3333333333333333) : -pow(-x, 0.3333333333333333);
}
double fn_sign(double x) { return x > 0 ? 1.0 : x < 0 ? -1.0 : 0.0; }

// A NaN argument gives NaN whichever side it is on, so the evaluation fails:
// "a < b ? a : b" alone would turn min(NaN, 20) into a plausible 20.
double fn_min(double a, double b) { return a < b || isnan(a) ? a : b; }
double fn_max(double a, double b) { return a > b || isnan(a) ? a : b; }

// A call of `f`; an argument outside its domain fails with 0.0. A NaN
// argument passes every domain test and gives NaN, which the top level then
// reports as a failure.
double call(const ExprFunction& f, double x, double y, ExprState* s) {
    switch (f.id) {
    case EXPR_FN_SQRT: return x < 0 ? fail(s) : sqrt(x);
    case EXPR_FN_ABS: return fabs(x);
    case EXPR_FN_LOG: return x <= 0 ? fail(s) : log(x);
    case EXPR_FN_LOG10: return x <= 0 ? fail(s) : log10(x);
    case EXPR_FN_EXP: return exp(x);
    case EXPR_FN_FLOOR: return fn_floor(x);
    case EXPR_FN_CEIL: return fn_ceil(x);
    case EXPR_FN_ROUND: return fn_round(x);
    case EXPR_FN_CBRT: return fn_cbrt(x);
    case EXPR_FN_SIGN: return fn_sign(x);
    case EXPR_FN_MIN: return fn_min(x, y);
    case EXPR_FN_MAX: return fn_max(x, y);
    case EXPR_FN_POW: return pow(x, y);
    case EXPR_FN_MOD: return y == 0 ? fail(s) : fmod(x, y);
    }
    return fail(s);
}

double expr_conditional(ExprState* s);
double expr_unary(ExprState* s);

// Every recursion of the grammar goes through here, so the depth is bounded.
// Once too deep, no level descends again: the levels above would otherwise
// re-parse the same text from every branch, which takes exponential time.
inline double nested(ExprState* s, double (*level)(ExprState*)) {
    if (s->too_deep || s->depth >= EXPR_MAX_DEPTH) {
        s->too_deep = true;
        return fault(s, EXPR_TOO_DEEP, s->cursor);
    }
    s->depth++;
    double v = level(s);
    s->depth--;
    return v;
}

// The powers of ten that are exact doubles (5^22 < 2^53 < 5^23), for the
// number fast path and the rounding to decimal digits.
constexpr int EXACT_POWERS_OF_TEN = 23;
constexpr double exact_powers_of_ten[EXACT_POWERS_OF_TEN] = {
    1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
    1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

// The language's values are the decimals their arithmetic means, to
// SIGNIFICANT_DIGITS digits (expr.h). A double carries about 16, and the
// last of them are the binary rounding of decimal fractions: 16.1 - 6.1 is
// 10.000000000000002 and a clearance of exactly 30 comes out
// 29.999999999999996, which a rule's band edge would otherwise see. The
// rounding is printf's "%.12g" read back, done in a few operations rather
// than a printf, since every comparison pays it; its scaling uses only the
// exact powers above, so a value that would need another (|v| below 1e-11,
// or from 1e34 on) is left as it is.
constexpr int SIGNIFICANT_DIGITS = 12;
constexpr double SCALED_LOW = exact_powers_of_ten[SIGNIFICANT_DIGITS - 1];  // 1e11
constexpr double SCALED_HIGH = exact_powers_of_ten[SIGNIFICANT_DIGITS];     // 1e12

// a * b - product exactly, where product is a * b rounded (Dekker's
// product, splitting each factor into halves of 26 bits whose products are
// exact). One operation a statement, so that no compiler fuses a multiply
// and an add, which would change the rounding the method counts on.
double product_tail(double a, double b, double product) {
    const double split = 134217729.0;  // 2^27 + 1
    double ca = split * a;
    double a_high = ca - (ca - a);
    double a_low = a - a_high;
    double cb = split * b;
    double b_high = cb - (cb - b);
    double b_low = b - b_high;
    double high_high = a_high * b_high;
    double err = product - high_high;
    double low_high = a_low * b_high;
    err -= low_high;
    double high_low = a_high * b_low;
    err -= high_low;
    double low_low = a_low * b_low;
    return low_low - err;
}

// |v| scaled by 10^k, rounded.
inline double scaled_by(double a, int k) {
    return k >= 0 ? a * exact_powers_of_ten[k] : a / exact_powers_of_ten[-k];
}

// The sign (-1, 0 or 1) of what rounding dropped from a * 10^k to give
// `scaled`: a scaled value that lands on a half is told from a true half by
// the digits beyond it.
[[gnu::noinline]] int dropped_sign(double a, int k, double scaled) {
    double tail;
    if (k >= 0) {
        tail = product_tail(a, exact_powers_of_ten[k], scaled);
    } else {
        // a - scaled * 10^-k: the product's rounding comes back so close to
        // a that their difference is exact; the product's tail is the rest.
        double back = scaled * exact_powers_of_ten[-k];
        tail = (a - back) - product_tail(scaled, exact_powers_of_ten[-k], back);
    }
    return (tail > 0) - (tail < 0);
}

// `v` to SIGNIFICANT_DIGITS significant digits, as above, when it is no
// whole number below 10^SIGNIFICANT_DIGITS.
[[gnu::noinline]] double decimal_fraction(double v) {
    double a = fabs(v);
    uint64_t bits;
    memcpy(&bits, &v, sizeof bits);
    int binary_exponent = (int)((bits >> 52) & 0x7FF) - 1023;  // 1024 for infinities and NaN
    // floor(binary_exponent * log10(2)), exact for every exponent in range:
    // |v| * 10^k then lies in [1e11, 2e12).
    int k = SIGNIFICANT_DIGITS - 1 - ((binary_exponent * 1233) >> 12);
    if (k < -(EXACT_POWERS_OF_TEN - 1)) return v;
    if (k > EXACT_POWERS_OF_TEN - 1) k = EXACT_POWERS_OF_TEN - 1;  // then below 1e11 unless |v| >= 1e-11
    double scaled = scaled_by(a, k);
    if (scaled >= SCALED_HIGH) {
        if (k == -(EXACT_POWERS_OF_TEN - 1)) return v;
        scaled = scaled_by(a, --k);
    }
    if (scaled < SCALED_LOW) return v;
    int64_t whole = (int64_t)scaled;
    double fraction = scaled - (double)whole;  // exact
    if (fraction > 0.5) {
        whole++;
    } else if (fraction == 0.5) {
        // What the scaling dropped decides; a true half goes to even.
        int dropped = dropped_sign(a, k, scaled);
        if (dropped > 0 || (dropped == 0 && (whole & 1))) whole++;
    }
    double rounded = k >= 0 ? (double)whole / exact_powers_of_ten[k] : (double)whole * exact_powers_of_ten[-k];
    return v < 0 ? -rounded : rounded;
}

// `v` to SIGNIFICANT_DIGITS significant digits. Whole numbers of up to 12
// digits, most values of scores and of every comparison, are their own
// decimals, found here without a call: a call on the evaluator's path
// makes it keep its values in memory.
double decimal(double v) {
    double a = fabs(v);
    if (a < SCALED_HIGH && a == (double)(int64_t)a) return v;
    return decimal_fraction(v);
}

}  // namespace

// Plain decimals of at most 15 digits are read directly: their digits and
// the power of ten are exact doubles, so one division rounds exactly as
// strtod does. Everything else (exponents, hexadecimal, long digit strings)
// goes to strtod.
ExprNumber expr_read_number(const char* start) {
    const char* p = start;
    uint64_t mantissa = 0;  // may wrap on long digit strings, which go to strtod
    while (expr_char_is(*p, EXPR_DIGIT)) mantissa = mantissa * 10 + (uint64_t)(*p++ - '0');
    int digits = (int)(p - start), decimals = 0;
    if (*p == '.') {
        const char* fraction = ++p;
        while (expr_char_is(*p, EXPR_DIGIT)) mantissa = mantissa * 10 + (uint64_t)(*p++ - '0');
        decimals = (int)(p - fraction);
        digits += decimals;
    }
    char next = (char)(*p | 0x20);  // 'e' or 'x' in either case
    if (digits > 0 && digits <= 15 && next != 'e' && next != 'x') {
        // At most 15 digits: the signed conversion is exact and cheaper.
        double whole = (double)(int64_t)mantissa;
        return {decimals ? whole / exact_powers_of_ten[decimals] : whole, p};
    }
    char* end = nullptr;
    double v = strtod(start, &end);
    return {v, end};
}

namespace {

// <number> = the longest prefix that strtod accepts.
[[gnu::noinline]] double read_number(ExprState* s) {
    ExprNumber number = expr_read_number(s->cursor);
    if (number.end == s->cursor) return fault(s, EXPR_OPERAND_EXPECTED, s->cursor);  // a lone point
    s->cursor = expr_skip_spaces(number.end);
    return number.value;
}

[[gnu::cold, gnu::noinline]] double unknown_name(ExprState* s, Name name) {
    return fault(s, EXPR_UNKNOWN_NAME, name.text, name.length);
}

// Inputs hide outputs of the same key; an unknown name fails with 0.0, and
// so does an unknown value (NaN: an input outside its limits, an output
// whose formula failed): nothing may be drawn from it.
inline double read_variable(ExprState* s, Name name) {
    const ToolDef* tool = s->tool;
    const InputDef* inputs = tool->inputs;
    for (int i = 0, n = tool->input_count; i < n; i++) {
        if (!name_is(inputs[i].key, name)) continue;
        double v = s->input_values[i];
        return isnan(v) ? fail(s) : v;
    }
    const OutputDef* outputs = tool->outputs;
    for (int j = 0, n = tool->output_count; j < n; j++) {
        if (!name_is(outputs[j].key, name)) continue;
        double v = s->output_values[j];
        return isnan(v) ? fail(s) : v;
    }
    return unknown_name(s, name);
}

// Steps over the closing parenthesis; without one the value stands and the
// evaluation fails.
inline void close_parenthesis(ExprState* s) {
    if (*s->cursor == ')') advance(s, 1);
    else fault(s, EXPR_CLOSE_EXPECTED, s->cursor);
}

// <call> = name "(" <conditional> ["," <conditional>] ")"
// An unknown name or the other number of arguments fails with 0.0.
[[gnu::noinline]] double read_call(ExprState* s, Name name) {
    advance(s, 1);  // "("
    double a = nested(s, expr_conditional), b = 0.0;
    int arguments = 1;
    if (*s->cursor == ',') {
        advance(s, 1);
        b = nested(s, expr_conditional);
        arguments = 2;
    }
    close_parenthesis(s);
    const ExprFunction* f = expr_function_named(name.text, name.length);
    if (!f || f->arguments != arguments)
        return fault(s, f ? EXPR_ARGUMENT_COUNT : EXPR_UNKNOWN_FUNCTION, name.text, name.length);
    return call(*f, a, b, s);
}

// <unary> = ("-" | "!") <unary> | "+" <unary> | "(" <conditional> ")"
//         | number | name | <call>
double expr_unary(ExprState* s) {
    for (;;) {
        char c = *s->cursor;
        if (expr_char_is(c, EXPR_NAME_START)) {
            Name name = {s->cursor, expr_name_length(s->cursor)};
            advance(s, name.length);
            if (*s->cursor == '(') return read_call(s, name);
            return read_variable(s, name);
        }
        if (expr_starts_number(c)) return read_number(s);
        if (c == '(') {
            advance(s, 1);
            double v = nested(s, expr_conditional);
            close_parenthesis(s);
            return v;
        }
        if (c == '-') {
            advance(s, 1);
            return -nested(s, expr_unary);
        }
        if (c == '+') {
            advance(s, 1);
            continue;
        }
        if (c == '!') {
            advance(s, 1);
            return nested(s, expr_unary) == 0 ? 1.0 : 0.0;
        }
        return fault(s, EXPR_OPERAND_EXPECTED, s->cursor);  // the end of the text included
    }
}

double expr_exponent(ExprState* s);

// <power> = <unary> ["^" <power>]
[[gnu::always_inline]] inline double expr_power(ExprState* s) {
    double base = expr_unary(s);
    if (*s->cursor != '^') return base;
    advance(s, 1);
    return pow(base, nested(s, expr_exponent));
}

// The exponent is itself a <power>. Going through this function lets the
// compiler inline the levels above into one another (a call chain per operand
// is most of the evaluator's time) without inlining a recursion.
double expr_exponent(ExprState* s) { return expr_power(s); }

// <product> = <power> {("*" | "/" | "%") <power>}
[[gnu::always_inline]] inline double expr_product(ExprState* s) {
    double v = expr_power(s);
    for (;;) {
        char c = *s->cursor;
        if (c == '*') {
            if (s->cursor[1] == '*') return v;  // "**" is not an operator; left over
            advance(s, 1);
            v *= expr_power(s);
        } else if (c == '/' || c == '%') {
            advance(s, 1);
            double r = expr_power(s);
            // A zero divisor makes the whole chain 0.0; its remaining
            // operators are not applied. A check (all values 0) reads on.
            if (r == 0) {
                if (!s->fault) return fail(s);
                r = 1;
            }
            v = c == '/' ? v / r : fmod(v, r);
        } else {
            return v;
        }
    }
}

// <sum> = <product> {("+" | "-") <product>}
[[gnu::always_inline]] inline double expr_sum(ExprState* s) {
    double v = expr_product(s);
    for (;;) {
        char c = *s->cursor;
        if (c == '+') {
            advance(s, 1);
            v += expr_product(s);
        } else if (c == '-') {
            advance(s, 1);
            v -= expr_product(s);
        } else {
            return v;
        }
    }
}

enum Comparison { LESS, LESS_EQUAL, GREATER, GREATER_EQUAL, EQUAL, NOT_EQUAL };

// Two-character operators first, so "<=" is not read as "<".
struct ComparisonOperator {
    char first, second;  // second is 0 for a one-character operator
    Comparison kind;
};
const ComparisonOperator comparison_operators[] = {
    {'<', '=', LESS_EQUAL}, {'>', '=', GREATER_EQUAL}, {'=', '=', EQUAL},
    {'!', '=', NOT_EQUAL},  {'<', 0, LESS},            {'>', 0, GREATER},
};

// <comparison> = <sum> [("<=" | ">=" | "==" | "!=" | "<" | ">") <sum>]
// Only one comparison: "a < b < c" leaves the second "<" over.
[[gnu::always_inline]] inline double expr_comparison(ExprState* s) {
    double l = expr_sum(s);
    const char* p = s->cursor;
    if (p[0] != '<' && p[0] != '>' && p[0] != '=' && p[0] != '!') return l;  // the usual case
    for (const ComparisonOperator& op : comparison_operators) {
        if (p[0] != op.first || (op.second && p[1] != op.second)) continue;
        advance(s, op.second ? 2 : 1);
        // Both sides as decimals: a value on a band edge stays on it.
        double r = decimal(expr_sum(s));
        l = decimal(l);
        bool holds = false;
        switch (op.kind) {
        case LESS: holds = l < r; break;
        case LESS_EQUAL: holds = l <= r; break;
        case GREATER: holds = l > r; break;
        case GREATER_EQUAL: holds = l >= r; break;
        case EQUAL: holds = l == r; break;
        case NOT_EQUAL: holds = l != r; break;
        }
        return holds ? 1.0 : 0.0;
    }
    return l;
}

// <and> = <comparison> {"&&" <comparison>}
[[gnu::always_inline]] inline double expr_and(ExprState* s) {
    double v = expr_comparison(s);
    for (;;) {
        if (s->cursor[0] != '&' || s->cursor[1] != '&') return v;
        advance(s, 2);
        double r = expr_comparison(s);  // always evaluated: its errors count
        v = truth(v) && truth(r) ? 1.0 : 0.0;
    }
}

// <conditional> = <and> {"||" <and>} ["?" <conditional> ":" <conditional>]
// Both branches are parsed and evaluated; an error in either fails the whole.
double expr_conditional(ExprState* s) {
    double v = expr_and(s);
    for (;;) {
        if (s->cursor[0] != '|' || s->cursor[1] != '|') break;
        advance(s, 2);
        double r = expr_and(s);
        v = truth(v) || truth(r) ? 1.0 : 0.0;
    }
    if (*s->cursor != '?') return v;
    advance(s, 1);
    double a = nested(s, expr_conditional);
    if (*s->cursor == ':') advance(s, 1);
    else fault(s, EXPR_COLON_EXPECTED, s->cursor);  // the second branch is read from here
    double b = nested(s, expr_conditional);
    return truth(v) ? a : b;
}

}  // namespace

double expr_evaluate(const ToolDef& tool, const char* text, const double* input_values,
                     const double* output_values, int* error_out) {
    int failed = 1;
    double v = 0.0;
    if (text && *text) {
        ExprState s = {&tool, input_values, output_values, text, 0, 0, false, nullptr, text};
        advance(&s, 0);  // the text's leading whitespace
        v = expr_conditional(&s);
        // Only the final value must be finite: exp(1000) > 5 is a valid 1.0.
        failed = *s.cursor != 0 || s.failed || !isfinite(v);
        v = decimal(v);
    }
    if (error_out) *error_out = failed ? 1 : 0;
    return v;
}

ExprFault expr_check(const ToolDef& tool, const char* text) {
    ExprFault found = {EXPR_SOUND, 0, 0};
    if (!text || !*text) return {EXPR_EMPTY, 0, 0};
    const double input_values[TOOL_MAX_INPUTS] = {}, output_values[TOOL_MAX_OUTPUTS] = {};
    ExprState s = {&tool, input_values, output_values, text, 0, 0, false, &found, text};
    advance(&s, 0);
    expr_conditional(&s);
    if (*s.cursor) fault(&s, EXPR_LEFT_OVER, s.cursor);
    return found;
}

int expr_function_arguments(const char* name) {
    const ExprFunction* f = expr_function_named(name, (int)strlen(name));
    return f ? f->arguments : 0;
}
