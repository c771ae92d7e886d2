// The seam on POSIX systems: wide paths become UTF-8 file names.
#include "platform/platform.h"

#include <stdio.h>

namespace {
// A wide path of the program's longest (520 characters) in UTF-8, with room
// to spare for paths the tests build.
constexpr int PATH_BYTES = 4096;
}

FILE* platform_open_file(const wchar_t* path, const char* mode) {
    char name[PATH_BYTES];
    if (utf8_from_wide(path, name, PATH_BYTES) < 0) return nullptr;
    return fopen(name, mode);
}

bool platform_remove_file(const wchar_t* path) {
    char name[PATH_BYTES];
    if (utf8_from_wide(path, name, PATH_BYTES) < 0) return false;
    return remove(name) == 0;
}
