// Finding a descriptor's input by key.
#include "tool/tool.h"

#include <string.h>

int tool_find_input(const ToolDef& tool, const char* key) {
    if (!key) return -1;
    for (int i = 0; i < tool.input_count; i++)
        if (tool.inputs[i].key && strcmp(tool.inputs[i].key, key) == 0) return i;
    return -1;
}
