// The system calls that platform/win32 and platform/posix each implement,
// gathered into the seam's table in one place (file_writes.cpp). What each
// does is told at its entry of PlatformCalls.
#pragma once

#include "platform/platform.h"

namespace system_call {
bool user_data_folder(wchar_t* folder, int capacity);
bool create_directory(const wchar_t* path);
bool file_exists(const wchar_t* path);
PlatformFile open_file(const wchar_t* path, PlatformOpening how, PlatformStatus* status);
int write_file(PlatformFile file, const char* bytes, int count);
bool flush_file(PlatformFile file);
bool close_file(PlatformFile file);
bool file_size(PlatformFile file, int64_t* size);
bool truncate_file(const wchar_t* path, int64_t size);
bool lock_writers(PlatformFile file);
void unlock_writers(PlatformFile file);
bool link_file(const wchar_t* from, const wchar_t* to);
bool remove_file(const wchar_t* path);
int read_file(PlatformFile file, char* bytes, int capacity);
bool seek_file(PlatformFile file, int64_t offset);
bool move_over(const wchar_t* from, const wchar_t* to);
unsigned long process_id();
void local_time(LocalTime* time);
bool random_bytes(unsigned char* bytes, int count);
bool user_name(wchar_t* name, int capacity);
bool computer_name(wchar_t* name, int capacity);
int scan_folder(const wchar_t* folder, void (*each)(const wchar_t* name, int64_t written, void* context),
                void* context);
bool process_start_time(unsigned long id, uint64_t* started);
PlatformStatus run_bounded(PlatformWork* work, int milliseconds);
int64_t file_clock();
}  // namespace system_call
