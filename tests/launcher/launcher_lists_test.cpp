// Favourites and recent tools: kept in order, written and read back, never
// half written, and a file that is not a lists file never taken for one.
#include <gtest/gtest.h>

#include <stdlib.h>
#include <string.h>

#include "launcher/launcher_lists.h"
#include "store/store.h"
#include "support/file_bytes.h"

namespace {

bool moving_fails(const wchar_t*, const wchar_t*) { return false; }
bool flushing_fails(PlatformFile) { return false; }
int reading_fails(PlatformFile, char*, int) { return -1; }

TEST(LauncherLists, KeptInOrderAndReplacedWhole) {
    LauncherLists lists = {};
    for (int id : {18, 24, 40, 24}) launcher_toggle_favourite(&lists, id);  // 24 starred, then unstarred
    for (int id = 101; id <= 110; id++) launcher_note_opened(&lists, id);
    launcher_note_opened(&lists, 105);  // opened again: to the front, not twice
    char text[512];
    ASSERT_GT(launcher_lists_text(lists, text, sizeof text), 0);
    EXPECT_STREQ("OrvoMedSuite launcher lists 1\nstar 18\nstar 40\n"
                 "recent 105\nrecent 110\nrecent 109\nrecent 108\nrecent 107\nrecent 106\nrecent 104\nrecent 103\n",
                 text);
    LauncherLists back;
    ASSERT_EQ(LISTS_READ, launcher_lists_parse(text, &back));
    EXPECT_EQ(0, memcmp(&lists, &back, sizeof lists));
    // What is understood is read, the rest passed over; no lists file, nothing.
    struct Read {
        const char* bytes;
        ListsReading reading;
        const char* lists;  // as written again, after the first line
    };
    for (Read r : {Read{"", LISTS_NOT_READ, ""}, Read{"star 18\n", LISTS_NOT_READ, ""},
                   Read{"OrvoMedSuite launcher lists 1 \r\nstar 18\t\r\n\r\nrecent 24 \r\n", LISTS_READ,
                        "star 18\nrecent 24\n"},
                   Read{"OrvoMedSuite launcher lists 2\nstar 18\n", LISTS_READ_IN_PART, "star 18\n"},
                   Read{"OrvoMedSuite launcher lists 1\nstar x\nstar 99999999999999999999\nfavourite 18\n"
                        "star 0\nrecent 40\n", LISTS_READ_IN_PART, "recent 40\n"}}) {
        EXPECT_EQ(r.reading, launcher_lists_parse(r.bytes, &back)) << r.bytes;
        launcher_lists_text(back, text, sizeof text);
        EXPECT_STREQ(r.lists, strchr(text, '\n') + 1) << r.bytes;
    }

    // Saved and loaded through the user's folder; a save whose move fails,
    // or whose new file the disk does not confirm, leaves the file as it was.
#ifndef _WIN32
    setenv("XDG_DATA_HOME", testing::TempDir().c_str(), 1);
#endif
    wchar_t path[600], aside[2][LAUNCHER_SET_ASIDE_NAME_CAPACITY];
    ASSERT_TRUE(launcher_lists_save(&lists, aside[0], LAUNCHER_SET_ASIDE_NAME_CAPACITY));
    ASSERT_EQ(LISTS_READ, launcher_lists_load(&back));
    EXPECT_EQ(0, memcmp(&lists, &back, sizeof lists));
    LauncherLists other = {};
    launcher_toggle_favourite(&other, 9);
    for (int fault = 0; fault < 2; fault++) {
        if (fault) platform_calls.flush_file = flushing_fails;
        else platform_calls.move_over = moving_fails;
        EXPECT_FALSE(launcher_lists_save(&other, aside[0], LAUNCHER_SET_ASIDE_NAME_CAPACITY)) << fault;
        platform_calls = platform_system_calls;
        ASSERT_EQ(LISTS_READ, launcher_lists_load(&back));
        EXPECT_EQ(0, memcmp(&lists, &back, sizeof lists)) << fault;
    }
    // A file read in part, or not at all (a read that failed, perhaps only
    // once), is set aside under a new name before the lists are written, or
    // nothing is written.
    ASSERT_TRUE(launcher_lists_path(path, 600));
    const char* const unread[] = {"OrvoMedSuite launcher lists 2\nstar 18\n", "OrvoMedSuite launcher lists 1\n"};
    for (int k = 0; k < 2; k++) {
        ASSERT_TRUE(platform_replace_file(path, unread[k], (int)strlen(unread[k])));
        platform_calls.read_file = k ? reading_fails : platform_system_calls.read_file;
        EXPECT_EQ(k ? LISTS_NOT_READ : LISTS_READ_IN_PART, launcher_lists_load(&back));
        platform_calls.link_file = moving_fails;
        EXPECT_FALSE(launcher_lists_save(&back, aside[k], LAUNCHER_SET_ASIDE_NAME_CAPACITY));
        platform_calls = platform_system_calls;
        ASSERT_TRUE(launcher_lists_save(&back, aside[k], LAUNCHER_SET_ASIDE_NAME_CAPACITY));
        wchar_t set_aside[600];
        ASSERT_GT(store_suite_path(aside[k], set_aside, 600), 0);
        EXPECT_EQ(unread[k], file_bytes(set_aside));
    }
    EXPECT_STRNE(aside[0], aside[1]);  // the first is kept as well
    platform_calls.remove_file(path);
    for (const wchar_t* name : aside)
        if (store_suite_path(name, path, 600) > 0) platform_calls.remove_file(path);
}

}  // namespace
