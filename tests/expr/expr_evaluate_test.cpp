// The expression language, row by row: values, failures and the value that
// stands in for a failure.
#include <gtest/gtest.h>

#include <math.h>
#include <string>

#include "expr/expr.h"

namespace {

// The built-in tool's keys with its default inputs and computed outputs.
const InputDef inputs[] = {
    {.key = "carbs", .label = L"本餐碳水", .unit = L"g", .default_value = 60},
    {.key = "icr", .label = L"碳水系数", .unit = L"g/U", .default_value = 10},
    {.key = "conc", .label = L"规格", .unit = L"U/ml", .default_value = 100},
};
const OutputDef outputs[] = {
    {.key = "units", .label = L"餐时胰岛素", .unit = L"U", .formula = "carbs/icr", .format = "f1"},
    {.key = "ml", .label = L"抽取体积", .unit = L"ml", .formula = "carbs/icr/conc", .format = "f3"},
};
const ToolDef tool = {.id = 9, .title = L"Glyvant", .input_count = 3, .inputs = inputs,
                      .output_count = 2, .outputs = outputs};
const double input_values[] = {60, 10, 100};
const double output_values[] = {6, 0.06};

struct Row {
    const char* text;
    double value;
    int failed;
};

// Compares bit for bit in effect: the same double, or both NaN, and the sign
// of zero where the row asks for -0.0.
void expect_rows(const ToolDef& t, const double* in, const double* out, const Row* rows,
                 int count) {
    for (int i = 0; i < count; i++) {
        const Row& row = rows[i];
        int failed = -1;
        double v = expr_evaluate(t, row.text, in, out, &failed);
        EXPECT_EQ(row.failed, failed) << "\"" << row.text << "\"";
        if (isnan(row.value)) {
            EXPECT_TRUE(isnan(v)) << "\"" << row.text << "\" gave " << v;
        } else {
            EXPECT_EQ(row.value, v) << "\"" << row.text << "\"";
            EXPECT_EQ(signbit(row.value), signbit(v)) << "\"" << row.text << "\" sign";
        }
    }
}

#define EXPECT_ROWS(rows) expect_rows(tool, input_values, output_values, rows, sizeof rows / sizeof rows[0])

TEST(ExprEvaluate, OperatorsPrecedenceAndAssociativity) {
    const Row rows[] = {
        {"carbs/icr", 6, 0},
        {"carbs/icr/conc", 0.06, 0},  // (60 / 10) / 100
        {"units>20", 0, 0},
        {"ml*1000", 60, 0},
        {"1+2*3", 7, 0},
        {"(1+2)*3", 9, 0},
        {"1 < 1+1", 1, 0},  // a sum on the right of a comparison
        {"10-4-3", 3, 0},
        {"2*3^2", 18, 0},
        {"-2^2", 4, 0},  // prefix minus binds tighter than ^
        {"2^3^2", 512, 0},
        {"2^-1", 0.5, 0},
        {"--carbs", 60, 0},
        {"+-+carbs", -60, 0},
        {"-0", -0.0, 0},
        {"!0", 1, 0},
        {"!carbs", 0, 0},
        {"!!carbs", 1, 0},
        {"7 % 3", 1, 0},
        {"-7 % 3", -1, 0},
        {"7.5 % 2", 1.5, 0},
        {"carbs<=icr", 0, 0},
        {"icr>=10", 1, 0},
        {"icr == 10", 1, 0},
        {"icr != 10", 0, 0},
        {"carbs > icr", 1, 0},
        {"carbs < icr", 0, 0},
        {"1+1 == 2", 1, 0},
        {"(carbs < icr) < conc", 1, 0},
        {"2 && 3", 1, 0},
        {"2 && 0", 0, 0},
        {"0 || 0", 0, 0},
        {"0 || -1", 1, 0},
        {"1 || 0 && 0", 1, 0},  // && binds tighter than ||
        {"0 && 1 || 1", 1, 0},
        {"1 ? 2 : 3", 2, 0},
        {"0 ? 2 : 3", 3, 0},
        {"0 ? 1 : 0 ? 2 : 3", 3, 0},  // nests to the right
        {"1 ? 0 ? 5 : 6 : 7", 6, 0},
        {"units > 5 && ml < 1 ? units * 2 : 0", 12, 0},
        {"0.1+0.2", 0.3, 0},
    };
    EXPECT_ROWS(rows);
}

// The final value and both sides of a comparison as printf's "%.12g" writes
// them: the last digits of binary arithmetic never move a value off a band
// edge. Halves go to even; beyond the exact powers of ten, values stay.
TEST(ExprEvaluate, ValuesAreDecimalsOfTwelveDigits) {
    const Row rows[] = {
        {"16.1 - 6.1", 10, 0},          {"-16.1 + 6.1", -10, 0},           {"16.1 - 6.1 > 10", 0, 0},
        {"0.1 + 0.2 == 0.3", 1, 0},     {"0.3 >= 0.1 + 0.2", 1, 0},       {"1 + 1e-12 == 1", 1, 0},
        {"1 + 1e-11 > 1", 1, 0},        {"1000000000005", 1e12, 0},        {"1000000000015", 1.00000000002e12, 0},
        {"1.000000000005", 1.00000000001, 0},  // its double lands on the half when scaled, but lies above
        {"7.000000000005", 7, 0},              // ... and this one below
        {"1.000000000005e21", 1.00000000001e21, 0},
        {"1.000000000005e18", 1e18, 0},
        {"1e-12 + 1e-24", 1e-12 + 1e-24, 0}, {"1e33 + 1e19", 1e33, 0}, {"1e34 + 1e19", 1e34 + 1e19, 0},
    };
    EXPECT_ROWS(rows);
}

TEST(ExprEvaluate, NumbersAsStrtodReadsThem) {
    const Row rows[] = {
        {"1e3", 1000, 0},     {".5", 0.5, 0},        {"5.", 5, 0},
        {"1E+2", 100, 0},     {"2.5e-1", 0.25, 0},   {"0x10", 16, 0},
        {"0x1p4", 16, 0},     {"007", 7, 0},
        // Digits beyond the twelve a value keeps, seen in a difference.
        {"123456789012345 - 123456789012340", 5, 0},
        {"1234567890123456789 - 1234567890123456000", 1234567890123456789.0 - 1234567890123456000.0, 0},
        {"0.000000000000001", 1e-15, 0},
        {"9.999999999999999 - 10", 9.999999999999999 - 10, 0},  // 16 digits: no shortcut that rounds to 10
        {"3.14159265358979 * 1e-12", 3.14159265358979 * 1e-12, 0},
        {"99999999999999.9 - 99999999999999", 99999999999999.9 - 99999999999999.0, 0},
        {"1.7976931348623157e308", 1.7976931348623157e308, 0},
        {".", 0, 1},  // a lone point
        {"1e", 1, 1},  // the e is left over
        {"1.5.5", 1.5, 1},
        {"1e999", INFINITY, 1},
    };
    EXPECT_ROWS(rows);
}

TEST(ExprEvaluate, Functions) {
    const Row rows[] = {
        {"sqrt(16)", 4, 0},       {"abs(-3)", 3, 0},          {"abs (carbs)", 60, 0},
        {"log(1)", 0, 0},         {"log10(1000)", 3, 0},      {"exp(0)", 1, 0},
        {"floor(-1.5)", -2, 0},   {"ceil(1.2)", 2, 0},        {"round(2.5)", 3, 0},
        {"round(-2.5)", -2, 0},   {"round(-2.6)", -3, 0},     {"cbrt(-8)", -2, 0},
        // The decimal an argument means: 2.9999999999999964 in binary is 3.
        {"floor((7.3 - 7) / 0.1)", 3, 0}, {"ceil((7.3 - 7) / 0.1 - 2)", 1, 0}, {"floor(carbs * 1e11 + 0.5)", 6000000000000, 0},
        {"cbrt(64) - 4", 3.9999999999999996 - 4, 0},          {"sign(-3)", -1, 0},
        {"sign(0)", 0, 0},        {"sign(7)", 1, 0},          {"min(3, 4)", 3, 0},
        {"max(3,4)", 4, 0},       {"pow(2, 10)", 1024, 0},    {"mod(-7, 3)", -1, 0},
        {"min(exp(1000), 3)", 3, 0},                          {"exp(1000) > 5", 1, 0},
        {"max( carbs , icr )", 60, 0},
        {"sqrt(-1)", 0, 1},       {"log(0)", 0, 1},           {"log10(-1)", 0, 1},
        {"mod(7, 0)", 0, 1},      {"min(3)", 0, 1},           {"sqrt(4, 1)", 0, 1},
        {"foo(1)", 0, 1},         {"min()", 0, 1},            {"min(1, 2, 3)", 1, 1},
        {"exp(1000)", INFINITY, 1},                           {"sqrt(log(0))", 0, 1},
        {"1 + sqrt(-1)", 1, 1},
    };
    EXPECT_ROWS(rows);
}

TEST(ExprEvaluate, FailuresAndTheValuesLeftInTheirPlace) {
    const Row rows[] = {
        {"", 0, 1},
        {nullptr, 0, 1},
        {"   ", 0, 1},
        {"carbs < = icr", 0, 1},  // no space inside an operator
        {"carbs < icr < conc", 0, 1},
        {"carbs**2", 60, 1},
        {"carbs & icr", 60, 1},
        {"carbs | icr", 60, 1},
        {"carbs = icr", 60, 1},
        {"CARBS", 0, 1},  // names are case-sensitive
        {"carbs2", 0, 1},
        {"6/0*3", 0, 1},  // the whole product chain is 0
        {"1 + 6/0", 1, 1},
        {"6 % 0", 0, 1},
        {"0/0", 0, 1},
        {"(1+2", 3, 1},
        {"abs(-2", 2, 1},
        {"1 ? 2 3", 2, 1},  // missing ':'
        {"0 ? 2 3", 3, 1},
        {"1 2", 1, 1},
        {"\v1", 0, 1},  // vertical tab and form feed are not whitespace
        {"1\f", 1, 1},
        {"1 +", 1, 1},
        {")", 0, 1},
        {"0*exp(1000)", NAN, 1},
        {"sqrt(0*exp(1000))", NAN, 1},  // a NaN argument is not a domain error
        {"icr > 0 ? carbs/(icr-10) : 0", 0, 1},
        {"\xc3\xa9", 0, 1},
    };
    EXPECT_ROWS(rows);
}

TEST(ExprEvaluate, NanInTheMiddleIsNoFailure) {
    const Row rows[] = {
        {"!(0*exp(1000))", 0, 0},
        {"(0*exp(1000)) ? 1 : 2", 1, 0},  // NaN is true
        {"0*exp(1000) != 0*exp(1000)", 1, 0},
        {"0*exp(1000) == 0*exp(1000)", 0, 0},
        {"0*exp(1000) < 1", 0, 0},
        {"sign(0*exp(1000))", 0, 0},
        {"(0*exp(1000)) && 1", 1, 0},
    };
    EXPECT_ROWS(rows);
}

TEST(ExprEvaluate, WhitespaceIsSpaceTabLineFeedAndCarriageReturn) {
    const char* texts[] = {"carbs/icr",   " carbs / icr ", "\tcarbs\t/\ticr\t",
                           "carbs\n/\nicr", "carbs\r\n/\r\nicr", "( carbs ) / ( icr )"};
    for (const char* text : texts) {
        int failed = -1;
        EXPECT_EQ(6, expr_evaluate(tool, text, input_values, output_values, &failed)) << text;
        EXPECT_EQ(0, failed) << text;
    }
}

TEST(ExprEvaluate, ADivisorOfZeroFailsBothBranches) {
    const double zero_icr[] = {60, 0, 100};
    const Row rows[] = {
        {"carbs/icr", 0, 1},
        {"1 + carbs/icr", 1, 1},
        {"icr > 0 ? carbs/icr : 0", 0, 1},  // the branch not taken still fails
        {"icr == 0 || carbs/icr > 1", 1, 1},
    };
    expect_rows(tool, zero_icr, output_values, rows, sizeof rows / sizeof rows[0]);
}

TEST(ExprEvaluate, NamesAndKeys) {
    const std::string key63(63, 'k');
    const InputDef named_inputs[] = {
        {.key = "min", .label = L"x", .unit = L"", .default_value = 5},
        {.key = "x", .label = L"x", .unit = L"", .default_value = 1},
        {.key = key63.c_str(), .label = L"k", .unit = L"", .default_value = 2},
        {.key = "_a1", .label = L"a", .unit = L"", .default_value = 3},
    };
    const OutputDef named_outputs[] = {
        {.key = "x", .label = L"x", .unit = L"", .formula = "1", .format = nullptr},
        {.key = "y", .label = L"y", .unit = L"", .formula = "1", .format = nullptr},
        {.key = "lost", .label = L"z", .unit = L"", .formula = "1/0", .format = nullptr},
    };
    const ToolDef named = {.id = 1, .title = L"t", .input_count = 4, .inputs = named_inputs,
                           .output_count = 3, .outputs = named_outputs};
    const double in[] = {5, 1, 2, 3};
    const double out[] = {100, 200, NAN};  // the third output's formula failed
    const std::string name63 = key63 + "+1";
    const std::string name64 = key63 + "k";
    const std::string call63 = std::string(63, 'a') + "(1)";
    const Row rows[] = {
        {"min + 1", 6, 0},     // a key named like a function, without "("
        {"min(min, 9)", 5, 0},  // with "(" it is the function
        {"x", 1, 0},           // inputs hide outputs of the same key
        {"y", 200, 0},
        {"_a1*2", 6, 0},
        {name63.c_str(), 3, 0},
        {name64.c_str(), 2, 1},  // its 64th character is left over
        {call63.c_str(), 0, 1},
        // Nothing is drawn from a failed output, whatever else holds.
        {"lost > 20", 0, 1},
        {"y > 1 || lost > 20", 1, 1},
    };
    expect_rows(named, in, out, rows, sizeof rows / sizeof rows[0]);
}

TEST(ExprEvaluate, NestingIsBoundedInsteadOfExhaustingTheStack) {
    struct Case {
        std::string text;
        int failed;
    };
    auto repeat = [](const char* piece, int times) {
        std::string s;
        for (int i = 0; i < times; i++) s += piece;
        return s;
    };
    const Case cases[] = {
        {repeat("(", 200) + "1" + repeat(")", 200), 0},
        {repeat("-", 200) + "1", 0},
        {repeat("1^", 200) + "1", 0},
        {repeat("1?", 200) + "1" + repeat(":1", 200), 0},
        {repeat("abs(", 200) + "1" + repeat(")", 200), 0},
        {repeat("(", 256) + "1" + repeat(")", 256), 0},  // the deepest a descriptor may nest
        {repeat("(", 257) + "1" + repeat(")", 257), 1},
        {repeat("(", 100000) + "1" + repeat(")", 100000), 1},
        {repeat("-", 100000) + "1", 1},
        {repeat("!", 100000) + "1", 1},
        {repeat("2^", 100000) + "1", 1},
        {repeat("1?", 100000) + "1", 1},
        {repeat("sqrt(", 100000), 1},
    };
    for (const Case& c : cases) {
        int failed = -1;
        expr_evaluate(tool, c.text.c_str(), input_values, output_values, &failed);
        EXPECT_EQ(c.failed, failed) << c.text.substr(0, 40) << "… (" << c.text.size() << " chars)";
    }
}

TEST(ExprEvaluate, ErrorFlagIsOptional) {
    EXPECT_EQ(6, expr_evaluate(tool, "carbs/icr", input_values, output_values, nullptr));
}

}  // namespace
