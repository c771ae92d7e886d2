// Custom reports: tools whose result is a text rather than formula outputs.
#pragma once

#include "tool/tool.h"

// The result text when a tool names no known report kind.
#define REPORT_FALLBACK_TEXT L"（该工具暂无自定义报告）"
#define REPORT_FALLBACK_VERDICT L"暂无报告内容"

// Writes the report of `kind` for the tool's inputs into `result_text` and
// its conclusion into `verdict` (both cut to capacity - 1 and terminated) and
// returns the level. A kind without a generator gives the fallback texts and 0.
int report_generate(int kind, const ToolDef& tool, const double* input_values,
                    wchar_t* result_text, int result_capacity, wchar_t* verdict,
                    int verdict_capacity);
