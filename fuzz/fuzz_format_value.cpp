// Fuzzes the value formats over arbitrary doubles, format codes and buffer
// sizes: the text must fit, be a number (or a date) and read back as the value.
#include <math.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <wchar.h>

#include "tool/tool.h"

namespace {

constexpr wchar_t GUARD = 0xA5A5;
constexpr int GUARD_COUNT = 16;
constexpr int MAX_CAPACITY = 200;

const char* const known_codes[] = {"f0", "f1", "f2", "f3", "int", "pct", "date", "trim2", nullptr};
constexpr int KNOWN_CODE_COUNT = sizeof known_codes / sizeof known_codes[0];

// Decimals the code shows; -1 for "date". Anything unknown shows two.
int decimals_of(const char* code) {
    if (!code) return 2;
    const char* names[] = {"f0", "f1", "f3", "int", "pct", "date"};
    const int decimals[] = {0, 1, 3, 0, 1, -1};
    for (int i = 0; i < 6; i++)
        if (strcmp(code, names[i]) == 0) return decimals[i];
    return 2;
}

struct Case {
    const char* code;
    double value;
    int capacity;
};

[[noreturn]] void violated(const char* what, const Case& c, const wchar_t* text) {
    fprintf(stderr, "invariant violated: %s\ncode %s%s%s value %.17g (%a) capacity %d\ntext \"%ls\"\n",
            what, c.code ? "\"" : "", c.code ? c.code : "(absent)", c.code ? "\"" : "", c.value,
            c.value, c.capacity, text);
    abort();
}

// Formats into a guard-filled buffer; checks the text ends inside the capacity
// and nothing past it was touched. Returns the length.
int format_checked(const Case& c, wchar_t* text) {
    for (int i = 0; i < MAX_CAPACITY + GUARD_COUNT; i++) text[i] = GUARD;
    format_value(c.code, c.value, text, c.capacity);
    for (int i = c.capacity; i < MAX_CAPACITY + GUARD_COUNT; i++)
        if (text[i] != GUARD) violated("written past the capacity", c, L"");
    int n = 0;
    while (n < c.capacity && text[n] != 0) n++;
    if (n == c.capacity) violated("text not terminated within the capacity", c, L"");
    for (int i = 0; i < n; i++)
        if (!wcschr(L"0123456789-.e+%", text[i])) violated("character outside a number", c, text);
    return n;
}

bool is_dashes(const wchar_t* text) { return wcscmp(text, L"--") == 0; }

// A date as YYYY-MM-DD must name the day it stands for.
void check_date(const Case& c, const wchar_t* text) {
    if (is_dashes(text)) {
        if (fabs(c.value) < 1e17) violated("a representable day shown as --", c, text);
        return;
    }
    long long year = 0;
    int month = 0, day = 0, used = 0;
    if (swscanf(text, L"%lld-%2d-%2d%n", &year, &month, &day, &used) != 3 ||
        used != (int)wcslen(text) || month < 1 || month > 12 || day < 1 || day > 31)
        violated("not a date", c, text);
    // days_from_civil takes an int year.
    if (fabs(c.value) < 7e11 && days_from_civil((int)year, month, day) != (int64_t)c.value)
        violated("date is another day", c, text);
}

// A number reads back as the value to within half the last digit shown. The
// exponent form is compared by its digits, since "1.80e+308" reads as infinity.
void check_number(const Case& c, const wchar_t* text, int decimals) {
    int n = (int)wcslen(text);
    bool pct = strcmp(c.code ? c.code : "", "pct") == 0;
    if (pct != (n > 0 && text[n - 1] == L'%')) violated("percent sign wrong", c, text);
    const wchar_t* number_end = text + n - (pct ? 1 : 0);
    const wchar_t* e = wcschr(text, L'e');
    wchar_t mantissa[MAX_CAPACITY];
    int mantissa_length = (int)((e ? e : number_end) - text);
    wmemcpy(mantissa, text, (size_t)mantissa_length);
    mantissa[mantissa_length] = 0;
    wchar_t* end = nullptr;
    double digits = wcstod(mantissa, &end);
    if (end != mantissa + mantissa_length) violated("not one number", c, text);
    double expected = c.value;
    if (e) {
        long exponent = wcstol(e + 1, &end, 10);
        if (end != number_end || !(fabs(digits) >= 1 && fabs(digits) < 10))
            violated("not an exponent form", c, text);
        expected = c.value / pow(10.0, (double)(exponent / 2)) / pow(10.0, (double)(exponent - exponent / 2));
    }
    double allowed = pow(10.0, -decimals) * 0.5 * (1 + 1e-9) + fabs(expected) * 4e-16;
    if (!(fabs(digits - expected) <= allowed)) violated("reads back as another value", c, text);
}

void check(const Case& c) {
    wchar_t text[MAX_CAPACITY + GUARD_COUNT];
    int n = format_checked(c, text);

    // The same value with all the room the callers give.
    Case roomy = c;
    roomy.capacity = VALUE_TEXT_CAPACITY;
    wchar_t full[MAX_CAPACITY + GUARD_COUNT];
    int full_length = format_checked(roomy, full);
    Case roomier = c;
    roomier.capacity = MAX_CAPACITY;
    wchar_t fuller[MAX_CAPACITY + GUARD_COUNT];
    format_checked(roomier, fuller);
    if (wcscmp(full, fuller) != 0) violated("more room than callers give changes the text", c, fuller);

    int decimals = decimals_of(c.code);
    if (!isfinite(c.value)) {
        if (!is_dashes(full)) violated("not finite but not --", roomy, full);
    } else if (decimals < 0) {
        check_date(roomy, full);
    } else {
        if (is_dashes(full)) violated("a finite number shown as --", roomy, full);
        check_number(roomy, full, decimals);
    }

    // What fits is shown as with more room; what does not is "--" (cut when
    // even that is too long) or, for a number, an exponent form. A date is
    // never cut either: "2024-0" would read as another date.
    if (full_length < c.capacity) {
        if (wcscmp(text, full) != 0) violated("text fits yet differs from the roomy one", c, text);
        return;
    }
    int dashes = c.capacity - 1 < 2 ? c.capacity - 1 : 2;
    if (n == dashes && wcsncmp(text, L"--", (size_t)n) == 0) return;
    if (decimals < 0) violated("a date that does not fit is shown cut", c, text);
    if (!wcschr(text, L'e')) violated("a number that does not fit is shown cut", c, text);
    check_number(c, text, decimals);
}

}  // namespace

// Input: a byte choosing the code, a byte choosing the capacity, eight bytes
// of the value; any bytes after those are an arbitrary code of up to four.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 10) return 0;
    Case c;
    char arbitrary[5] = {0};
    uint8_t selector = data[0];
    if (size > 10) {
        size_t k = size - 10 < 4 ? size - 10 : 4;
        memcpy(arbitrary, data + 10, k);
        c.code = arbitrary;
    } else {
        c.code = known_codes[selector % KNOWN_CODE_COUNT];
    }
    c.capacity = 1 + data[1] % MAX_CAPACITY;
    memcpy(&c.value, data + 2, sizeof(double));
    check(c);
    return 0;
}
