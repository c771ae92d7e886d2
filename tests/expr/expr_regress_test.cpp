// Formulas the fuzzer (fuzz/fuzz_expr.cpp) found wrong, kept so they stay
// right: each row is the minimised input, the carbs value it ran with, and
// the value and error flag the formula must give.
#include <gtest/gtest.h>

#include <math.h>

#include "expr/expr.h"

namespace {

TEST(ExprRegress, FuzzerFindings) {
    struct Row {
        const char* text;
        double carbs;
        double value;  // NAN: any NaN
        int failed;
    };
    const Row rows[] = {
        // A NaN argument gave the other argument, or NaN, by argument order:
        // a failed value fed to min or max could pass as a valid number. An
        // unknown (NaN) value now fails where it is read.
        {"min(carbs, icr)", NAN, 0, 1},
        {"min(icr, carbs)", NAN, 0, 1},
        {"max(carbs, icr)", NAN, 10, 1},
        {"max(icr, carbs)", NAN, 10, 1},
        {"min(0*(exp(700)*exp(700)), icr)", 4, NAN, 1},
        {"max(icr, 0*(exp(700)*exp(700)))", 4, NAN, 1},
        {"min(carbs, icr)", 4, 4, 0},
        {"max(icr, carbs)", 4, 10, 0},
        // round was floor(x + 0.5), and x + 0.5 itself rounds: odd integers
        // between 2^52 and 2^53 (either sign) came out one too high. Just
        // below a half is now the half its twelve digits mean.
        {"round(carbs)", 0.4999999999, 0, 0},
        {"round(0.49999999999999994)", 60, 1, 0},
        {"round(carbs) - carbs", 4503599627370497.0, 0, 0},
        {"round(carbs) - carbs", -4503599627370497.0, 0, 0},
        {"round(carbs)", 2.5, 3, 0},
        {"round(carbs)", -2.5, -2, 0},
    };
    const double outputs[] = {6, 0.06};
    for (const Row& row : rows) {
        const double inputs[] = {row.carbs, 10, 100};
        int failed = -1;
        double v = expr_evaluate(tool_builtin(), row.text, inputs, outputs, &failed);
        EXPECT_EQ(row.failed, failed) << row.text << " with carbs " << row.carbs;
        if (isnan(row.value))
            EXPECT_TRUE(isnan(v)) << row.text << " with carbs " << row.carbs << " gave " << v;
        else
            EXPECT_EQ(row.value, v) << row.text << " with carbs " << row.carbs;
    }
}

}  // namespace
