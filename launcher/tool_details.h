// What the launcher's details pane shows of a tool: what it is, what it
// asks for, how it calculates and where each verdict starts, its basis and
// caution, all written from the descriptor itself.
#pragma once

#include "tool/tool.h"

// The whole text, lines ended with CR LF, cut with TEXT_CUT_MARK where it
// does not fit. Returns the length.
int tool_details_text(const ToolDef& tool, wchar_t* text, int capacity);
