// What the program keeps on disk: the self-test report (and, with the main
// window, the record store).
#pragma once

#include "tool/tool.h"

// Process exit codes of the self-test run.
constexpr int EXIT_SELFTEST_PASSED = 0;
constexpr int EXIT_SELFTEST_FORMULA_FAILED = 2;
constexpr int EXIT_SELFTEST_NOT_WRITTEN = 3;

// The report holds at most this many characters with its terminator.
constexpr int SELFTEST_REPORT_CAPACITY = 16384;
// The DETAIL line keeps at most this many characters of the result text.
constexpr int SELFTEST_DETAIL_LIMIT = 8000;

// Builds the self-test report of `tool` with its default inputs into
// `report` (cut where it is full, always terminated) and returns the number
// of output formulas that failed to evaluate.
int selftest_report(const ToolDef& tool, wchar_t* report, int capacity);

// The headless run: computes the build's tool, writes its report to `path`
// (relative to the current directory) and returns the exit code: 0 when every
// output formula evaluated, 2 when one failed, 3 when the report could not be
// written whole (a partly written file is emptied then).
int run_selftest(const wchar_t* path);

// Writes `text` (at most SELFTEST_REPORT_CAPACITY characters) as UTF-8
// without a byte-order mark, replacing the file. Returns false when the file
// could not be created or fully written; a file left incomplete is emptied.
bool write_utf8_file(const wchar_t* path, const wchar_t* text);
