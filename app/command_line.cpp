// The command-line rules, kept apart from the entry points so they can be
// checked on any system with the whole command line as one wide text.
#include "app/app.h"

#include <wchar.h>

#include "tool/tool.h"

namespace {
const wchar_t SELFTEST_SWITCH[] = L"--selftest";
constexpr int SWITCH_LENGTH = sizeof SELFTEST_SWITCH / sizeof SELFTEST_SWITCH[0] - 1;
}  // namespace

bool command_line_selftest_path(const wchar_t* command_line, wchar_t* path, int capacity) {
    if (capacity < 1) return false;
    path[0] = 0;
    const wchar_t* found = command_line ? wcsstr(command_line, SELFTEST_SWITCH) : nullptr;
    if (!found) return false;
    const wchar_t* p = found + SWITCH_LENGTH;
    while (*p == L' ') p++;  // spaces only: a tab begins the path
    wchar_t end = L' ';
    if (*p == L'"') {
        end = L'"';
        p++;
    }
    int n = 0;
    for (; *p && *p != end && n < capacity - 1; p++) path[n++] = *p;
    path[n] = 0;
    if (n == 0) text_copy(path, capacity, L"selftest.txt");
    return true;
}

int command_line_join(const wchar_t* const* arguments, int count, wchar_t* command_line,
                      int capacity) {
    if (capacity < 1) return 0;
    command_line[0] = 0;
    for (int i = 0; i < count; i++) {
        if (i > 0) text_append(command_line, capacity, L" ");
        bool quoted = wcschr(arguments[i], L' ') != nullptr;
        if (quoted) text_append(command_line, capacity, L"\"");
        text_append(command_line, capacity, arguments[i]);
        if (quoted) text_append(command_line, capacity, L"\"");
    }
    return text_length(command_line);
}
