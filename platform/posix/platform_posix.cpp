// The system calls on POSIX systems: wide paths become UTF-8 file names.
#include "platform/system_calls.h"

#include "platform/text_format.h"

#include <dirent.h>
#include <errno.h>
#include <signal.h>
#include <fcntl.h>
#include <pthread.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
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

}  // namespace

namespace system_call {

bool user_data_folder(wchar_t* folder, int capacity) {
    folder[0] = 0;
    const char* xdg = getenv("XDG_DATA_HOME");
    if (xdg && xdg[0] == '/') return wide_from_utf8(xdg, folder, capacity) >= 0;
    const char* home = getenv("HOME");
    if (!home || home[0] != '/') return false;
    wchar_t wide_home[PATH_BYTES];
    if (wide_from_utf8(home, wide_home, PATH_BYTES) < 0) return false;
    if (text_format(folder, capacity, L"%ls/.local/share", wide_home) >= 0) return true;
    folder[0] = 0;
    return false;
}

bool create_directory(const wchar_t* path) {
    char name[PATH_BYTES];
    if (!narrow_path(path, name)) return false;
    if (mkdir(name, 0700) == 0) return true;
    struct stat info;
    return errno == EEXIST && stat(name, &info) == 0 && S_ISDIR(info.st_mode);
}

bool file_exists(const wchar_t* path) {
    char name[PATH_BYTES];
    struct stat info;
    return narrow_path(path, name) && stat(name, &info) == 0;
}

// POSIX has no sharing modes: another program never keeps writers out.
PlatformFile open_file(const wchar_t* path, PlatformOpening how, PlatformStatus* status) {
    *status = PLATFORM_FAILED;
    char name[PATH_BYTES];
    if (!narrow_path(path, name)) return PLATFORM_NO_FILE;
    int flags = how == PLATFORM_CREATE_NEW       ? O_WRONLY | O_CREAT | O_EXCL
                : how == PLATFORM_APPEND_EXISTING ? O_WRONLY | O_APPEND
                : how == PLATFORM_READ_EXISTING   ? O_RDONLY
                                                  : O_WRONLY | O_CREAT | O_TRUNC;
    int fd = open(name, flags, how == PLATFORM_CREATE_NEW ? 0600 : 0666);
    if (fd < 0) return PLATFORM_NO_FILE;
    *status = PLATFORM_DONE;
    return fd;
}

int write_file(PlatformFile file, const char* bytes, int count) {
    ssize_t written = write((int)file, bytes, (size_t)count);
    return written < 0 ? 0 : (int)written;
}

bool flush_file(PlatformFile file) { return fsync((int)file) == 0; }

bool close_file(PlatformFile file) { return close((int)file) == 0; }

bool file_size(PlatformFile file, int64_t* size) {
    struct stat info;
    if (fstat((int)file, &info) != 0) return false;
    *size = info.st_size;
    return true;
}

bool truncate_file(const wchar_t* path, int64_t size) {
    char name[PATH_BYTES];
    return narrow_path(path, name) && truncate(name, (off_t)size) == 0;
}

// O_APPEND writes land whole at the end of a local file: no lock is needed.
bool lock_writers(PlatformFile) { return true; }
void unlock_writers(PlatformFile) {}

bool link_file(const wchar_t* from, const wchar_t* to) {
    char from_name[PATH_BYTES], to_name[PATH_BYTES];
    return narrow_path(from, from_name) && narrow_path(to, to_name) && link(from_name, to_name) == 0;
}

bool remove_file(const wchar_t* path) {
    char name[PATH_BYTES];
    return narrow_path(path, name) && unlink(name) == 0;
}

int read_file(PlatformFile file, char* bytes, int capacity) {
    ssize_t got = read((int)file, bytes, (size_t)capacity);
    return got < 0 ? -1 : (int)got;
}

bool seek_file(PlatformFile file, int64_t offset) { return lseek((int)file, (off_t)offset, SEEK_SET) == offset; }

// rename() replaces in one step; the folder is synced so the new name is
// on the disk too.
bool move_over(const wchar_t* from, const wchar_t* to) {
    char from_name[PATH_BYTES], to_name[PATH_BYTES];
    if (!narrow_path(from, from_name) || !narrow_path(to, to_name) || rename(from_name, to_name) != 0) return false;
    char* slash = strrchr(to_name, '/');
    if (slash) *slash = 0;
    int folder = open(slash ? (slash == to_name ? "/" : to_name) : ".", O_RDONLY);
    if (folder >= 0) {
        fsync(folder);
        close(folder);
    }
    return true;
}

unsigned long process_id() { return (unsigned long)getpid(); }

void local_time(LocalTime* time_out) {
    time_t now = time(nullptr);
    struct tm local = {};
    localtime_r(&now, &local);
    *time_out = {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                 local.tm_hour,        local.tm_min,     local.tm_sec,
                 (int)(local.tm_gmtoff / 60)};
}

bool random_bytes(unsigned char* bytes, int count) {
    int source = open("/dev/urandom", O_RDONLY | O_CLOEXEC);
    if (source < 0) return false;
    int got = 0;
    while (got < count) {
        ssize_t n = read(source, bytes + got, (size_t)(count - got));
        if (n <= 0) break;
        got += (int)n;
    }
    close(source);
    return got == count;
}

bool user_name(wchar_t* name, int capacity) {
    name[0] = 0;
    const char* user = getenv("USER");
    if (!user || !*user) user = getenv("LOGNAME");
    if (user && *user && wide_from_utf8(user, name, capacity) >= 0) return true;
    name[0] = 0;
    return false;
}

bool computer_name(wchar_t* name, int capacity) {
    name[0] = 0;
    char host[256] = "";
    if (gethostname(host, sizeof host - 1) == 0 && host[0] && wide_from_utf8(host, name, capacity) >= 0) return true;
    name[0] = 0;
    return false;
}

int scan_folder(const wchar_t* folder, void (*each)(const wchar_t* name, int64_t written, void* context),
                void* context) {
    char name[PATH_BYTES];
    if (!narrow_path(folder, name)) return -1;
    DIR* dir = opendir(name);
    if (!dir) return errno == ENOENT ? 0 : -1;
    int count = 0, at = (int)strlen(name);
    while (dirent* entry = readdir(dir)) {
        wchar_t wide[PLATFORM_NAME_CAPACITY];
        struct stat about;
        if (at + 2 + strlen(entry->d_name) > sizeof name) continue;
        name[at] = '/';
        strcpy(name + at + 1, entry->d_name);
        bool file = stat(name, &about) == 0 && S_ISREG(about.st_mode);
        name[at] = 0;
        if (!file || wide_from_utf8(entry->d_name, wide, PLATFORM_NAME_CAPACITY) < 0) continue;
        each(wide, (int64_t)about.st_mtim.tv_sec * PLATFORM_TICKS_PER_SECOND + about.st_mtim.tv_nsec / 100, context);
        count++;
    }
    closedir(dir);
    return count;
}

int64_t file_clock() {
    timespec now;
    clock_gettime(CLOCK_REALTIME, &now);
    return (int64_t)now.tv_sec * PLATFORM_TICKS_PER_SECOND + now.tv_nsec / 100;
}

bool process_start_time(unsigned long id, uint64_t* started) {
    // The 22nd field of /proc/<id>/stat, after the command's name in
    // parentheses (which may itself hold spaces and parentheses).
    char path[64], stat_line[1024];
    snprintf(path, sizeof path, "/proc/%lu/stat", id);
    FILE* file = fopen(path, "r");
    if (!file) return false;
    size_t n = fread(stat_line, 1, sizeof stat_line - 1, file);
    fclose(file);
    stat_line[n] = 0;
    const char* p = strrchr(stat_line, ')');
    if (!p) return false;
    for (int field = 2; field < 22 && p; field++) p = strchr(p + 1, ' ');
    if (!p) return false;
    *started = strtoull(p + 1, nullptr, 10);
    return true;
}

PlatformStatus run_bounded(PlatformWork* work, int milliseconds) {
    pthread_t thread;
    auto entry = [](void* w) -> void* {
        PlatformWork* work = (PlatformWork*)w;
        work->run(work);
        return nullptr;
    };
    // glibc carves a thread's copy of every thread_local out of its stack,
    // and the delivery's buffers take megabytes of it: a driver's call
    // would overflow the default 8 MB. Only what is touched is committed.
    pthread_attr_t attributes;
    pthread_attr_init(&attributes);
    pthread_attr_setstacksize(&attributes, (size_t)32 << 20);
    int made = pthread_create(&thread, &attributes, entry, work);
    pthread_attr_destroy(&attributes);
    if (made != 0) return PLATFORM_FAILED;
    timespec deadline;
    clock_gettime(CLOCK_REALTIME, &deadline);
    deadline.tv_sec += milliseconds / 1000;
    deadline.tv_nsec += (long)(milliseconds % 1000) * 1000000;
    if (deadline.tv_nsec >= 1000000000) deadline.tv_sec++, deadline.tv_nsec -= 1000000000;
    if (pthread_timedjoin_np(thread, nullptr, &deadline) == 0) return PLATFORM_DONE;
    pthread_detach(thread);
    return PLATFORM_IN_USE;
}

}  // namespace system_call
