// The descriptor check: what a suite author would otherwise learn only by
// running the tool, or never (a condition naming no key simply never holds).
#pragma once

#include "tool/tool.h"

enum CheckSeverity {
    CHECK_ERROR,    // the tool is wrong on every input
    CHECK_WARNING,  // legal, but usually a slip
};

constexpr int CHECK_WHERE_CAPACITY = 48;
constexpr int CHECK_WHAT_CAPACITY = 640;

// One finding: the record and field it is about ("rules[0].condition") and
// what is wrong, quoting the offending text.
struct CheckFinding {
    CheckSeverity severity;
    char where[CHECK_WHERE_CAPACITY];
    char what[CHECK_WHAT_CAPACITY];
};

// Checks a descriptor as written. Writes at most `capacity` findings, in the
// order of the descriptor's fields, and returns how many there are in all.
int tool_check(const ToolDef& tool, CheckFinding* findings, int capacity);
