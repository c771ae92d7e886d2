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
// piece. Allocates nothing and keeps no state.
double expr_evaluate(const ToolDef& tool, const char* text, const double* input_values,
                     const double* output_values, int* error_out);
