// The expression language of output formulas and rule conditions.
#pragma once

#include "tool/tool.h"

// Longest name the language reads; a longer identifier fails the evaluation.
constexpr int EXPR_MAX_NAME = 63;

// Deepest nesting of parentheses, calls, prefix operators, "^" and "?:"
// branches; deeper formulas fail instead of exhausting the stack.
constexpr int EXPR_MAX_DEPTH = 256;

// Parses and computes `text` over the tool's input and output keys. Always
// writes `*error_out` (when not nullptr): 0 on success, 1 on any failure (a
// syntax error, an unknown name or function, a domain error, a division by
// zero, text left over, a final value that is infinite or NaN). The returned
// value is what the arithmetic gives with 0.0 put in place of each failing
// piece.
//
// Values are the decimals their arithmetic means, to 12 significant digits:
// the final value is rounded to them, and every comparison (< <= > >= ==
// !=) compares its two operands rounded to them, so "0.1 + 0.2 == 0.3"
// holds and 16.1 - 6.1 is 10, not above it; floor, ceil and round take
// their argument rounded to them, so floor((7.3 - 7) / 0.1) is 3. The rounding is the one printf's
// "%.12g" writes (halves to even), read back. Values below 1e-11 or from
// 1e34 on in magnitude, 0 and -0, the infinities and NaN are left as they
// are. Within a formula the arithmetic keeps its full precision.
//
// An input or output value that is NaN stands for a value that is
// unknown (an input outside its limits, an output whose formula failed):
// reading it fails the evaluation (a sound output is never NaN, since a
// final value that is not finite fails). Allocates nothing and keeps no
// state.
double expr_evaluate(const ToolDef& tool, const char* text, const double* input_values,
                     const double* output_values, int* error_out);

// ---- Checking a formula ---------------------------------------------------------

// What makes a formula or condition fail whatever the values: a fault of the
// text itself, as the evaluator's own parser finds it. Domain errors, zero
// divisors and infinite results depend on the values and are not faults.
enum ExprFaultKind {
    EXPR_SOUND = 0,
    EXPR_EMPTY,              // no text at all
    EXPR_OPERAND_EXPECTED,   // another character or the end where an operand must be
    EXPR_CLOSE_EXPECTED,     // "(" without its ")"
    EXPR_COLON_EXPECTED,     // "?" without its ":"
    EXPR_LEFT_OVER,          // text after a whole expression
    EXPR_TOO_DEEP,           // nested beyond EXPR_MAX_DEPTH
    EXPR_UNKNOWN_NAME,       // a name that is no key of the tool
    EXPR_UNKNOWN_FUNCTION,   // a call of a name that is no function
    EXPR_ARGUMENT_COUNT,     // a function called with the other number of arguments
};

// The first fault of a text: its kind, and where: the offset of the name for
// the name kinds (and its length), else of the character where reading stopped.
struct ExprFault {
    ExprFaultKind kind;
    int offset;
    int length;
};

// Parses `text` exactly as expr_evaluate does, over the tool's keys with
// every value 0 (the tool holds at most TOOL_MAX_INPUTS inputs and
// TOOL_MAX_OUTPUTS outputs), and returns its first fault.
ExprFault expr_check(const ToolDef& tool, const char* text);

// The number of arguments the built-in function `name` takes (1 or 2), or 0
// when there is no function of that name.
int expr_function_arguments(const char* name);
