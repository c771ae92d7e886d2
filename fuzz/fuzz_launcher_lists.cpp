// Fuzzes the launcher's lists file, which a user may edit by hand or another
// launcher version may have written: reading arbitrary bytes keeps every list
// within its room, and the text written for what was read reads back as the
// same lists, whole.
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "launcher/launcher_lists.h"

namespace {

[[noreturn]] void violated(const char* what, const char* bytes) {
    fprintf(stderr, "invariant violated: %s\nfile:", what);
    for (const char* p = bytes; *p; p++) fprintf(stderr, " %02X", (unsigned)(unsigned char)*p);
    fprintf(stderr, "\n");
    abort();
}

// Tool numbers are positive, and a tool is starred or recent at most once.
void check_ids(const int* ids, int count, int max, const char* bytes) {
    if (count < 0 || count > max) violated("a count outside its room", bytes);
    for (int k = 0; k < count; k++) {
        if (ids[k] <= 0) violated("a tool number that is no tool's", bytes);
        for (int j = 0; j < k; j++)
            if (ids[j] == ids[k]) violated("a tool twice in one list", bytes);
    }
}

bool same_lists(const LauncherLists& a, const LauncherLists& b) {
    return a.favourite_count == b.favourite_count && a.recent_count == b.recent_count &&
           memcmp(a.favourites, b.favourites, sizeof(int) * (size_t)a.favourite_count) == 0 &&
           memcmp(a.recent, b.recent, sizeof(int) * (size_t)a.recent_count) == 0;
}

constexpr int TEXT_CAPACITY = 4096;  // the launcher's own file buffer
constexpr int GUARD = 16;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Exactly the file and its terminator, so a read past it is a report.
    char* bytes = (char*)malloc(size + 1);
    memcpy(bytes, data, size);
    bytes[size] = 0;
    LauncherLists lists;
    memset(&lists, 0xA5, sizeof lists);
    ListsReading reading = launcher_lists_parse(bytes, &lists);
    check_ids(lists.favourites, lists.favourite_count, LAUNCHER_FAVOURITES_MAX, bytes);
    check_ids(lists.recent, lists.recent_count, LAUNCHER_RECENT_MAX, bytes);
    if (reading != LISTS_READ && reading != LISTS_READ_IN_PART && reading != LISTS_NOT_READ)
        violated("no reading at all", bytes);
    // Whatever was not read whole is kept aside before a save writes over it.
    if (lists.set_aside_first != (reading != LISTS_READ)) violated("set_aside_first disagrees with the reading", bytes);
    if (reading == LISTS_NOT_READ && (lists.favourite_count || lists.recent_count))
        violated("lists taken from a file not read", bytes);

    char text[TEXT_CAPACITY + GUARD];
    int length = launcher_lists_text(lists, text, TEXT_CAPACITY);
    if (length <= 0 || length >= TEXT_CAPACITY || text[length] != 0 || (int)strlen(text) != length)
        violated("the lists read do not make a whole text", bytes);
    LauncherLists again;
    memset(&again, 0x5A, sizeof again);
    if (launcher_lists_parse(text, &again) != LISTS_READ || again.set_aside_first || !same_lists(lists, again))
        violated("the text written does not read back as the same lists", bytes);

    // In a smaller buffer the text is whole or refused, never past its room.
    int capacity = 1 + (int)(size % (size_t)(length + 2));
    char small[TEXT_CAPACITY + 2 + GUARD];
    memset(small, 0x7E, sizeof small);
    int cut = launcher_lists_text(lists, small, capacity);
    for (int i = capacity; i < capacity + GUARD; i++)
        if (small[i] != 0x7E) violated("written past the capacity", bytes);
    if (cut != (capacity > length ? length : -1)) violated("a cut text not refused, or a whole one refused", bytes);
    if (cut > 0 && memcmp(small, text, (size_t)length + 1) != 0) violated("the same lists written otherwise", bytes);
    free(bytes);
    return 0;
}
