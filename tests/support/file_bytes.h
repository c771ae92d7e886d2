// A whole file's bytes, for tests that check what the program wrote to disk.
#pragma once

#include <stdio.h>

#include <string>

#include "platform/platform.h"

// "(missing)" when the file cannot be opened.
inline std::string file_bytes(const wchar_t* path) {
#ifdef _WIN32
    FILE* f = _wfopen(path, L"rb");
#else
    char name[4096];
    FILE* f = utf8_from_wide(path, name, sizeof name) < 0 ? nullptr : fopen(name, "rb");
#endif
    if (!f) return "(missing)";
    std::string bytes;
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, f)) > 0) bytes.append(buffer, n);
    fclose(f);
    return bytes;
}
