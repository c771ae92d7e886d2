// Every tool of suite/, in the order of their files: the table the build
// generates from the descriptors (CMakeLists.txt), so a descriptor added to
// suite/ is in the launcher's list, and held to the tests' rules, without
// being listed anywhere.
#pragma once

#include "tool/tool.h"

extern const ToolDef* const suite_tools[];
// Each tool's program file as the release names it ("T018-Braden.exe").
extern const wchar_t* const suite_programs[];
extern const int suite_tool_count;
