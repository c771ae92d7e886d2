// How a tool calculates, written for the nurse or pharmacist who checks it
// before trusting it: each output's formula with the inputs' and outputs'
// labels in place of their keys and the signs a reader knows, a chain of
// conditions as its bands, and each rule as its condition, its verdict and
// its level in words. Made from the descriptor, so it can never describe
// another calculation than the one the program runs.
#pragma once

#include "tool/tool.h"

// Each text below writes a formula or condition as a reader writes it:
// "本餐碳水 ÷ 碳水系数", "呼吸频率 ≤ 8 → 3；≤ 11 → 1；其余 → 0", "取 体重 与 10
// 中较小者"; a box asked about as "已勾选" or "未勾选", a list by its option
// ("= UN"), a label that begins with a number set off ("【5a 左上肢运动】").
// Each is cut with TEXT_CUT_MARK where it does not fit and returns its length.

// Output `j` as "label = formula"; an output that only repeats a list's
// choice as what it is: "RASS 评分：取所选选项的分值".
int method_output_text(const PreparedTool& tool, int j, wchar_t* text, int capacity);

// Input `i` as a reader checks it: a field with its unit, what it shows at
// start, and the range and precision it takes; a list with each option
// after `option_break`, and when it is asked only on a condition, that
// condition and what stands for it otherwise; a box with its points.
int method_input_text(const PreparedTool& tool, int i, const wchar_t* option_break, wchar_t* text, int capacity);

// Rule `i` as "condition → message（colour，meaning）", and the output it
// withholds ("，校正剂量不适用、不计算"); a rule without a condition reads
// "其余 → …".
int method_rule_text(const PreparedTool& tool, int i, wchar_t* text, int capacity);

// How a formula tool calculates, whole, as the launcher's details and the
// user guide show it: a heading, each output's line, a heading on the order
// in which the rules are tried, and each rule's line, every line after the
// first opening with `line_break` (none after the last). Cut with
// TEXT_CUT_MARK where it does not fit. A report tool has none: "" and 0.
// Returns the length.
int method_account_text(const PreparedTool& tool, const wchar_t* line_break, wchar_t* text, int capacity);
