// The limits of an input's value: the one rule by which the window refuses
// a typed value, the calculation fails it and the descriptor check judges a
// default.
#include "tool/tool.h"

namespace {

// Whether `value` has at most `decimals` digits after the point. Judged on
// the number, not on the text typed, so "36.80" takes one decimal like
// "36.8"; the slack covers a decimal fraction's nearest double, never a
// digit more.
bool within_decimals(double value, int decimals) {
    double scaled = value;
    for (int d = 0; d < decimals; d++) scaled *= 10;
    return fabs(scaled - nearbyint(scaled)) <= 1e-6;
}

}  // namespace

bool tool_input_limited(const InputDef& input) {
    return input.min > -INFINITY || input.max < INFINITY || input.decimals != INPUT_ANY_DECIMALS;
}

InputFault tool_input_fault(const InputDef& input, double value) {
    if (input.choice_count) return tool_choice_of(input, value) ? INPUT_SOUND : INPUT_NO_OPTION;
    if (input.box) return value == 0 || value == input.points ? INPUT_SOUND : INPUT_NO_OPTION;
    if (!isfinite(value)) return INPUT_NOT_FINITE;
    if (value < input.min) return INPUT_BELOW_MIN;
    if (value > input.max) return INPUT_ABOVE_MAX;
    if (input.decimals >= 0 && !within_decimals(value, input.decimals)) return INPUT_TOO_PRECISE;
    return INPUT_SOUND;
}

int tool_input_range_text(const InputDef& input, wchar_t* text, int capacity) {
    wchar_t low[VALUE_TEXT_CAPACITY], high[VALUE_TEXT_CAPACITY];
    format_default_value(input.min, low, VALUE_TEXT_CAPACITY);
    format_default_value(input.max, high, VALUE_TEXT_CAPACITY);
    const wchar_t* unit = input.unit && *input.unit ? input.unit : L"";
    const wchar_t* space = *unit ? L" " : L"";
    bool has_min = input.min > -INFINITY, has_max = input.max < INFINITY;
    if (has_min && has_max) return text_format(text, capacity, L"%ls–%ls%ls%ls", low, high, space, unit);
    if (has_min) return text_format(text, capacity, L"≥ %ls%ls%ls", low, space, unit);
    if (has_max) return text_format(text, capacity, L"≤ %ls%ls%ls", high, space, unit);
    return text_copy(text, capacity, L"");
}

int tool_box_points_text(const InputDef& input, wchar_t* text, int capacity) {
    wchar_t points[VALUE_TEXT_CAPACITY];
    format_default_value(input.points, points, VALUE_TEXT_CAPACITY);
    return text_format(text, capacity, L"%ls %ls", points, input.unit && *input.unit ? input.unit : L"分");
}
