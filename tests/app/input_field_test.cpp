// Numbers typed in an input field: one whole number, and a blank field told apart.
#include <gtest/gtest.h>

#include <math.h>
#include <wchar.h>

#include "app/app.h"

namespace {

TEST(InputField, WholeNumbersOnly) {
    struct Case {
        const wchar_t* text;
        bool accepted;
        double value;
    };
    const Case cases[] = {
        {L"", false, 0},  // nothing typed is no number, never 0
        {L"   ", false, 0},
        {L"60", true, 60},
        {L"  60  ", true, 60},
        {L"\t9\t", true, 9},  // a tab pasted with the number
        {L"\x3000" L"60\x3000", true, 60},  // full-width spaces from a Chinese keyboard
        {L"0.5", true, 0.5},
        {L".5", true, 0.5},
        {L"5.", true, 5},
        {L"-2.5", true, -2.5},
        {L"+7", true, 7},
        {L"1e3", true, 1000},
        {L"2.5E-1", true, 0.25},
        {L"6O", false, 0},  // letter O: a typing slip, not 6
        {L"1,5", false, 0},
        {L"abc", false, 0},
        {L"6 0", false, 0},
        {L"60g", false, 0},
        {L".", false, 0},
        {L"-", false, 0},
        {L"1e", false, 0},
        {L"1e+", false, 0},
        {L"0x10", false, 0},
        {L"inf", false, 0},
        {L"nan", false, 0},
        {L"1e999", false, 0},  // overflows to infinity
        {L"６０", false, 0},    // full-width digits
    };
    for (const Case& c : cases) {
        double value = -1;
        EXPECT_EQ(c.accepted, input_field_number(c.text, &value)) << testing::PrintToString(std::wstring(c.text));
        EXPECT_EQ(c.text[wcsspn(c.text, L" ")] == 0, input_field_blank(c.text));
        if (c.accepted) {
            EXPECT_EQ(c.value, value) << testing::PrintToString(std::wstring(c.text));
        }
    }
}

}  // namespace
