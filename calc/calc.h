// The calculation: one set of input values in, result lines, verdict and
// level out.
#pragma once

#include "tool/tool.h"

// Added once after the output lines when any output formula failed.
#define CALC_FAILURE_NOTE L"（部分结果无法计算，请检查输入是否合理）\r\n"
// The verdict when no rule gave one.
#define CALC_FALLBACK_VERDICT L"请核对输入参数后重新计算"

// Runs the tool's formulas and rules (or its report generator) over
// `input_values` (one per input). Writes the result lines into `result_text`,
// the conclusion into `verdict` and the same result text into `result_copy`,
// each cut to its capacity - 1 characters and always terminated; stores the
// level (0 to 3) through `level_out` and returns it. Never fails: formula
// failures become the failure note, failing conditions do not hold.
int tool_calculate(const ToolDef& tool, const double* input_values, wchar_t* result_text,
                   int result_capacity, wchar_t* verdict, int verdict_capacity, int* level_out,
                   wchar_t* result_copy, int result_copy_capacity);

// The tool as the calculation can hold it: counts clamped to TOOL_MAX_INPUTS
// and TOOL_MAX_OUTPUTS (negative ones to 0). `*clipped` (when not nullptr)
// tells whether anything was left out, so callers can count it as a failure
// rather than drop it unseen.
ToolDef calc_bounded_tool(const ToolDef& tool, bool* clipped);
