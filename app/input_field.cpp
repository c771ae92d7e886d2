// The rule for numbers typed in the window's input fields, kept apart from
// the window so it can be checked on any system.
#include "app/app.h"

#include <math.h>
#include <wchar.h>

#include "tool/tool.h"

namespace {

// Spaces as a nurse may type them: ASCII, full-width (Chinese input), tab.
bool is_blank(wchar_t c) { return c == L' ' || c == L'\x3000' || c == L'\t'; }
bool is_digit(wchar_t c) { return c >= L'0' && c <= L'9'; }

// [+-] digits [. digits] [(e|E) [+-] digits], at least one digit before the
// exponent. Returns where the number ends, or nullptr when there is none.
const wchar_t* decimal_number_end(const wchar_t* p) {
    if (*p == L'+' || *p == L'-') p++;
    int digits = 0;
    while (is_digit(*p)) p++, digits++;
    if (*p == L'.') {
        p++;
        while (is_digit(*p)) p++, digits++;
    }
    if (digits == 0) return nullptr;
    if (*p == L'e' || *p == L'E') {
        const wchar_t* exponent = p + 1;
        if (*exponent == L'+' || *exponent == L'-') exponent++;
        if (!is_digit(*exponent)) return nullptr;
        while (is_digit(*exponent)) exponent++;
        p = exponent;
    }
    return p;
}

}  // namespace

bool input_field_blank(const wchar_t* text) {
    while (is_blank(*text)) text++;
    return !*text;
}

void input_field_trim(const wchar_t* text, wchar_t* trimmed, int capacity) {
    while (is_blank(*text)) text++;
    int length = 0;
    while (text[length]) length++;
    while (length > 0 && is_blank(text[length - 1])) length--;
    int kept = length < capacity - 1 ? length : capacity - 1;
    for (int i = 0; i < kept; i++) trimmed[i] = text[i];
    trimmed[kept] = 0;
}

bool input_field_number(const wchar_t* text, double* value) {
    *value = 0;
    const wchar_t* start = text;
    while (is_blank(*start)) start++;
    if (!*start) return false;
    const wchar_t* end = decimal_number_end(start);
    if (!end) return false;
    for (const wchar_t* rest = end; *rest; rest++)
        if (!is_blank(*rest)) return false;
    // The syntax is checked above; wcstod does the rounding.
    wchar_t* converted_end = nullptr;
    double v = wcstod(start, &converted_end);
    if (converted_end != end || !isfinite(v)) return false;
    *value = v;
    return true;
}

void input_field_complaint(const InputDef& input, int number, const wchar_t* typed, InputFault fault,
                           wchar_t* complaint, int capacity) {
    wchar_t shown[INPUT_TEXT_CAPACITY];
    input_field_trim(typed, shown, INPUT_TEXT_CAPACITY);
    wchar_t range[128];
    tool_input_range_text(input, range, 128);
    if (fault == INPUT_TOO_PRECISE && input.decimals == 0)
        text_format(complaint, capacity, L"第 %d 项“%ls”须为整数（当前 %ls）。", number, input.label, shown);
    else if (fault == INPUT_TOO_PRECISE)
        text_format(complaint, capacity, L"第 %d 项“%ls”最多 %d 位小数（当前 %ls）。", number, input.label,
                    input.decimals, shown);
    else if (input.min > -INFINITY && input.max < INFINITY)
        text_format(complaint, capacity, L"第 %d 项“%ls”须在 %ls 之间（当前 %ls）。", number, input.label, range,
                    shown);
    else
        text_format(complaint, capacity, L"第 %d 项“%ls”须为 %ls（当前 %ls）。", number, input.label, range, shown);
}
