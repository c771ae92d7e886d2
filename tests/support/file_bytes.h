// A whole file's bytes, for tests that check what the program wrote to disk.
#pragma once

#include <stdio.h>

#include <string>

#include "platform/platform.h"

// "(missing)" when the file cannot be opened.
inline std::string file_bytes(const wchar_t* path) {
    FILE* f = platform_open_file(path, "rb");
    if (!f) return "(missing)";
    std::string bytes;
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, f)) > 0) bytes.append(buffer, n);
    fclose(f);
    return bytes;
}
