// The seam between the portable program and the operating system. Only the
// files under platform/win32 and platform/posix call the system; the core
// sees these few free functions.
#pragma once

#include <stdio.h>

// Opens a file by wide path with a C mode ("rb", "wb", "ab"). nullptr when it
// cannot be opened.
FILE* platform_open_file(const wchar_t* path, const char* mode);

// Removes a file; false when it could not be removed.
bool platform_remove_file(const wchar_t* path);

// ---- UTF-8, the same on every platform ----------------------------------------

// Converts a terminated wide text (UTF-16 on Windows, UTF-32 elsewhere) to
// UTF-8 with its terminator. All or nothing: returns the number of bytes
// before the terminator, or -1 (with `out` empty when capacity allows) when
// the whole text does not fit. An unpaired surrogate or a value outside
// Unicode becomes U+FFFD.
int utf8_from_wide(const wchar_t* text, char* out, int capacity);

// Bytes that utf8_from_wide needs at most for `length` wide characters,
// terminator included.
constexpr int utf8_capacity_for(int length) { return length * 3 + 1; }

// Converts terminated UTF-8 to wide text with its terminator, all or nothing
// like utf8_from_wide. A malformed sequence becomes U+FFFD.
int wide_from_utf8(const char* text, wchar_t* out, int capacity);
