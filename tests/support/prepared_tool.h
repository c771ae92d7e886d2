// A descriptor prepared as the program's entry points prepare it, in one
// declaration: `const Prepared tool(described);`. Not to be copied: its
// records point into itself.
#pragma once

#include "tool/tool.h"

struct Prepared : PreparedTool {
    explicit Prepared(const ToolDef& described) : PreparedTool() { tool_prepare(described, this); }
    Prepared(const Prepared&) = delete;
};
