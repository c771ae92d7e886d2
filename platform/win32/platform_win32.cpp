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

// FILE_APPEND_DATA alone makes every write land at the end of the file; on
// Windows itself that is enough when other processes append at the same time,
// but Wine finds the end and writes there in two steps, so two rows can land
// in one place. Every writer therefore also holds a lock on one byte far
// beyond any real file's end while it appends: it keeps out nobody but the
// other writers, and readers such as a spreadsheet are never blocked.
bool platform_append_to_file(const wchar_t* path, const char* bytes, int count) {
    const DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    // Read access only because a lock needs it.
    HANDLE file = CreateFileW(path, GENERIC_READ | FILE_APPEND_DATA, share, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    OVERLAPPED writers = {};
    writers.OffsetHigh = 0x7FFFFFFF;
    // Where the file system cannot lock, Windows' own append still holds.
    bool locked = LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK, 0, 1, 0, &writers);
    LARGE_INTEGER before;
    bool sized = GetFileSizeEx(file, &before);
    DWORD written = 0;
    bool whole = WriteFile(file, bytes, (DWORD)count, &written, nullptr) && written == (DWORD)count;
    if (!whole && written > 0 && sized) {
        // Grown by exactly our part: nobody appended after it, so cutting
        // back to the old size removes our half row and nothing else. An
        // append-only handle cannot set the size; a second handle can.
        LARGE_INTEGER after;
        HANDLE sizer = CreateFileW(path, GENERIC_WRITE, share, nullptr, OPEN_EXISTING,
                                   FILE_ATTRIBUTE_NORMAL, nullptr);
        if (sizer != INVALID_HANDLE_VALUE) {
            if (GetFileSizeEx(sizer, &after) && after.QuadPart == before.QuadPart + written &&
                SetFilePointerEx(sizer, before, nullptr, FILE_BEGIN))
                SetEndOfFile(sizer);
            CloseHandle(sizer);
        }
    }
    if (locked) UnlockFileEx(file, 0, 1, 0, &writers);
    if (!CloseHandle(file)) whole = false;
    return whole;
}

void platform_local_time(LocalTime* time) {
    SYSTEMTIME now;
    GetLocalTime(&now);
    *time = {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
}
