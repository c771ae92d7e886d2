// Fuzzes the expression language: arbitrary formula text over arbitrary input
// and output values, checked against what every evaluation must satisfy.
#include <math.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "expr/expr.h"

namespace {

// The built-in tool's keys, plus keys that test name matching: an input named
// like a function, an input without a key, names at and past the length the
// language reads, and an output hidden by the input of the same key.
const InputDef inputs[] = {
    {.key = "carbs"},
    {.key = "icr"},
    {.key = "conc"},
    {.key = "min"},
    {.key = nullptr},
    {.key = "n23456789012345678901234567890123456789012345678901234567890123"},
};
const OutputDef outputs[] = {
    {.key = "units"},
    {.key = "ml"},
    {.key = "carbs"},
    {.key = "n234567890123456789012345678901234567890123456789012345678901234"},
};
const ToolDef tool = {.input_count = 6, .inputs = inputs, .output_count = 4, .outputs = outputs};
constexpr int VALUE_COUNT = 10;
const double default_values[VALUE_COUNT] = {60, 10, 100, 3, 7, 11, 6, 0.06, -1, 42};

// Values a formula treats specially, so that one mutated byte reaches them;
// selector 0xFF instead takes the next eight bytes as the double itself.
const double special_values[] = {
    0.0, -0.0, 1, -1, 0.5, -0.5, 2, 10, 60, 100, 6, 0.06, 20, 20.000000000000004,
    NAN, -NAN, INFINITY, -INFINITY, 1.7976931348623157e308, -1.7976931348623157e308,
    2.2250738585072014e-308, 5e-324, -5e-324, 1e300, 1e-300, 9007199254740991.0,
    4503599627370497.0, 0.49999999999999994, -2.5, 2.5, 1e18, -1e18,
};
constexpr int SPECIAL_COUNT = sizeof special_values / sizeof special_values[0];

// The values follow the first NUL, so a seed file is the formula as text.
void read_values(const uint8_t* data, size_t size, double* values) {
    memcpy(values, default_values, sizeof default_values);
    size_t at = 0;
    for (int i = 0; i < VALUE_COUNT && at < size; i++) {
        uint8_t selector = data[at++];
        if (selector == 0xFF && size - at >= sizeof(double)) {
            memcpy(&values[i], data + at, sizeof(double));
            at += sizeof(double);
        } else {
            values[i] = special_values[selector % SPECIAL_COUNT];
        }
    }
}

[[noreturn]] void violated(const char* what, const char* text, const double* values = nullptr) {
    fprintf(stderr, "invariant violated: %s\nformula: \"%s\"\n", what, text);
    if (values)
        for (int i = 0; i < VALUE_COUNT; i++) fprintf(stderr, "value %d: %.17g (%a)\n", i, values[i], values[i]);
    abort();
}

struct Result {
    double value;
    int failed;
};

bool same(Result a, Result b) {
    return a.failed == b.failed && memcmp(&a.value, &b.value, sizeof(double)) == 0;
}

// Evaluates a copy of `length` characters in a buffer of exactly that size, so
// that a read past the terminator is an address-sanitizer report.
Result evaluate(const char* text, size_t length, const double* values) {
    char* copy = (char*)malloc(length + 1);
    memcpy(copy, text, length);
    copy[length] = 0;
    Result r = {0, -1};
    r.value = expr_evaluate(tool, copy, values, values + tool.input_count, &r.failed);
    if (r.failed != 0 && r.failed != 1) violated("error flag neither 0 nor 1", copy);
    if (r.failed == 0 && !isfinite(r.value)) violated("success with a value that is not finite", copy);
    free(copy);
    return r;
}

// Wraps `text` between `before` and `after` and evaluates the whole.
Result evaluate_wrapped(const char* before, const char* text, size_t length, const char* after,
                        const double* values) {
    size_t b = strlen(before), a = strlen(after);
    char* whole = (char*)malloc(b + length + a + 1);
    memcpy(whole, before, b);
    memcpy(whole + b, text, length);
    memcpy(whole + b + length, after, a);
    Result r = evaluate(whole, b + length + a, values);
    free(whole);
    return r;
}

// Characters that may open a nesting level; a formula with many of them could
// pass on its own and fail one level deeper, inside added parentheses.
size_t nesting_openers(const char* text, size_t length) {
    size_t n = 0;
    for (size_t i = 0; i < length; i++)
        if (strchr("(-!^?", text[i])) n++;
    return n;
}

Result evaluate_text(const char* text, const double* values) {
    return evaluate(text, strlen(text), values);
}

// The value the language keeps for `x` (expr.h): printf's "%.12g" read back,
// for magnitudes from 1e-11 to below 1e34, and `x` itself elsewhere. False
// just around those two bounds, where the check does not judge.
bool as_decimal(double x, double* kept) {
    double a = fabs(x);
    if ((a > 0.99e-11 && a < 1.01e-11) || (a > 0.99e34 && a < 1.01e34)) return false;
    *kept = x;
    if (a >= 1e-11 && a < 1e34) {
        char text[40];
        snprintf(text, sizeof text, "%.12g", x);
        *kept = strtod(text, nullptr);
    }
    return true;
}

bool same_number(Result a, Result b) {
    return a.failed == b.failed && (a.value == b.value || (isnan(a.value) && isnan(b.value)));
}

// Properties of the functions over the fuzzed values that dose formulas lean
// on: min and max do not care about argument order, round gives the
// nearest integer with halves going up, and a comparison compares the
// decimals the language keeps of its two sides.
void check_functions(const double* values) {
    const char* pairs[][2] = {{"min(carbs, icr)", "min(icr, carbs)"},
                              {"max(carbs, icr)", "max(icr, carbs)"}};
    for (const auto& pair : pairs) {
        if (!same_number(evaluate_text(pair[0], values), evaluate_text(pair[1], values)))
            violated("argument order changes the result", pair[0], values);
    }
    double x = values[0], y = values[1];
    Result r = evaluate_text("round(carbs)", values);
    if (isfinite(x) && fabs(x) < 1e12) {  // an integer of at most 12 digits, kept whole
        // In long double the distance is exact; in double 1 - 0.49999999999999994
        // rounds to 0.5 and would pass.
        long double distance = (long double)r.value - (long double)x;
        if (r.failed || r.value != floor(r.value) || fabsl(distance) > 0.5L ||
            (fabsl(distance) == 0.5L && distance < 0))
            violated("round is not the nearest integer, halves up", "round(carbs)", values);
    }
    double dx, dy;
    Result read = evaluate_text("carbs", values);
    if (isfinite(x) && as_decimal(x, &dx) && (read.failed || memcmp(&read.value, &dx, sizeof dx) != 0))
        violated("a value read is not its decimal of 12 digits", "carbs", values);
    if (!isnan(x) && !isnan(y) && as_decimal(x, &dx) && as_decimal(y, &dy)) {
        const struct {
            const char* text;
            bool holds;
        } comparisons[] = {{"carbs < icr", dx < dy},  {"carbs <= icr", dx <= dy}, {"carbs > icr", dx > dy},
                           {"carbs >= icr", dx >= dy}, {"carbs == icr", dx == dy}, {"carbs != icr", dx != dy}};
        for (const auto& c : comparisons) {
            Result holds = evaluate_text(c.text, values);
            if (holds.failed || holds.value != (c.holds ? 1.0 : 0.0))
                violated("a comparison differs from its sides' decimals", c.text, values);
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const uint8_t* nul = (const uint8_t*)memchr(data, 0, size);
    size_t length = nul ? (size_t)(nul - data) : size;
    double values[VALUE_COUNT];
    if (nul) read_values(nul + 1, size - length - 1, values);
    else memcpy(values, default_values, sizeof values);
    const char* text = (const char*)data;

    Result r = evaluate(text, length, values);

    // No state between calls, and the flag pointer changes nothing.
    char* copy = (char*)malloc(length + 1);
    memcpy(copy, text, length);
    copy[length] = 0;
    if (!same(r, evaluate(text, length, values))) violated("a second evaluation differs", copy);
    double unflagged = expr_evaluate(tool, copy, values, values + tool.input_count, nullptr);
    if (memcmp(&unflagged, &r.value, sizeof(double)) != 0)
        violated("the value depends on whether the error flag is asked for", copy);

    // A value is the decimal of 12 digits it stands for, whatever the
    // arithmetic's binary rounding.
    double kept;
    if (r.failed == 0 && as_decimal(r.value, &kept) && memcmp(&kept, &r.value, sizeof kept) != 0)
        violated("the value is not its decimal of 12 digits", copy, values);

    // Surrounding white space is no part of a formula.
    if (!same(r, evaluate_wrapped(" \t\r\n", text, length, "\n\r\t ", values)))
        violated("surrounding white space changes the result", copy);

    // A formula that succeeds means the same in parentheses.
    if (r.failed == 0 && nesting_openers(text, length) < EXPR_MAX_DEPTH / 2) {
        if (!same(r, evaluate_wrapped("(", text, length, ")", values)))
            violated("parentheses around a valid formula change its result", copy);
    }

    // Every prefix: a formula cut off anywhere must still fail cleanly.
    if (length <= 256)
        for (size_t k = 0; k < length; k++) evaluate(text, k, values);

    check_functions(values);
    free(copy);
    return 0;
}
