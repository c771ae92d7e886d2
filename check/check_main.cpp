// The descriptor check as a command, built with one descriptor source:
//   check_tool FILE    prints "FILE: <where>: error: <what>" (or "warning:")
// for each finding and exits 1 when there is an error, else 0.
#include <stdio.h>

#include "check/tool_check.h"

int main(int argc, char** argv) {
    const char* file = argc > 1 ? argv[1] : "descriptor";
    static CheckFinding findings[256];
    constexpr int capacity = (int)(sizeof findings / sizeof findings[0]);
    int count = tool_check(tool_builtin(), findings, capacity);
    int errors = 0;
    for (int i = 0; i < count && i < capacity; i++) {
        const CheckFinding& f = findings[i];
        printf("%s: %s: %s: %s\n", file, f.where, f.severity == CHECK_ERROR ? "error" : "warning",
               f.what);
        if (f.severity == CHECK_ERROR) errors++;
    }
    if (count > capacity) {
        // Those not shown may be errors: the descriptor does not pass.
        printf("%s: %d more findings not shown\n", file, count - capacity);
        errors++;
    }
    return errors ? 1 : 0;
}
