// Fuzzes the reading of a typed number over arbitrary wide texts, against a
// grammar matcher of its own and strtod on the trimmed text.
#include <math.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <wchar.h>

#include "app/app.h"

namespace {

// Bytes below 0xF0 are characters U+0000..U+00EF, so a seed file is the typed
// text itself. 0xF0 and the next two bytes (little-endian) are any character
// of the Basic Multilingual Plane (full-width spaces and digits); 0xF1 and the
// next four bytes are any wchar_t value at all, past Unicode and negative
// ones included. Returns the length.
int decode(const uint8_t* data, size_t size, wchar_t* text) {
    int n = 0;
    for (size_t i = 0; i < size; i++) {
        if (data[i] == 0xF0 && size - i > 2) {
            text[n++] = (wchar_t)(data[i + 1] | data[i + 2] << 8);
            i += 2;
        } else if (data[i] == 0xF1 && size - i > 4) {
            uint32_t c = (uint32_t)data[i + 1] | (uint32_t)data[i + 2] << 8 |
                         (uint32_t)data[i + 3] << 16 | (uint32_t)data[i + 4] << 24;
            text[n++] = (wchar_t)c;
            i += 4;
        } else {
            text[n++] = (wchar_t)data[i];
        }
    }
    text[n] = 0;
    return n;
}

bool is_space(wchar_t c) { return c == L' ' || c == L'\t' || c == 0x3000; }

// The number's grammar as a state machine:
//   [+-] (digits [. [digits]] | . digits) [(e|E) [+-] digits]
enum State { START, SIGN, INTEGER, POINT_ALONE, POINT_AFTER_DIGITS, FRACTION, E, E_SIGN, EXPONENT, DEAD };

State next_state(State s, wchar_t c) {
    bool digit = c >= L'0' && c <= L'9';
    bool sign = c == L'+' || c == L'-';
    bool point = c == L'.';
    bool e = c == L'e' || c == L'E';
    switch (s) {
    case START: return sign ? SIGN : digit ? INTEGER : point ? POINT_ALONE : DEAD;
    case SIGN: return digit ? INTEGER : point ? POINT_ALONE : DEAD;
    case INTEGER: return digit ? INTEGER : point ? POINT_AFTER_DIGITS : e ? E : DEAD;
    case POINT_ALONE: return digit ? FRACTION : DEAD;
    case POINT_AFTER_DIGITS:
    case FRACTION: return digit ? FRACTION : e ? E : DEAD;
    case E: return sign ? E_SIGN : digit ? EXPONENT : DEAD;
    case E_SIGN:
    case EXPONENT: return digit ? EXPONENT : DEAD;
    case DEAD: return DEAD;
    }
    return DEAD;
}

bool matches_number(const wchar_t* text, int length) {
    State s = START;
    for (int i = 0; i < length && s != DEAD; i++) s = next_state(s, text[i]);
    return s == INTEGER || s == POINT_AFTER_DIGITS || s == FRACTION || s == EXPONENT;
}

[[noreturn]] void violated(const char* what, const wchar_t* text, int length, bool accepted, double value) {
    fprintf(stderr, "invariant violated: %s\naccepted %d value %.17g (%a)\ntext:", what, accepted, value,
            value);
    for (int i = 0; i < length; i++) fprintf(stderr, " %04X", (unsigned)text[i]);
    fprintf(stderr, "\n");
    abort();
}

bool same_double(double a, double b) { return memcmp(&a, &b, sizeof a) == 0; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Exactly the text's size, so an overread is a sanitizer report.
    wchar_t* text = (wchar_t*)malloc((size + 1) * sizeof(wchar_t));
    decode(data, size, text);
    int length = (int)wcslen(text);  // a NUL ends the field's text there

    int first = 0, last = length;
    while (first < last && is_space(text[first])) first++;
    while (last > first && is_space(text[last - 1])) last--;

    // A blank field holds no number.
    bool expected_accepted = false;
    double expected_value = 0;
    if (first < last) {
        expected_accepted = matches_number(text + first, last - first);
        if (expected_accepted) {
            // Matched, so every character is ASCII.
            char* ascii = (char*)malloc((size_t)(last - first) + 1);
            for (int i = first; i < last; i++) ascii[i - first] = (char)text[i];
            ascii[last - first] = 0;
            expected_value = strtod(ascii, nullptr);
            free(ascii);
            if (!isfinite(expected_value)) expected_accepted = false, expected_value = 0;
        }
    }

    // Whatever the caller's variable held, the field leaves it defined: the
    // number when accepted, 0 when refused.
    double value = -12345.5;
    bool accepted = input_field_number(text, &value);
    if (input_field_blank(text) != (first == last)) violated("blank misjudged", text, length, accepted, value);
    if (accepted != expected_accepted)
        violated(expected_accepted ? "a number refused" : "not a number accepted", text, length, accepted,
                 value);
    if (accepted && !isfinite(value)) violated("a value that is not finite", text, length, accepted, value);
    if (!same_double(value, expected_value))
        violated(accepted ? "value differs from strtod" : "refused but the value is not 0", text, length,
                 accepted, value);

    free(text);
    return 0;
}
