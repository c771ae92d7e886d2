// Format codes and calendar days as the result lines and reports show them.
#include <gtest/gtest.h>

#include <math.h>
#include <stdio.h>
#include <wchar.h>

#include "tool/tool.h"

namespace {

struct FormatCase {
    const char* code;
    double value;
    const wchar_t* expected;
};

void expect_formats(const FormatCase* cases, int count) {
    for (int i = 0; i < count; i++) {
        const FormatCase& c = cases[i];
        wchar_t text[VALUE_TEXT_CAPACITY];
        format_value(c.code, c.value, text, VALUE_TEXT_CAPACITY);
        EXPECT_STREQ(c.expected, text) << "code " << (c.code ? c.code : "(absent)") << " value "
                                       << c.value;
    }
}

TEST(FormatValue, EveryCode) {
    const FormatCase cases[] = {
        {"f1", 6, L"6.0"},
        {"f3", 0.06, L"0.060"},
        {nullptr, 6, L"6.00"},
        {"f2", 6, L"6.00"},
        {"F1", 6, L"6.00"},  // codes are case-sensitive
        {"", 6, L"6.00"},
        {"f4", 6, L"6.00"},
        {"f0", 6.5, L"6"},  // %f rounds half to even
        {"f0", 7.5, L"8"},
        {"int", 6.7, L"7"},
        {"int", -6.7, L"-7"},
        {"pct", 12.345, L"12.3%"},
        {"pct", 0.5, L"0.5%"},
        {"trim2", 5, L"5"}, {"trim2", 5.5, L"5.5"}, {"trim2", 0.05, L"0.05"}, {"trim2", 100.004, L"100"},
        {"f1", -0.04, L"-0.0"},  // the sign of a value rounding to zero stays
        {"f3", 1234567.0625, L"1234567.062"},
        {"date", 19723.9, L"2024-01-01"},
        {"date", -0.5, L"1970-01-01"},  // truncation toward zero, not floor
        {"date", -1.5, L"1969-12-31"},
        {"date", 11016, L"2000-02-29"},
    };
    expect_formats(cases, sizeof cases / sizeof cases[0]);
}

TEST(FormatValue, NotFiniteIsTwoDashesWhateverTheCode) {
    const char* codes[] = {nullptr, "f0", "f1", "f2", "f3", "int", "pct", "date", "other"};
    const double values[] = {INFINITY, -INFINITY, NAN};
    for (const char* code : codes) {
        for (double value : values) {
            wchar_t text[VALUE_TEXT_CAPACITY];
            format_value(code, value, text, VALUE_TEXT_CAPACITY);
            EXPECT_STREQ(L"--", text) << (code ? code : "(absent)");
        }
    }
}

// A number is shown whole or in another correct form, never cut into a
// different number.
TEST(FormatValue, HugeValuesAreNeverCut) {
    const FormatCase cases[] = {
        {"f2", 1e100,
         L"10000000000000000159028911097599180468360808563945281389781327557747838772170381060813469985856815104.00"},
        {"f2", 1e200, L"1.00e+200"}, {"trim2", -1.5e200, L"-1.5e+200"},
        {"f0", 1e300, L"1e+300"},
        {"int", -1e150, L"-1e+150"},
        {"pct", -1e150, L"-1.0e+150%"},
        {"f3", -1.7976931348623157e308, L"-1.798e+308"},
        {"date", 1e300, L"--"},
        {"date", -9.3e18, L"--"},
        {"date", 4e18, L"--"},
    };
    expect_formats(cases, sizeof cases / sizeof cases[0]);
}

TEST(FormatValue, SmallBuffersNeverShowAnotherNumber) {
    struct Case {
        int capacity;
        double value;
        const wchar_t* expected;
    };
    const Case cases[] = {
        {8, 12345.6, L"12345.6"},  // fits
        {6, 1234.5, L"--"},       // "1234.5" and "1.2e+03" both too long
        {8, 123456.7, L"1.2e+05"},  // plain form too long, exponent form fits
        {7, 12345.6, L"--"},        // both one character too long
        {3, 6, L"--"},
        {2, 6, L"-"},
        {1, 6, L""},
    };
    for (const Case& c : cases) {
        wchar_t text[16];
        format_value("f1", c.value, text, c.capacity);
        EXPECT_STREQ(c.expected, text) << "capacity " << c.capacity << " value " << c.value;
    }
}

TEST(CalendarDays, KnownDates) {
    struct Case {
        int year, month, day;
        int64_t days;
        const wchar_t* text;
    };
    const Case cases[] = {
        {1970, 1, 1, 0, L"1970-01-01"},     {1969, 12, 31, -1, L"1969-12-31"},
        {2000, 2, 29, 11016, L"2000-02-29"}, {2024, 1, 1, 19723, L"2024-01-01"},
        {1, 1, 1, -719162, L"0001-01-01"},   {0, 3, 1, -719468, L"0000-03-01"},
        {1900, 3, 1, -25508, L"1900-03-01"}, {2100, 2, 28, 47540, L"2100-02-28"},
        {2026, 12, 8, 20795, L"2026-12-08"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.days, days_from_civil(c.year, c.month, c.day)) << c.year << "-" << c.month;
        wchar_t text[32];
        EXPECT_EQ(10, civil_from_days(c.days, text, 32));
        EXPECT_STREQ(c.text, text);
    }
}

TEST(CalendarDays, RolloverNegativeYearsAndCuts) {
    EXPECT_EQ(days_from_civil(2026, 3, 2), days_from_civil(2026, 2, 30));
    EXPECT_EQ(days_from_civil(2024, 3, 1), days_from_civil(2024, 2, 30));  // leap year
    EXPECT_EQ(days_from_civil(2025, 1, 1), days_from_civil(2024, 12, 32));

    wchar_t text[32];
    civil_from_days(days_from_civil(-1, 1, 1), text, 32);
    EXPECT_STREQ(L"-001-01-01", text);
    civil_from_days(days_from_civil(-2024, 2, 29), text, 32);
    EXPECT_STREQ(L"-2024-02-29", text);
    civil_from_days(days_from_civil(12345, 6, 7), text, 32);
    EXPECT_STREQ(L"12345-06-07", text);

    EXPECT_EQ(-1, civil_from_days(0, text, 5));
    EXPECT_STREQ(L"1970", text);
    EXPECT_EQ(2, civil_from_days(CIVIL_DAYS_LIMIT + 1, text, 32));
    EXPECT_STREQ(L"--", text);
    // A date value is never shown cut: "2024-0" would read as another date.
    format_value("date", 19723, text, 7);
    EXPECT_STREQ(L"--", text);
}

// Every day over three and a half thousand years, both ways, with the days in
// order: each date follows the previous one by exactly one day.
TEST(CalendarDays, RoundTripOverTheProlepticCalendar) {
    int64_t first = days_from_civil(-1600, 1, 1), last = days_from_civil(2400, 12, 31);
    int prev_year = -1601, prev_month = 12, prev_day = 31;
    for (int64_t d = first; d <= last; d++) {
        wchar_t text[32];
        civil_from_days(d, text, 32);
        int year = 0, month = 0, day = 0;
        ASSERT_EQ(3, swscanf(text, L"%d-%d-%d", &year, &month, &day)) << d;
        ASSERT_EQ(d, days_from_civil(year, month, day)) << d;
        bool next_day = year == prev_year && month == prev_month && day == prev_day + 1;
        bool next_month = year == prev_year && month == prev_month + 1 && day == 1;
        bool next_year = year == prev_year + 1 && month == 1 && day == 1 && prev_month == 12 &&
                         prev_day == 31;
        ASSERT_TRUE(next_day || next_month || next_year) << d;
        prev_year = year, prev_month = month, prev_day = day;
    }
}

}  // namespace
