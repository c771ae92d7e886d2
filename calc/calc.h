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
// level (0 to 3) through `level_out` (when not nullptr) and returns it. Never
// fails: formula failures, and a tool served incomplete, become the failure
// note; failing conditions do not hold.
int tool_calculate(const PreparedTool& tool, const double* input_values, wchar_t* result_text,
                   int result_capacity, wchar_t* verdict, int verdict_capacity, int* level_out,
                   wchar_t* result_copy, int result_copy_capacity);

// The same for a descriptor as written, prepared first.
int tool_calculate(const ToolDef& tool, const double* input_values, wchar_t* result_text,
                   int result_capacity, wchar_t* verdict, int verdict_capacity, int* level_out,
                   wchar_t* result_copy, int result_copy_capacity);
