// The seam on Windows: wide paths go to the wide C runtime calls as they are.
#include "platform/platform.h"

#include <stdio.h>
#include <wchar.h>

FILE* platform_open_file(const wchar_t* path, const char* mode) {
    wchar_t wide_mode[8];
    int i = 0;
    for (; mode[i] && i < 7; i++) wide_mode[i] = (wchar_t)(unsigned char)mode[i];
    wide_mode[i] = 0;
    return _wfopen(path, wide_mode);
}

bool platform_remove_file(const wchar_t* path) { return _wremove(path) == 0; }
