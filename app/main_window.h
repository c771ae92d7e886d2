// The main window (Windows only).
#pragma once

#include <windows.h>

#include "tool/tool.h"

// Builds the window for `tool` and runs the message loop. Returns 0 when the
// window is closed, 1 when it cannot be created.
int main_window_run(HINSTANCE instance, const ToolDef& tool);
