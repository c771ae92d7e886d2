// The headline's range and bands for the course chart.
#include "rounds/course_bands.h"

#include <math.h>

#include "calc/calc.h"
#include "expr/expr.h"

namespace {

// Beyond this many combinations of the inputs' values, as many are tried
// at random. Every input at its default, at its first and at its last value
// are tried whatever the count: a normal set of vital signs is rarely hit
// at random.
constexpr int COMBINATIONS_TRIED = 4096;
constexpr int ALWAYS_TRIED = 3;
// A typed number is tried at this many values from its least to its most.
constexpr int TYPED_VALUES = 8;
// The headline's range is walked in at most this many steps.
constexpr int STEPS_MAX = 2000;

// The values input i may take for the range: a list's options, a box's
// two, a typed number's default and values spread between its limits (its
// default alone where it has none).
int input_values(const InputDef& input, double* values) {
    static_assert(TYPED_VALUES + 1 <= TOOL_MAX_CHOICES, "a typed number's values fit an input's room");
    if (input.choice_count) {
        for (int k = 0; k < input.choice_count; k++) values[k] = input.choices[k].value;
        return input.choice_count;
    }
    if (input.box) {
        values[0] = 0, values[1] = input.points;
        return 2;
    }
    values[0] = input.default_value;
    if (!isfinite(input.min) || !isfinite(input.max)) return 1;
    for (int k = 0; k < TYPED_VALUES; k++) values[1 + k] = input.min + (input.max - input.min) * k / (TYPED_VALUES - 1);
    return 1 + TYPED_VALUES;
}

// The headline of one set of input values, NaN where it fails.
double headline_of(const PreparedTool& tool, const double* inputs) {
    double readable[TOOL_MAX_INPUTS], outputs[TOOL_MAX_OUTPUTS];
    calc_readable_inputs(tool, inputs, readable);
    for (int j = 0; j <= tool.headline_output; j++) {
        int failed = 0;
        outputs[j] = expr_evaluate(tool, tool.outputs[j].formula, readable, outputs, &failed);
        if (failed) outputs[j] = NAN;
    }
    return outputs[tool.headline_output];
}

// The first rule that holds when only the headline is known, or -1 where
// that depends on more than the headline or no rule holds.
int rule_at(const PreparedTool& tool, double value) {
    double inputs[TOOL_MAX_INPUTS], outputs[TOOL_MAX_OUTPUTS];
    for (double& v : inputs) v = NAN;
    for (double& v : outputs) v = NAN;
    outputs[tool.headline_output] = value;
    for (int r = 0; r < tool.rule_count; r++) {
        const char* condition = tool.rules[r].condition;
        if (!condition || !*condition) return r;
        int failed = 0;
        double holds = expr_evaluate(tool, condition, inputs, outputs, &failed);
        if (failed) return -1;
        if (holds != 0) return r;
    }
    return -1;
}

double format_step(const char* format) {
    if (format && format[0] == 'f' && format[1] >= '1' && format[1] <= '3' && !format[2])
        return pow(10.0, -(format[1] - '0'));
    return 1;
}

}  // namespace

bool course_scale(const PreparedTool& tool, CourseScale* scale) {
    *scale = {};
    if (tool.headline_output < 0) return false;
    double values[TOOL_MAX_INPUTS][TOOL_MAX_CHOICES];
    int counts[TOOL_MAX_INPUTS];
    double combinations = 1;
    for (int i = 0; i < tool.input_count; i++) {
        counts[i] = input_values(tool.inputs[i], values[i]);
        combinations *= counts[i];
    }
    const bool every = combinations <= COMBINATIONS_TRIED;
    const int tries = ALWAYS_TRIED + (every ? (int)combinations : COMBINATIONS_TRIED);
    double low = INFINITY, high = -INFINITY;
    unsigned seed = 1;
    for (int t = 0; t < tries; t++) {
        double inputs[TOOL_MAX_INPUTS];
        for (int i = 0, rest = t - ALWAYS_TRIED; i < tool.input_count; i++) {
            const InputDef& input = tool.inputs[i];
            int k;
            if (t < ALWAYS_TRIED) k = t == 0 ? 0 : t == 1 ? (input.choice_count || input.box ? 0 : 1) : counts[i] - 1;
            else if (every) k = rest % counts[i], rest /= counts[i];
            else seed = seed * 1103515245u + 12345u, k = (int)((seed >> 16) % (unsigned)counts[i]);
            inputs[i] = t == 0 ? input.default_value : values[i][k];
        }
        double v = headline_of(tool, inputs);
        if (!isfinite(v)) continue;
        if (v < low) low = v;
        if (v > high) high = v;
    }
    if (!(low <= high)) return false;
    scale->low = low, scale->high = high;
    scale->step = format_step(tool.outputs[tool.headline_output].format);
    if ((high - low) / scale->step > STEPS_MAX) scale->step = (high - low) / STEPS_MAX;
    const int steps = (int)floor((high - low) / scale->step + 0.5);
    CourseBand* band = nullptr;
    for (int k = 0; k <= steps; k++) {
        const double v = k == steps ? high : low + k * scale->step;
        const int rule = rule_at(tool, v);
        if (band && rule == band->rule) {
            band->high = v;
            continue;
        }
        band = nullptr;
        if (rule < 0 || scale->band_count == COURSE_BAND_MAX) continue;
        band = &scale->bands[scale->band_count++];
        *band = {v, v, rule, tool.rules[rule].level};
    }
    return true;
}
