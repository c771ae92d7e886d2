// The pieces the expression language's text is read in: spaces, names and
// numbers. The evaluator's parser reads with them, and so does the method
// text that writes a formula out for a reader, so the two never split a
// text differently.
#pragma once

#include "expr/expr.h"

// Character classes, one table lookup each: the evaluator spends most of its
// time skipping whitespace and reading names. Bytes above 127 are in no class.
enum ExprCharClass : unsigned char { EXPR_SPACE = 1, EXPR_DIGIT = 2, EXPR_NAME_START = 4, EXPR_NAME_CHAR = 8 };

inline bool expr_char_is(char c, ExprCharClass cls) {
    struct Table {
        unsigned char classes[256];
        constexpr Table() : classes() {
            for (int b = 0; b < 256; b++) {
                // Space, tab, LF and CR only; vertical tab and form feed are not whitespace.
                if (b == ' ' || b == '\t' || b == '\n' || b == '\r') classes[b] = EXPR_SPACE;
                if (b >= '0' && b <= '9') classes[b] = EXPR_DIGIT | EXPR_NAME_CHAR;
                if ((b >= 'a' && b <= 'z') || (b >= 'A' && b <= 'Z') || b == '_')
                    classes[b] = EXPR_NAME_START | EXPR_NAME_CHAR;
            }
        }
    };
    static constexpr Table table;
    return table.classes[(unsigned char)c] & cls;
}

// A number starts with a digit or a point (".5").
inline bool expr_starts_number(char c) { return expr_char_is(c, EXPR_DIGIT) || c == '.'; }

[[gnu::always_inline]] inline const char* expr_skip_spaces(const char* p) {
    while (expr_char_is(*p, EXPR_SPACE)) p++;
    return p;
}

// The length of the name that starts at `p` (a name's first character):
// only its first EXPR_MAX_NAME characters are the name; the rest stays in
// the text, where the evaluation fails on it as text left over.
[[gnu::always_inline]] inline int expr_name_length(const char* p) {
    int length = 1;
    while (expr_char_is(p[length], EXPR_NAME_CHAR)) length++;
    return length > EXPR_MAX_NAME ? EXPR_MAX_NAME : length;
}

// The number that starts at `p` (expr_starts_number): the longest prefix
// that strtod accepts, exponents and hexadecimal included, so "1e" is the
// number 1 and the name e. `end` is `p` when there is none: a lone point.
struct ExprNumber {
    double value;
    const char* end;
};
ExprNumber expr_read_number(const char* p);
