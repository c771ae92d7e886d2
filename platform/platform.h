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

// ---- Folders and files of the record store --------------------------------------

#ifdef _WIN32
constexpr wchar_t PLATFORM_PATH_SEPARATOR = L'\\';
#else
constexpr wchar_t PLATFORM_PATH_SEPARATOR = L'/';
#endif

// The per-user local data folder: on Windows the local (non-roaming)
// application-data folder; elsewhere $XDG_DATA_HOME when it is set and
// absolute, else $HOME/.local/share. False (and `folder` empty) when it
// cannot be determined or does not fit.
bool platform_user_data_folder(wchar_t* folder, int capacity);

// How a user finds that folder, for messages: "%LOCALAPPDATA%" on Windows.
const wchar_t* platform_user_data_folder_name();

// Creates one folder, readable by its owner only where the system allows it.
// True when it exists afterwards.
bool platform_create_directory(const wchar_t* path);

bool platform_file_exists(const wchar_t* path);

// Creates the file `path` holding exactly `bytes`, atomically: it appears
// whole or not at all, and only when no file of that name exists. False when
// one exists or it could not be made.
bool platform_publish_new_file(const wchar_t* path, const char* bytes, int count);

// Appends `bytes` to the existing file `path` in one write, so rows of
// processes saving at the same time do not interleave. False when the file is
// missing or not every byte was written; a part that was written (the disk or
// the file-size limit full in mid-row) is cut off again, unless somebody else
// appended in the meantime, so the file never ends in half a row.
bool platform_append_to_file(const wchar_t* path, const char* bytes, int count);

// ---- Local time ------------------------------------------------------------------

struct LocalTime {
    int year, month, day;       // month 1 to 12
    int hour, minute, second;   // hour 0 to 23
};

void platform_local_time(LocalTime* time);

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
