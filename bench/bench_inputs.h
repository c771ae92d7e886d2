// What both benchmarks evaluate: the built-in tool's default inputs and
// computed outputs, and a long formula that uses most operators and
// functions.
#pragma once

namespace bench {

inline const double input_values[] = {60, 10, 100};
inline const double output_values[] = {6, 0.06};

// About 200 characters.
inline const char LONG_FORMULA[] =
    "icr > 0 && conc >= 40 ? round(carbs / icr * 10) / 10 + max(0, min(units, 20)) * 0.5 - "
    "abs(ml - 0.06) % 3 : sqrt(pow(carbs, 2) + conc ^ 2) / (1 + exp(-0.5)) + floor(log10(conc)) "
    "+ ceil(log(icr)) != 2";

}  // namespace bench
