// The seam on POSIX systems: wide paths become UTF-8 file names.
#include "platform/platform.h"

#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>
#include <wchar.h>

namespace {

// A wide path of the program's longest (520 characters) in UTF-8, with room
// to spare for paths the tests build.
constexpr int PATH_BYTES = 4096;

bool narrow_path(const wchar_t* path, char* name) {
    return utf8_from_wide(path, name, PATH_BYTES) >= 0;
}

bool write_all(int fd, const char* bytes, int count) {
    ssize_t written = write(fd, bytes, (size_t)count);
    return written == count;
}

}  // namespace

FILE* platform_open_file(const wchar_t* path, const char* mode) {
    char name[PATH_BYTES];
    if (!narrow_path(path, name)) return nullptr;
    return fopen(name, mode);
}

bool platform_remove_file(const wchar_t* path) {
    char name[PATH_BYTES];
    if (!narrow_path(path, name)) return false;
    return remove(name) == 0;
}

bool platform_user_data_folder(wchar_t* folder, int capacity) {
    folder[0] = 0;
    const char* xdg = getenv("XDG_DATA_HOME");
    if (xdg && xdg[0] == '/') return wide_from_utf8(xdg, folder, capacity) >= 0;
    const char* home = getenv("HOME");
    if (!home || home[0] != '/') return false;
    wchar_t wide_home[PATH_BYTES];
    if (wide_from_utf8(home, wide_home, PATH_BYTES) < 0) return false;
    int n = swprintf(folder, (size_t)capacity, L"%ls/.local/share", wide_home);
    if (n >= 0 && n < capacity) return true;
    folder[0] = 0;
    return false;
}

const wchar_t* platform_user_data_folder_name() { return L"$XDG_DATA_HOME"; }

bool platform_create_directory(const wchar_t* path) {
    char name[PATH_BYTES];
    if (!narrow_path(path, name)) return false;
    if (mkdir(name, 0700) == 0) return true;
    struct stat info;
    return errno == EEXIST && stat(name, &info) == 0 && S_ISDIR(info.st_mode);
}

bool platform_file_exists(const wchar_t* path) {
    char name[PATH_BYTES];
    struct stat info;
    return narrow_path(path, name) && stat(name, &info) == 0;
}

// Written under a private name, then linked to the real one: link() fails
// when the name exists, so of two processes creating the file at once exactly
// one succeeds, and nobody ever sees it half written.
bool platform_publish_new_file(const wchar_t* path, const char* bytes, int count) {
    char name[PATH_BYTES], temporary[PATH_BYTES + 32];
    if (!narrow_path(path, name)) return false;
    snprintf(temporary, sizeof temporary, "%s.%ld.new", name, (long)getpid());
    int fd = open(temporary, O_WRONLY | O_CREAT | O_EXCL, 0600);
    if (fd < 0) return false;
    bool written = write_all(fd, bytes, count);
    if (close(fd) != 0) written = false;
    bool published = written && link(temporary, name) == 0;
    unlink(temporary);
    return published;
}

bool platform_append_to_file(const wchar_t* path, const char* bytes, int count) {
    char name[PATH_BYTES];
    if (!narrow_path(path, name)) return false;
    int fd = open(name, O_WRONLY | O_APPEND);
    if (fd < 0) return false;
    struct stat before;
    bool sized = fstat(fd, &before) == 0;
    ssize_t written = write(fd, bytes, (size_t)count);
    if (written > 0 && written < count && sized) {
        // Grown by exactly our part: nobody appended after it, so cutting
        // back to the old size removes our half row and nothing else.
        struct stat after;
        if (fstat(fd, &after) == 0 && after.st_size == before.st_size + written)
            (void)!ftruncate(fd, before.st_size);
    }
    bool whole = written == count;
    if (close(fd) != 0) whole = false;
    return whole;
}

void platform_local_time(LocalTime* time_out) {
    time_t now = time(nullptr);
    struct tm local = {};
    localtime_r(&now, &local);
    *time_out = {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                 local.tm_hour,        local.tm_min,     local.tm_sec};
}
