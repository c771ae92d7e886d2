// The seam's table of system calls, and the files written whole on top of
// it: the record file's creation and appends, and the self-test report.
#include "platform/system_calls.h"

#include "platform/text_format.h"

#include <wchar.h>

namespace {

constexpr PlatformCalls system_calls = {
    system_call::user_data_folder, system_call::create_directory, system_call::file_exists,
    system_call::open_file,        system_call::write_file,       system_call::flush_file,
    system_call::close_file,
    system_call::file_size,        system_call::truncate_file,    system_call::lock_writers,
    system_call::unlock_writers,   system_call::link_file,        system_call::remove_file,
    system_call::read_file,        system_call::seek_file,        system_call::move_over,
    system_call::process_id,       system_call::local_time,       system_call::random_bytes,
    system_call::user_name,        system_call::computer_name,    system_call::scan_folder,
    system_call::process_start_time, system_call::run_bounded,    system_call::file_clock,
};

// A private name beside the real one: the process id keeps two processes
// creating the same file apart.
constexpr int TEMPORARY_PATH_CAPACITY = 1100;

bool write_whole(PlatformFile file, const char* bytes, int count) {
    return platform_calls.write_file(file, bytes, count) == count;
}

}  // namespace

const PlatformCalls platform_system_calls = system_calls;
PlatformCalls platform_calls = system_calls;

// Written under a private name, then linked or renamed to the real one: that
// fails when the name exists, so of two processes creating the file at once
// exactly one succeeds, and nobody ever sees it half written.
bool platform_publish_new_file(const wchar_t* path, const char* bytes, int count) {
    wchar_t temporary[TEMPORARY_PATH_CAPACITY];
    if (text_format(temporary, TEMPORARY_PATH_CAPACITY, L"%ls.%lu" PLATFORM_PRIVATE_SUFFIX, path, platform_calls.process_id()) < 0)
        return false;
    PlatformStatus status;
    PlatformFile file = platform_calls.open_file(temporary, PLATFORM_CREATE_NEW, &status);
    if (file == PLATFORM_NO_FILE) return false;
    // On the disk before it takes the real name, so the name never stands
    // for a file the disk does not hold.
    bool written = write_whole(file, bytes, count) && platform_calls.flush_file(file);
    if (!platform_calls.close_file(file)) written = false;
    bool published = written && platform_calls.link_file(temporary, path);
    // After a rename the private name is gone already; after a link, or a
    // failure, it goes now.
    platform_calls.remove_file(temporary);
    return published;
}

// On Windows itself an append lands at the end of the file in one step even
// when other processes append at the same time, but Wine finds the end and
// writes there in two, so two rows can land in one place. Every writer
// therefore holds the writers' lock while it appends.
PlatformStatus platform_append_to_file(const wchar_t* path, const char* bytes, int count) {
    PlatformStatus status = PLATFORM_FAILED;
    PlatformFile file = platform_calls.open_file(path, PLATFORM_APPEND_EXISTING, &status);
    if (file == PLATFORM_NO_FILE) return status;
    // Where the file system cannot lock, the system's own append still holds.
    bool locked = platform_calls.lock_writers(file);
    int64_t before = 0;
    bool sized = platform_calls.file_size(file, &before);
    int written = platform_calls.write_file(file, bytes, count);
    bool whole = written == count && platform_calls.flush_file(file);
    if (!whole && written > 0 && sized) {
        // Grown by exactly our part: nobody appended after it, so cutting
        // back to the old size removes our row and nothing else.
        int64_t after = 0;
        if (platform_calls.file_size(file, &after) && after == before + written)
            platform_calls.truncate_file(path, before);
    }
    if (locked) platform_calls.unlock_writers(file);
    if (!platform_calls.close_file(file)) whole = false;
    return whole ? PLATFORM_DONE : PLATFORM_FAILED;
}

bool platform_replace_file(const wchar_t* path, const char* bytes, int count) {
    PlatformStatus status;
    PlatformFile file = platform_calls.open_file(path, PLATFORM_REPLACE, &status);
    if (file == PLATFORM_NO_FILE) return false;
    bool written = write_whole(file, bytes, count);
    if (!platform_calls.close_file(file)) written = false;
    // Half a file must not pass for a whole one.
    if (!written && (file = platform_calls.open_file(path, PLATFORM_REPLACE, &status)) != PLATFORM_NO_FILE)
        platform_calls.close_file(file);
    return written;
}

bool platform_replace_file_whole(const wchar_t* path, const char* bytes, int count) {
    wchar_t temporary[TEMPORARY_PATH_CAPACITY];
    if (text_format(temporary, TEMPORARY_PATH_CAPACITY, L"%ls.%lu" PLATFORM_PRIVATE_SUFFIX, path, platform_calls.process_id()) < 0)
        return false;
    platform_calls.remove_file(temporary);  // left by a process that died before its move
    PlatformStatus status;
    PlatformFile file = platform_calls.open_file(temporary, PLATFORM_CREATE_NEW, &status);
    if (file == PLATFORM_NO_FILE) return false;
    bool written = write_whole(file, bytes, count) && platform_calls.flush_file(file);
    if (!platform_calls.close_file(file)) written = false;
    bool moved = written && platform_calls.move_over(temporary, path);
    if (!moved) platform_calls.remove_file(temporary);
    return moved;
}

int platform_read_small_file(const wchar_t* path, char* bytes, int capacity) {
    PlatformStatus status;
    PlatformFile file = platform_calls.open_file(path, PLATFORM_READ_EXISTING, &status);
    if (file == PLATFORM_NO_FILE || capacity < 1) return -1;
    int length = 0;
    for (int got; length < capacity && (got = platform_calls.read_file(file, bytes + length, capacity - length)) != 0;) {
        if (got < 0) {
            length = -1;
            break;
        }
        length += got;
    }
    platform_calls.close_file(file);
    if (length < 0 || length >= capacity) return -1;  // an error, or more than the room
    bytes[length] = 0;
    return length;
}
