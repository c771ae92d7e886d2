// The expression language's functions, each once: its name and number of
// arguments, which the evaluator and the check go by, and how a call of it
// reads for the nurse who checks a formula, which the method text writes.
// The evaluator computes a call by its row's id, in a switch the compiler
// holds to every id, so a function added here is known to all of them.
#pragma once

enum ExprFunctionId {
    EXPR_FN_SQRT,
    EXPR_FN_ABS,
    EXPR_FN_LOG,
    EXPR_FN_LOG10,
    EXPR_FN_EXP,
    EXPR_FN_FLOOR,
    EXPR_FN_CEIL,
    EXPR_FN_ROUND,
    EXPR_FN_CBRT,
    EXPR_FN_SIGN,
    EXPR_FN_MIN,
    EXPR_FN_MAX,
    EXPR_FN_POW,
    EXPR_FN_MOD,
};

struct ExprFunction {
    const char* name;
    int arguments;  // 1 or 2
    ExprFunctionId id;
    // A call for a reader: its argument(s) between these pieces, "√(" x ")",
    // "取 " a " 与 " b " 中较小者".
    const wchar_t* before;
    const wchar_t* between;  // nullptr for a function of one argument
    const wchar_t* after;
    // In words rather than signs: such a call stands in parentheses where
    // something else is computed around it.
    bool in_words;
};

inline constexpr ExprFunction expr_functions[] = {
    {"sqrt", 1, EXPR_FN_SQRT, L"√(", nullptr, L")", false},
    {"abs", 1, EXPR_FN_ABS, L"|", nullptr, L"|", false},
    {"log", 1, EXPR_FN_LOG, L"ln(", nullptr, L")", false},
    {"log10", 1, EXPR_FN_LOG10, L"lg(", nullptr, L")", false},
    {"exp", 1, EXPR_FN_EXP, L"e^(", nullptr, L")", false},
    {"floor", 1, EXPR_FN_FLOOR, L"向下取整(", nullptr, L")", false},
    {"ceil", 1, EXPR_FN_CEIL, L"向上取整(", nullptr, L")", false},
    {"round", 1, EXPR_FN_ROUND, L"四舍五入取整(", nullptr, L")", false},
    {"cbrt", 1, EXPR_FN_CBRT, L"∛(", nullptr, L")", false},
    {"sign", 1, EXPR_FN_SIGN, L"正负号(", nullptr, L")", false},
    {"min", 2, EXPR_FN_MIN, L"取 ", L" 与 ", L" 中较小者", true},
    {"max", 2, EXPR_FN_MAX, L"取 ", L" 与 ", L" 中较大者", true},
    {"pow", 2, EXPR_FN_POW, L"", L" 的 ", L" 次方", true},
    {"mod", 2, EXPR_FN_MOD, L"", L" 除以 ", L" 的余数", true},
};

// The function of the `length` characters at `name`, or nullptr. Inline, as
// the evaluator looks up every call it reads.
inline const ExprFunction* expr_function_named(const char* name, int length) {
    constexpr int count = sizeof expr_functions / sizeof expr_functions[0];
    // The rows by their names' first character: where the lookup starts for
    // each, and where it goes on after a row. A call costs the same wherever
    // its function's row stands.
    struct Index {
        signed char first[256];
        signed char next[count];
        constexpr Index() : first(), next() {
            for (int c = 0; c < 256; c++) first[c] = -1;
            for (int i = count - 1; i >= 0; i--) {
                int c = (unsigned char)expr_functions[i].name[0];
                next[i] = first[c];
                first[c] = (signed char)i;
            }
        }
    };
    static constexpr Index index;
    for (int i = index.first[(unsigned char)name[0]]; i >= 0; i = index.next[i]) {
        const char* candidate = expr_functions[i].name;
        int k = 1;
        while (k < length && candidate[k] == name[k]) k++;
        if (k == length && candidate[length] == 0) return &expr_functions[i];
    }
    return nullptr;
}
