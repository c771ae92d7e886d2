// The launcher's favourites and recently opened tools, kept per user in
// the suite's folder beside records\, in a small UTF-8 file replaced whole.
#pragma once

constexpr int LAUNCHER_FAVOURITES_MAX = 64;
constexpr int LAUNCHER_RECENT_MAX = 8;

// Tools by number: favourites in the order starred, recent ones the latest
// first.
struct LauncherLists {
    int favourites[LAUNCHER_FAVOURITES_MAX];
    int favourite_count;
    int recent[LAUNCHER_RECENT_MAX];
    int recent_count;
};

// Stars a tool that is not starred (at the end), unstars one that is.
void launcher_toggle_favourite(LauncherLists* lists, int id);
bool launcher_is_favourite(const LauncherLists& lists, int id);
// The tool goes to the front of the recent ones; the ninth drops off.
void launcher_note_opened(LauncherLists* lists, int id);

// The file's text, and back. Parsing is all or nothing: false, with the
// lists empty, for a text that is not such a file.
int launcher_lists_text(const LauncherLists& lists, char* bytes, int capacity);
bool launcher_lists_parse(const char* bytes, LauncherLists* lists);

// <per-user data folder>/OrvoMedSuite/launcher.txt. False when the data
// folder is unknown.
bool launcher_lists_path(wchar_t* path, int capacity);
// Reads the user's lists: empty when there is no file yet. False, with the
// lists empty, when a file is there but cannot be read or understood.
bool launcher_lists_load(LauncherLists* lists);
// Writes them whole (a new file moved over the old); false when that failed,
// the old file then unchanged.
bool launcher_lists_save(const LauncherLists& lists);
