// The seam on Windows: wide paths go to the wide system calls as they are.
#include "platform/platform.h"

#include <windows.h>
#include <shlobj.h>
#include <stdio.h>
#include <wchar.h>

namespace {

bool write_all(HANDLE file, const char* bytes, int count) {
    DWORD written = 0;
    return WriteFile(file, bytes, (DWORD)count, &written, nullptr) && written == (DWORD)count;
}

}  // namespace

FILE* platform_open_file(const wchar_t* path, const char* mode) {
    wchar_t wide_mode[8];
    int i = 0;
    for (; mode[i] && i < 7; i++) wide_mode[i] = (wchar_t)(unsigned char)mode[i];
    wide_mode[i] = 0;
    return _wfopen(path, wide_mode);
}

bool platform_remove_file(const wchar_t* path) { return _wremove(path) == 0; }

bool platform_user_data_folder(wchar_t* folder, int capacity) {
    folder[0] = 0;
    wchar_t found[MAX_PATH];
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, 0, found)) || !found[0])
        return false;
    size_t length = wcslen(found);
    if (length >= (size_t)capacity) return false;
    wmemcpy(folder, found, length + 1);
    return true;
}

const wchar_t* platform_user_data_folder_name() { return L"%LOCALAPPDATA%"; }

bool platform_create_directory(const wchar_t* path) {
    if (CreateDirectoryW(path, nullptr)) return true;
    DWORD attributes = GetFileAttributesW(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool platform_file_exists(const wchar_t* path) {
    return GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES;
}

// Written under a private name, then moved to the real one: the move fails
// when the name exists, so of two processes creating the file at once exactly
// one succeeds, and nobody ever sees it half written.
bool platform_publish_new_file(const wchar_t* path, const char* bytes, int count) {
    wchar_t temporary[MAX_PATH * 2];
    int n = swprintf(temporary, MAX_PATH * 2, L"%ls.%lu.new", path, GetCurrentProcessId());
    if (n < 0 || n >= MAX_PATH * 2) return false;
    HANDLE file = CreateFileW(temporary, GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    bool written = write_all(file, bytes, count);
    if (!CloseHandle(file)) written = false;
    bool published = written && MoveFileExW(temporary, path, MOVEFILE_WRITE_THROUGH);
    if (!published) DeleteFileW(temporary);
    return published;
}

// FILE_APPEND_DATA alone makes every write land at the end of the file, even
// with other processes appending at the same time.
bool platform_append_to_file(const wchar_t* path, const char* bytes, int count) {
    HANDLE file = CreateFileW(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    bool written = write_all(file, bytes, count);
    if (!CloseHandle(file)) written = false;
    return written;
}

void platform_local_time(LocalTime* time) {
    SYSTEMTIME now;
    GetLocalTime(&now);
    *time = {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
}
