// A tool of the suite by its number, as the tests name them; the test
// fails where the suite has none.
#pragma once

#include <gtest/gtest.h>

#include "suite/catalogue.h"

inline const ToolDef& suite_tool(int id) {
    for (int t = 0; t < suite_tool_count; t++)
        if (suite_tools[t]->id == id) return *suite_tools[t];
    ADD_FAILURE() << "no tool " << id;
    return *suite_tools[0];
}
