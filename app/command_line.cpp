// The command-line rules, kept apart from the entry points so they can be
// checked on any system with the whole command line as one wide text.
#include "app/app.h"

#include <wchar.h>

#include "tool/tool.h"

const wchar_t* command_line_after_program(const wchar_t* command_line) {
    const wchar_t* cursor = command_line;
    while (*cursor == L' ' || *cursor == L'\t') cursor++;
    if (*cursor == L'"') {
        cursor++;
        while (*cursor && *cursor != L'"') cursor++;
        if (*cursor) cursor++;
    } else {
        while (*cursor && *cursor != L' ' && *cursor != L'\t') cursor++;
    }
    return cursor;
}

bool command_line_selftest_path(const wchar_t* command_line, wchar_t* path, int capacity) {
    if (capacity < 1) return false;
    path[0] = 0;
    if (!command_line) return false;
    const wchar_t* cursor = command_line_after_program(command_line);
    wchar_t argument[START_ARGUMENT_CAPACITY];
    bool cut = false;
    while (command_line_argument(&cursor, argument, START_ARGUMENT_CAPACITY, &cut)) {
        if (cut || wcscmp(argument, L"--selftest") != 0) continue;
        if (!command_line_argument(&cursor, path, capacity, &cut) || !path[0]) text_copy(path, capacity, L"selftest.txt");
        return true;
    }
    return false;
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
