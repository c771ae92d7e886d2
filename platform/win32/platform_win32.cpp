// The system calls on Windows: wide paths go to the wide system calls as they
// are.
#include "platform/system_calls.h"

#include <windows.h>
#include <shlobj.h>
#include <wchar.h>

namespace {

HANDLE handle_of(PlatformFile file) { return (HANDLE)file; }

// One byte far beyond any real file's end: locking it keeps out the other
// writers, and no reader ever reads there.
OVERLAPPED writers_byte() {
    OVERLAPPED at = {};
    at.OffsetHigh = 0x7FFFFFFF;
    return at;
}

}  // namespace

namespace system_call {

bool user_data_folder(wchar_t* folder, int capacity) {
    folder[0] = 0;
    wchar_t found[MAX_PATH];
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, 0, found)) || !found[0])
        return false;
    size_t length = wcslen(found);
    if (length >= (size_t)capacity) return false;
    wmemcpy(folder, found, length + 1);
    return true;
}

bool create_directory(const wchar_t* path) {
    if (CreateDirectoryW(path, nullptr)) return true;
    DWORD attributes = GetFileAttributesW(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool file_exists(const wchar_t* path) { return GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES; }

// Appenders share the file with every reader and writer; a program that
// keeps writers out (Excel showing the file) makes the open fail with a
// sharing violation, which the user is told about as such.
PlatformFile open_file(const wchar_t* path, PlatformOpening how, PlatformStatus* status) {
    const DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    HANDLE file = INVALID_HANDLE_VALUE;
    switch (how) {
    case PLATFORM_CREATE_NEW:
        file = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        break;
    case PLATFORM_APPEND_EXISTING:
        // Read access only because the writers' lock needs it.
        file = CreateFileW(path, GENERIC_READ | FILE_APPEND_DATA, share, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
        break;
    case PLATFORM_REPLACE:
        file = CreateFileW(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
        break;
    case PLATFORM_READ_EXISTING:
        file = CreateFileW(path, GENERIC_READ, share, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        break;
    }
    if (file != INVALID_HANDLE_VALUE) {
        *status = PLATFORM_DONE;
        return (PlatformFile)file;
    }
    DWORD error = GetLastError();
    *status = error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION ? PLATFORM_IN_USE
                                                                                : PLATFORM_FAILED;
    return PLATFORM_NO_FILE;
}

int write_file(PlatformFile file, const char* bytes, int count) {
    DWORD written = 0;
    WriteFile(handle_of(file), bytes, (DWORD)count, &written, nullptr);
    return (int)written;
}

bool flush_file(PlatformFile file) { return FlushFileBuffers(handle_of(file)); }

bool close_file(PlatformFile file) { return CloseHandle(handle_of(file)); }

bool file_size(PlatformFile file, int64_t* size) {
    LARGE_INTEGER bytes;
    if (!GetFileSizeEx(handle_of(file), &bytes)) return false;
    *size = bytes.QuadPart;
    return true;
}

bool truncate_file(const wchar_t* path, int64_t size) {
    HANDLE sizer = CreateFileW(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                               nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (sizer == INVALID_HANDLE_VALUE) return false;
    LARGE_INTEGER end;
    end.QuadPart = size;
    bool cut = SetFilePointerEx(sizer, end, nullptr, FILE_BEGIN) && SetEndOfFile(sizer);
    CloseHandle(sizer);
    return cut;
}

bool lock_writers(PlatformFile file) {
    OVERLAPPED at = writers_byte();
    return LockFileEx(handle_of(file), LOCKFILE_EXCLUSIVE_LOCK, 0, 1, 0, &at);
}

void unlock_writers(PlatformFile file) {
    OVERLAPPED at = writers_byte();
    UnlockFileEx(handle_of(file), 0, 1, 0, &at);
}

bool link_file(const wchar_t* from, const wchar_t* to) {
    return MoveFileExW(from, to, MOVEFILE_WRITE_THROUGH);
}

bool remove_file(const wchar_t* path) { return DeleteFileW(path); }

int read_file(PlatformFile file, char* bytes, int capacity) {
    DWORD got = 0;
    return ReadFile(handle_of(file), bytes, (DWORD)capacity, &got, nullptr) ? (int)got : -1;
}

bool move_over(const wchar_t* from, const wchar_t* to) {
    return MoveFileExW(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
}

unsigned long process_id() { return GetCurrentProcessId(); }

void local_time(LocalTime* time) {
    SYSTEMTIME now;
    GetLocalTime(&now);
    *time = {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
}

}  // namespace system_call
