// The seam between the portable program and the operating system. Only the
// files under platform/win32 and platform/posix call the system, and every
// call they offer is reached through one table, `platform_calls`, which tests
// may change to make a call fail on demand (as SQLite's OS layer does): a
// full disk, a file held open by another program, a close that fails. On top
// of the table, portable code here writes files the way the record store and
// the self-test need them written.
#pragma once

#include <stdint.h>

#ifdef _WIN32
constexpr wchar_t PLATFORM_PATH_SEPARATOR = L'\\';
// How a user finds the per-user data folder, for messages.
#define PLATFORM_USER_DATA_FOLDER_NAME L"%LOCALAPPDATA%"
#else
constexpr wchar_t PLATFORM_PATH_SEPARATOR = L'/';
#define PLATFORM_USER_DATA_FOLDER_NAME L"$XDG_DATA_HOME"
#endif

struct LocalTime {
    int year, month, day;      // month 1 to 12
    int hour, minute, second;  // hour 0 to 23
    int utc_offset_minutes;    // local time less UTC: 480 in China
};

// An open file: a descriptor or a handle.
using PlatformFile = intptr_t;
constexpr PlatformFile PLATFORM_NO_FILE = -1;

enum PlatformOpening {
    PLATFORM_CREATE_NEW,       // for writing; fails when the name exists
    PLATFORM_APPEND_EXISTING,  // for appending to a file that exists; others may read and
                               // append at the same time
    PLATFORM_REPLACE,          // for writing; created when missing, emptied when present
    PLATFORM_READ_EXISTING,    // for reading a file that exists
};

// What a file operation came to, as far as the program tells outcomes apart.
enum PlatformStatus {
    PLATFORM_DONE,
    PLATFORM_FAILED,
    PLATFORM_IN_USE,  // another program holds the file open and keeps writers out
};

// Every system call of the portable program. `platform_calls` starts as
// `platform_system_calls`; a test replaces entries and puts the table back.
struct PlatformCalls {
    // The per-user local data folder: on Windows the local (non-roaming)
    // application-data folder; elsewhere $XDG_DATA_HOME when it is set and
    // absolute, else $HOME/.local/share. False (and `folder` empty) when it
    // cannot be determined or does not fit.
    bool (*user_data_folder)(wchar_t* folder, int capacity);
    // Creates one folder, readable by its owner only where the system allows
    // it. True when it exists afterwards.
    bool (*create_directory)(const wchar_t* path);
    bool (*file_exists)(const wchar_t* path);
    // PLATFORM_NO_FILE, with the reason in `*status`, when it cannot be opened.
    PlatformFile (*open_file)(const wchar_t* path, PlatformOpening how, PlatformStatus* status);
    // Writes at the file's position (at its end when appending) and returns
    // how many bytes were written: fewer than `count` when the disk is full.
    int (*write_file)(PlatformFile file, const char* bytes, int count);
    // Waits until what was written is on the disk, not merely in the
    // system's cache (a ward PC switched off at the wall loses the cache).
    // False when the system cannot confirm it.
    bool (*flush_file)(PlatformFile file);
    // False when the system reports an error; the file is closed all the same.
    bool (*close_file)(PlatformFile file);
    bool (*file_size)(PlatformFile file, int64_t* size);
    // Cuts the file to `size` bytes through a handle of its own, since an
    // append-only one cannot.
    bool (*truncate_file)(const wchar_t* path, int64_t size);
    // Held while appending: keeps out the other writers that take it, never a
    // reader. False where the file system cannot lock.
    bool (*lock_writers)(PlatformFile file);
    void (*unlock_writers)(PlatformFile file);
    // Gives the file `from` the name `to` as well or instead (a link or a
    // rename); fails when `to` exists.
    bool (*link_file)(const wchar_t* from, const wchar_t* to);
    bool (*remove_file)(const wchar_t* path);
    // Reads up to `capacity` bytes from the file's position; how many, or -1
    // on an error.
    int (*read_file)(PlatformFile file, char* bytes, int capacity);
    // Moves the file's position to `offset` bytes from its start.
    bool (*seek_file)(PlatformFile file, int64_t offset);
    // Gives the file `from` the name `to` in one step, replacing any file of
    // that name. True once the name has changed; the change is then asked to
    // reach the disk (written through on Windows, the folder synced
    // elsewhere), but a system that does not confirm it is not reported:
    // the move has happened, and the old file is gone either way.
    bool (*move_over)(const wchar_t* from, const wchar_t* to);
    unsigned long (*process_id)();
    void (*local_time)(LocalTime* time);
    // `count` bytes from the system's cryptographic random source. False
    // when it gives none.
    bool (*random_bytes)(unsigned char* bytes, int count);
    // Who is signed in and on which computer, as the system names them:
    // the Windows user and computer names. False (and empty) when unknown.
    bool (*user_name)(wchar_t* name, int capacity);
    bool (*computer_name)(wchar_t* name, int capacity);
    // Calls `each` for every file (not folder) in `folder` whose name fits
    // PLATFORM_NAME_CAPACITY, with its name and when it was last written (in
    // PLATFORM_TICKS_PER_SECOND, as file_clock counts). Returns how many
    // files it was called for; 0 when the folder does not exist, -1 when it
    // cannot be read.
    int (*scan_folder)(const wchar_t* folder, void (*each)(const wchar_t* name, int64_t written, void* context),
                       void* context);
    // When the process of that id started, in the system's own units, so
    // that another process given the same id later is not taken for it.
    // False when no such process runs, or it cannot be asked (another
    // user's).
    bool (*process_start_time)(unsigned long id, uint64_t* started);
    // Runs `work` on a thread of its own and waits for it at most
    // `milliseconds`. PLATFORM_DONE when it ended in time; PLATFORM_IN_USE
    // when it still runs, and goes on alone (what it reaches must stay
    // valid until it ends); PLATFORM_FAILED when no thread could be made
    // and nothing ran.
    PlatformStatus (*run_bounded)(struct PlatformWork* work, int milliseconds);
    // The time now as scan_folder tells when a file was written: from a
    // point of the system's own, in PLATFORM_TICKS_PER_SECOND.
    int64_t (*file_clock)();
};
// Windows' own unit of file times, 100 ns.
constexpr int64_t PLATFORM_TICKS_PER_SECOND = 10000000;
// A piece of work for run_bounded: the first member of its caller's record.
struct PlatformWork {
    void (*run)(PlatformWork* work);
};
// A file name the program makes holds fewer characters than this.
constexpr int PLATFORM_NAME_CAPACITY = 96;

extern PlatformCalls platform_calls;
extern const PlatformCalls platform_system_calls;

// ---- Files written whole ------------------------------------------------------

// A file written whole is first written under its private name, the path,
// the writer's process id and this ("T018.csv.4242.new"), and renamed once
// on the disk: a reader that meets such a name knows it is not yet a file.
#define PLATFORM_PRIVATE_SUFFIX L".new"

// Creates the file `path` holding exactly `bytes`, atomically and on the
// disk: it appears whole or not at all, and only when no file of that name
// exists. False when one exists or it could not be made; no stray file is
// left either way.
bool platform_publish_new_file(const wchar_t* path, const char* bytes, int count);

// Appends `bytes` to the existing file `path` in one write, so rows of
// processes saving at the same time do not interleave, and waits until they
// are on the disk. PLATFORM_IN_USE when another program holds the file and
// keeps writers out; PLATFORM_FAILED when it is missing, not every byte was
// written or the disk did not confirm them. What was written then (half a
// row on a full disk, a row the disk did not confirm) is cut off again,
// unless somebody else appended in the meantime, so the file never ends in
// half a row and a row reported unwritten is not there to be saved twice.
PlatformStatus platform_append_to_file(const wchar_t* path, const char* bytes, int count);

// Replaces the file `path` with exactly `bytes`. False when it could not be
// created or fully written; a file left incomplete is emptied, not removed
// (the path may name a device, or a file we may not delete).
bool platform_replace_file(const wchar_t* path, const char* bytes, int count);

// Replaces the file `path` with exactly `bytes` as a whole: written under a
// new name and on the disk first, then moved over the old one, so that a
// power cut leaves the old file or the new one, never part of either. False
// when that could not be done; the old file is then as it was.
bool platform_replace_file_whole(const wchar_t* path, const char* bytes, int count);

// Reads the whole file `path` into `bytes` (room for `capacity`, a
// terminating zero included). Returns its length, or -1 when it cannot be
// read or is larger than that.
int platform_read_small_file(const wchar_t* path, char* bytes, int capacity);

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

// Converts a terminated wide text to UTF-16 (ODBC's wide text everywhere)
// with its terminator, all or nothing like utf8_from_wide: the number of
// units before the terminator, or -1. An unpaired surrogate or a value
// outside Unicode becomes U+FFFD.
int utf16_from_wide(const wchar_t* text, uint16_t* out, int capacity);

// Converts terminated UTF-8 to wide text with its terminator, all or nothing
// like utf8_from_wide. A malformed sequence becomes U+FFFD.
int wide_from_utf8(const char* text, wchar_t* out, int capacity);

// Appends one code point at `*length`: a surrogate pair where wchar_t has
// 16 bits. False, nothing written, when it does not fit before the
// terminator's place.
bool wide_append_code_point(uint32_t c, wchar_t* out, int* length, int capacity);

// Whether `length` bytes are UTF-8 exactly: no malformed, overlong or
// surrogate sequence, nothing beyond U+10FFFF, no NUL byte. A text that is
// not (GBK, say) would otherwise be read with U+FFFD in its place.
bool utf8_valid(const char* bytes, int length);

// The text in Unicode's canonical composition (NFC), terminated, all or
// nothing like utf8_from_wide: its length, or -1 (with `out` empty) when it
// does not fit or holds more than a thousand code points once decomposed.
int text_nfc(const wchar_t* text, wchar_t* out, int capacity);
