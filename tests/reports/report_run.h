// Runs one report over a tool made of just the given inputs, and checks that
// nothing is written beyond the capacity.
#pragma once

#include <gtest/gtest.h>

#include <stdint.h>

#include <string>
#include <vector>

#include "reports/reports.h"

struct Input {
    const char* key;
    double value;
};

struct Report {
    std::wstring text, verdict;
    int level;
    std::vector<std::wstring> lines;  // split at "\r\n"; the last entry is what follows the last break
};

inline std::vector<std::wstring> split_lines(const std::wstring& text) {
    std::vector<std::wstring> lines;
    size_t from = 0, at;
    while ((at = text.find(L"\r\n", from)) != std::wstring::npos) {
        lines.push_back(text.substr(from, at - from));
        from = at + 2;
    }
    lines.push_back(text.substr(from));
    return lines;
}

// Runs `run(tool, values, text, capacity, verdict)` over a tool made of just
// the given inputs.
template <typename Run>
Report run_report(const std::vector<Input>& given, int capacity, Run run) {
    InputDef defs[TOOL_MAX_INPUTS];
    double values[TOOL_MAX_INPUTS] = {};
    for (size_t i = 0; i < given.size(); i++) {
        defs[i].key = given[i].key;
        values[i] = given[i].value;
    }
    ToolDef described;
    described.input_count = (int)given.size();
    described.inputs = defs;
    static PreparedTool tool;
    tool_prepare(described, &tool);
    // Filled beyond the terminator, so a write past the capacity shows. The
    // dispatcher hands generators empty buffers; so does this.
    std::vector<wchar_t> text(capacity + 1, L'#');
    text[0] = 0;
    wchar_t verdict[512] = L"";
    Report r;
    r.level = run(tool, values, text.data(), capacity, verdict);
    EXPECT_EQ(L'#', text[capacity]) << "written beyond the capacity";
    r.text = text.data();
    r.verdict = verdict;
    r.lines = split_lines(r.text);
    return r;
}

inline Report generate(int kind, const std::vector<Input>& given, int capacity = 8192) {
    return run_report(given, capacity, [kind](const PreparedTool& tool, const double* values,
                                              wchar_t* text, int capacity, wchar_t* verdict) {
        return report_generate(kind, tool, values, text, capacity, verdict, 512);
    });
}
