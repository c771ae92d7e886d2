// Favourites and recent tools: kept in order, written as one line each
// ("star 18", "recent 24") under a first line that names the file, and
// replaced whole so that a power cut never leaves half a list.
#include "launcher/launcher_lists.h"

#include <stdio.h>
#include <string.h>
#include <wchar.h>

#include "platform/platform.h"
#include "store/store.h"

namespace {

const char FIRST_LINE[] = "OrvoMedSuite launcher lists 1";
constexpr int FILE_CAPACITY = 4096;
constexpr int PATH_CAPACITY = 600;

int index_of(const int* ids, int count, int id) {
    for (int k = 0; k < count; k++)
        if (ids[k] == id) return k;
    return -1;
}

void remove_at(int* ids, int* count, int at) {
    for (int k = at; k + 1 < *count; k++) ids[k] = ids[k + 1];
    ids[--*count] = 0;  // lists that hold the same tools are the same bytes
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
    int n = snprintf(bytes, capacity, "%s\n", FIRST_LINE);
    for (int k = 0; k < lists.favourite_count && n < capacity; k++)
        n += snprintf(bytes + n, capacity - n, "star %d\n", lists.favourites[k]);
    for (int k = 0; k < lists.recent_count && n < capacity; k++)
        n += snprintf(bytes + n, capacity - n, "recent %d\n", lists.recent[k]);
    return n < capacity ? n : -1;
}

bool launcher_lists_parse(const char* bytes, LauncherLists* lists) {
    *lists = {};
    LauncherLists read = {};
    size_t first = strlen(FIRST_LINE);
    if (strncmp(bytes, FIRST_LINE, first) != 0 || (bytes[first] != '\n' && bytes[first] != '\r')) return false;
    for (const char* line = bytes + first; *line;) {
        while (*line == '\n' || *line == '\r') line++;
        if (!*line) break;
        char word[16];
        int id = 0, used = 0;
        if (sscanf(line, "%15s %d%n", word, &id, &used) != 2 || id <= 0) return false;
        if (strcmp(word, "star") == 0 && read.favourite_count < LAUNCHER_FAVOURITES_MAX &&
            !launcher_is_favourite(read, id))
            read.favourites[read.favourite_count++] = id;
        else if (strcmp(word, "recent") == 0 && read.recent_count < LAUNCHER_RECENT_MAX &&
                 index_of(read.recent, read.recent_count, id) < 0)
            read.recent[read.recent_count++] = id;
        else if (strcmp(word, "star") != 0 && strcmp(word, "recent") != 0)
            return false;
        line += used;
        if (*line != '\n' && *line != '\r' && *line) return false;
    }
    *lists = read;
    return true;
}

bool launcher_lists_path(wchar_t* path, int capacity) {
    return store_suite_path(L"launcher.txt", path, capacity) > 0;
}

bool launcher_lists_load(LauncherLists* lists) {
    *lists = {};
    wchar_t path[PATH_CAPACITY];
    if (!launcher_lists_path(path, PATH_CAPACITY)) return false;
    if (!platform_calls.file_exists(path)) return true;
    char bytes[FILE_CAPACITY];
    return platform_read_small_file(path, bytes, FILE_CAPACITY) >= 0 && launcher_lists_parse(bytes, lists);
}

bool launcher_lists_save(const LauncherLists& lists) {
    wchar_t path[PATH_CAPACITY], folder[PATH_CAPACITY];
    char bytes[FILE_CAPACITY];
    int length = launcher_lists_text(lists, bytes, FILE_CAPACITY);
    if (length < 0 || store_suite_path(L"", folder, PATH_CAPACITY) <= 0) return false;
    platform_calls.create_directory(folder);
    return launcher_lists_path(path, PATH_CAPACITY) && platform_replace_file_whole(path, bytes, length);
}
