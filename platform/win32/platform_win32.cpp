// The system calls on Windows: wide paths go to the wide system calls as they
// are.
#include "platform/system_calls.h"

#include "platform/text_format.h"

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

bool seek_file(PlatformFile file, int64_t offset) {
    LARGE_INTEGER at;
    at.QuadPart = offset;
    return SetFilePointerEx(handle_of(file), at, nullptr, FILE_BEGIN);
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
    // The offset of this moment, summer time included: the local time less
    // the same instant in UTC.
    SYSTEMTIME utc;
    FILETIME local_file, utc_file;
    GetSystemTime(&utc);
    int offset = 0;
    if (SystemTimeToFileTime(&now, &local_file) && SystemTimeToFileTime(&utc, &utc_file)) {
        ULARGE_INTEGER l = {{local_file.dwLowDateTime, local_file.dwHighDateTime}};
        ULARGE_INTEGER u = {{utc_file.dwLowDateTime, utc_file.dwHighDateTime}};
        // 100-ns steps; the two readings lie a moment apart, so round to
        // the quarter hour every zone's offset is a multiple of.
        long long minutes = ((long long)l.QuadPart - (long long)u.QuadPart) / 600000000LL;
        offset = (int)((minutes + (minutes >= 0 ? 7 : -7)) / 15 * 15);
    }
    *time = {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond, offset};
}

bool random_bytes(unsigned char* bytes, int count) {
    // RtlGenRandom, exported as SystemFunction036: in every Windows since XP
    // without the CryptoAPI's context. Looked up once, at the first save.
    using Generate = BOOLEAN(WINAPI*)(PVOID, ULONG);
    static const Generate generate = [] {
        HMODULE advapi = LoadLibraryW(L"advapi32.dll");
        return advapi ? (Generate)(void*)GetProcAddress(advapi, "SystemFunction036") : nullptr;
    }();
    return generate && generate(bytes, (ULONG)count);
}

bool user_name(wchar_t* name, int capacity) {
    DWORD size = (DWORD)capacity;
    if (GetUserNameW(name, &size)) return true;
    name[0] = 0;
    return false;
}

bool computer_name(wchar_t* name, int capacity) {
    DWORD size = (DWORD)capacity;
    if (GetComputerNameW(name, &size)) return true;
    name[0] = 0;
    return false;
}

int scan_folder(const wchar_t* folder, void (*each)(const wchar_t* name, int64_t written, void* context),
                void* context) {
    wchar_t pattern[MAX_PATH * 2];
    if (text_format(pattern, MAX_PATH * 2, L"%ls\\*", folder) < 0) return -1;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(pattern, &found);
    if (search == INVALID_HANDLE_VALUE) {
        DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? 0 : -1;
    }
    int count = 0;
    do {
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || wcslen(found.cFileName) >= PLATFORM_NAME_CAPACITY)
            continue;
        each(found.cFileName,
             (int64_t)(((uint64_t)found.ftLastWriteTime.dwHighDateTime << 32) | found.ftLastWriteTime.dwLowDateTime),
             context);
        count++;
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return count;
}

int64_t file_clock() {
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    return (int64_t)(((uint64_t)now.dwHighDateTime << 32) | now.dwLowDateTime);
}

bool process_start_time(unsigned long id, uint64_t* started) {
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | SYNCHRONIZE, FALSE, (DWORD)id);
    if (!process) return false;
    FILETIME created = {}, exited, kernel, user;
    bool running = WaitForSingleObject(process, 0) == WAIT_TIMEOUT &&
                   GetProcessTimes(process, &created, &exited, &kernel, &user);
    CloseHandle(process);
    *started = ((uint64_t)created.dwHighDateTime << 32) | created.dwLowDateTime;
    return running;
}

namespace {

DWORD WINAPI run_work(void* work) {
    ((PlatformWork*)work)->run((PlatformWork*)work);
    return 0;
}

}  // namespace

PlatformStatus run_bounded(PlatformWork* work, int milliseconds) {
    HANDLE thread = CreateThread(nullptr, 0, run_work, work, 0, nullptr);
    if (!thread) return PLATFORM_FAILED;
    bool ended = WaitForSingleObject(thread, (DWORD)milliseconds) == WAIT_OBJECT_0;
    CloseHandle(thread);
    return ended ? PLATFORM_DONE : PLATFORM_IN_USE;
}

}  // namespace system_call
