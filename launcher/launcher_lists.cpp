// Favourites and recent tools: kept in order, written as one line each
// ("star 18", "recent 24") under a first line that names the file, and
// replaced whole so that a power cut never leaves half a list. A file that
// was not read whole is set aside before the first write, never written over.
#include "launcher/launcher_lists.h"

#include <stdio.h>
#include <string.h>

#include "platform/platform.h"
#include "store/store.h"

namespace {

// The first line: these words, then the version of the file's layout.
const char FIRST_LINE[] = "OrvoMedSuite launcher lists ";
constexpr int VERSION = 1;
const char STAR[] = "star ", RECENT[] = "recent ";
// No tool's number, and no version, is larger.
constexpr int NUMBER_MAX = 99999;
constexpr int FILE_CAPACITY = 4096;
constexpr int PATH_CAPACITY = 600;
const wchar_t FILE_NAME[] = L"launcher.txt", SET_ASIDE_NAME[] = L"launcher-set-aside-%d.txt";
// Past this many files set aside, one not read whole is left alone and the
// lists are not saved.
constexpr int SET_ASIDE_MAX = 99;

int index_of(const int* ids, int count, int id) {
    for (int k = 0; k < count; k++)
        if (ids[k] == id) return k;
    return -1;
}

void remove_at(int* ids, int* count, int at) {
    for (int k = at; k + 1 < *count; k++) ids[k] = ids[k + 1];
    ids[--*count] = 0;  // lists that hold the same tools are the same bytes
}

// Adds `id` unless the list holds it already; false when there is no room.
bool add_once(int* ids, int* count, int capacity, int id) {
    if (index_of(ids, *count, id) >= 0) return true;
    if (*count == capacity) return false;
    ids[(*count)++] = id;
    return true;
}

// The line that starts at `line`: where it ends, spaces, tabs and a CR
// before its LF left out (an editor may have put them there), and in
// `*next` where the next line starts.
const char* line_end(const char* line, const char** next) {
    const char* end = line;
    while (*end && *end != '\n') end++;
    *next = *end ? end + 1 : end;
    while (end > line && (end[-1] == ' ' || end[-1] == '\t' || end[-1] == '\r')) end--;
    return end;
}

// The line [line, end) as `words` and a number, read digit by digit: the
// number, or -1 when the line is anything else or the number exceeds
// NUMBER_MAX.
int number_after(const char* line, const char* end, const char* words) {
    size_t length = strlen(words);
    if ((size_t)(end - line) <= length || strncmp(line, words, length) != 0) return -1;
    int number = 0;
    for (const char* digit = line + length; digit < end; digit++) {
        if (*digit < '0' || *digit > '9') return -1;
        number = number * 10 + (*digit - '0');
        if (number > NUMBER_MAX) return -1;
    }
    return number;
}

// Gives the file at `path` the first free name SET_ASIDE_NAME makes beside
// it, so neither it nor one set aside before is written over; that name goes
// into `name`.
bool set_file_aside(const wchar_t* path, wchar_t* name, int capacity) {
    for (int n = 1; n <= SET_ASIDE_MAX; n++) {
        wchar_t file[LAUNCHER_SET_ASIDE_NAME_CAPACITY], aside[PATH_CAPACITY];
        text_format(file, LAUNCHER_SET_ASIDE_NAME_CAPACITY, SET_ASIDE_NAME, n);
        if (store_suite_path(file, aside, PATH_CAPACITY) <= 0) return false;
        if (platform_calls.file_exists(aside)) continue;
        if (!platform_calls.link_file(path, aside)) return false;
        text_copy(name, capacity, file);
        return true;
    }
    return false;
}

}  // namespace

void launcher_toggle_favourite(LauncherLists* lists, int id) {
    int at = index_of(lists->favourites, lists->favourite_count, id);
    if (at >= 0) remove_at(lists->favourites, &lists->favourite_count, at);
    else if (lists->favourite_count < LAUNCHER_FAVOURITES_MAX) lists->favourites[lists->favourite_count++] = id;
}

bool launcher_is_favourite(const LauncherLists& lists, int id) {
    return index_of(lists.favourites, lists.favourite_count, id) >= 0;
}

void launcher_note_opened(LauncherLists* lists, int id) {
    int at = index_of(lists->recent, lists->recent_count, id);
    if (at >= 0) remove_at(lists->recent, &lists->recent_count, at);
    if (lists->recent_count == LAUNCHER_RECENT_MAX) lists->recent_count--;
    for (int k = lists->recent_count; k > 0; k--) lists->recent[k] = lists->recent[k - 1];
    lists->recent[0] = id;
    lists->recent_count++;
}

int launcher_lists_text(const LauncherLists& lists, char* bytes, int capacity) {
    int n = snprintf(bytes, capacity, "%s%d\n", FIRST_LINE, VERSION);
    for (int k = 0; k < lists.favourite_count && n < capacity; k++)
        n += snprintf(bytes + n, capacity - n, "%s%d\n", STAR, lists.favourites[k]);
    for (int k = 0; k < lists.recent_count && n < capacity; k++)
        n += snprintf(bytes + n, capacity - n, "%s%d\n", RECENT, lists.recent[k]);
    return n < capacity ? n : -1;
}

ListsReading launcher_lists_parse(const char* bytes, LauncherLists* lists) {
    *lists = {};
    const char* next;
    int version = number_after(bytes, line_end(bytes, &next), FIRST_LINE);
    if (version < VERSION) {
        lists->set_aside_first = true;
        return LISTS_NOT_READ;
    }
    bool passed_over = version > VERSION;
    for (const char* line = next; *line; line = next) {
        const char* end = line_end(line, &next);
        int star = number_after(line, end, STAR), recent = number_after(line, end, RECENT);
        bool taken = star > 0     ? add_once(lists->favourites, &lists->favourite_count, LAUNCHER_FAVOURITES_MAX, star)
                     : recent > 0 ? add_once(lists->recent, &lists->recent_count, LAUNCHER_RECENT_MAX, recent)
                                  : end == line;  // an empty line says nothing
        passed_over = passed_over || !taken;
    }
    lists->set_aside_first = passed_over;
    return passed_over ? LISTS_READ_IN_PART : LISTS_READ;
}

bool launcher_lists_path(wchar_t* path, int capacity) {
    return store_suite_path(FILE_NAME, path, capacity) > 0;
}

ListsReading launcher_lists_load(LauncherLists* lists) {
    *lists = {};
    lists->set_aside_first = true;
    wchar_t path[PATH_CAPACITY];
    if (!launcher_lists_path(path, PATH_CAPACITY)) return LISTS_NOT_READ;
    if (!platform_calls.file_exists(path)) {
        lists->set_aside_first = false;
        return LISTS_READ;
    }
    char bytes[FILE_CAPACITY];
    // A read that failed, perhaps only this once: the file is kept all the same.
    if (platform_read_small_file(path, bytes, FILE_CAPACITY) < 0) return LISTS_NOT_READ;
    return launcher_lists_parse(bytes, lists);
}

bool launcher_lists_save(LauncherLists* lists, wchar_t* set_aside, int capacity) {
    if (capacity > 0) set_aside[0] = 0;
    wchar_t path[PATH_CAPACITY], folder[PATH_CAPACITY];
    char bytes[FILE_CAPACITY];
    int length = launcher_lists_text(*lists, bytes, FILE_CAPACITY);
    if (length < 0 || store_suite_path(L"", folder, PATH_CAPACITY) <= 0 || !launcher_lists_path(path, PATH_CAPACITY))
        return false;
    platform_calls.create_directory(folder);
    if (lists->set_aside_first && platform_calls.file_exists(path) && !set_file_aside(path, set_aside, capacity))
        return false;
    lists->set_aside_first = false;
    return platform_replace_file_whole(path, bytes, length);
}
