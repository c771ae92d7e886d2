// Every tool of suite/, in the order of their files: the table the build
// generates from the descriptors (tests/CMakeLists.txt), so a descriptor
// added to suite/ is held to the same rules without being listed.
#pragma once

#include "tool/tool.h"

extern const ToolDef* const suite_tools[];
extern const int suite_tool_count;
