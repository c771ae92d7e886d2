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
    // The file they were read from holds what they do not (lines passed
    // over, or a file not read at all): the next save sets it aside first.
    bool set_aside_first;
};

// What reading a lists file came to.
enum ListsReading {
    LISTS_READ,          // every line understood, or no file yet
    LISTS_READ_IN_PART,  // a lists file with lines passed over, or of a newer version
    LISTS_NOT_READ,      // not a lists file, or a file that could not be read
};

// Stars a tool that is not starred (at the end), unstars one that is.
void launcher_toggle_favourite(LauncherLists* lists, int id);
bool launcher_is_favourite(const LauncherLists& lists, int id);
// The tool goes to the front of the recent ones; the ninth drops off.
void launcher_note_opened(LauncherLists* lists, int id);

// The file's text, and back. Parsing takes what it understands and passes
// over the rest: a line it does not know, a line too many, and the lines of a
// newer version that are not stars or recent tools (a newer launcher's
// stars are still the user's favourites; the file itself is set aside, so
// what it holds beyond them is kept for that launcher). Spaces and CR at a
// line's end do not count.
int launcher_lists_text(const LauncherLists& lists, char* bytes, int capacity);
ListsReading launcher_lists_parse(const char* bytes, LauncherLists* lists);

// <per-user data folder>/OrvoMedSuite/launcher.txt. False when the data
// folder is unknown.
bool launcher_lists_path(wchar_t* path, int capacity);
// Reads the user's lists: empty, and LISTS_READ, when there is no file yet.
// Anything short of reading the whole file marks them set_aside_first.
ListsReading launcher_lists_load(LauncherLists* lists);
// A set-aside file's name, beside launcher.txt, fits in this.
constexpr int LAUNCHER_SET_ASIDE_NAME_CAPACITY = 40;
// Writes them whole (a new file moved over the old); false when that failed,
// the old file then unchanged. Lists marked set_aside_first first move the
// file beside it under a name that says it was set aside and that no file
// has yet, written into `set_aside` (empty when nothing was set aside): when
// that fails, nothing is written.
bool launcher_lists_save(LauncherLists* lists, wchar_t* set_aside, int capacity);
