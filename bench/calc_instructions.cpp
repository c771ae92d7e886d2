// Repeats one evaluation or calculation a given number of times, for
// counting instructions under callgrind (scripts/bench.sh --instructions):
// unlike time, the count does not depend on the host or its load.
//   glyvant_instructions <carbs_icr_conc|units_gt_20|long_formula|tool_calculate> <times>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "bench/bench_inputs.h"
#include "calc/calc.h"
#include "expr/expr.h"

namespace {

using bench::input_values;
using bench::output_values;
using bench::LONG_FORMULA;
const struct {
    const char* name;
    const char* formula;
} formulas[] = {{"carbs_icr_conc", "carbs/icr/conc"}, {"units_gt_20", "units>20"}, {"long_formula", LONG_FORMULA}};

PreparedTool tool;
Calculation calculation;

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        fprintf(stderr, "usage: glyvant_instructions <what> <times>\n");
        return 2;
    }
    tool_prepare(tool_builtin(), &tool);
    const char* formula = nullptr;
    for (const auto& f : formulas)
        if (strcmp(argv[1], f.name) == 0) formula = f.formula;
    if (!formula && strcmp(argv[1], "tool_calculate") != 0) return 2;
    volatile double sink = 0;
    for (int i = atoi(argv[2]); i > 0; i--) {
        int failed = 0;
        sink = formula ? expr_evaluate(tool, formula, input_values, output_values, &failed)
                       : tool_calculate(tool, input_values, &calculation);
    }
    return sink < 0;
}
