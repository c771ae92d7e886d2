// Format codes: how an output value is shown on a result line and in the
// self-test report.
#include "tool/tool.h"

#include <math.h>
#include <stdio.h>
#include <string.h>

namespace {

// One row per recognised code, compared exactly and in this order; "date" is
// handled apart. Anything else, an absent code included, shows two decimals.
// A trimmed code shows at most its decimals, without trailing zeros: a rate
// written "5.00 ml/h" can be read as 500 (ISMP), so it reads "5 ml/h", while
// 0.05 keeps the digits that tell it from 0.
struct NumberFormat {
    const char* code;
    int decimals;
    const char* suffix;
    bool trimmed = false;
};

const NumberFormat number_formats[] = {
    {"f0", 0, ""},
    {"f1", 1, ""},
    {"f3", 3, ""},
    {"int", 0, ""},  // rounded like f0, never truncated
    {"pct", 1, "%"}, // the value is already a percentage
    {"trim2", 2, "", true},
};
const NumberFormat default_format = {"f2", 2, ""};

const NumberFormat& find_format(const char* code) {
    for (const NumberFormat& f : number_formats)
        if (strcmp(code, f.code) == 0) return f;
    return default_format;
}

// Widens an ASCII number text; the digits, signs, points and percent signs of
// a printed number map one to one.
void widen(const char* narrow, wchar_t* text) {
    int i = 0;
    for (; narrow[i]; i++) text[i] = (wchar_t)(unsigned char)narrow[i];
    text[i] = 0;
}

// Prints `value` with the format's decimals, plain or in exponent form, its
// trailing zeros (and a point left bare) dropped where the format trims.
// Returns the length, or -1.
int print_number(const NumberFormat& f, bool exponent, double value, char* narrow, int capacity) {
    int n = snprintf(narrow, (size_t)capacity, exponent ? "%.*e%s" : "%.*f%s", f.decimals, value, f.suffix);
    if (!f.trimmed || n < 0 || n >= capacity) return n;
    char* point = strchr(narrow, '.');
    if (!point) return n;
    char* digits_end = point + strspn(point + 1, "0123456789") + 1;
    char* kept = digits_end;
    while (kept > point + 1 && kept[-1] == '0') kept--;
    if (kept == point + 1) kept = point;
    memmove(kept, digits_end, strlen(digits_end) + 1);
    return n - (int)(digits_end - kept);
}

}  // namespace

bool format_code_known(const char* code) {
    if (strcmp(code, default_format.code) == 0 || strcmp(code, "date") == 0) return true;
    for (const NumberFormat& f : number_formats)
        if (strcmp(code, f.code) == 0) return true;
    return false;
}

// Very large values have plain texts longer than the result line can hold (a
// "%.2f" of 1e300 is 304 characters). Cutting one would show another number,
// so such a value falls back to the exponent form with the same decimals, and
// to "--" when even that does not fit the caller's buffer.
void format_value(const char* format, double value, wchar_t* text, int capacity) {
    if (capacity < 1) return;
    text[0] = 0;
    if (!isfinite(value)) {
        text_copy(text, capacity, L"--");
        return;
    }
    const char* code = format ? format : "f2";
    if (strcmp(code, "date") == 0) {
        // Truncation toward zero; values beyond any day number show as "--".
        if (!(value > -9.2e18 && value < 9.2e18)) {
            text_copy(text, capacity, L"--");
            return;
        }
        // A cut date reads as another date, so it is not shown cut either.
        if (civil_from_days((int64_t)value, text, capacity) < 0) text_copy(text, capacity, L"--");
        return;
    }
    const NumberFormat& f = find_format(code);
    char narrow[VALUE_TEXT_CAPACITY];
    int fits = capacity < VALUE_TEXT_CAPACITY ? capacity : VALUE_TEXT_CAPACITY;
    int n = print_number(f, false, value, narrow, (int)sizeof narrow);
    if (n < 0 || n >= fits) n = print_number(f, true, value, narrow, (int)sizeof narrow);
    if (n < 0 || n >= fits) {
        text_copy(text, capacity, L"--");
        return;
    }
    widen(narrow, text);
}

void format_default_value(double value, wchar_t* text, int capacity) {
    text_format(text, capacity, L"%.6g", value);
}
