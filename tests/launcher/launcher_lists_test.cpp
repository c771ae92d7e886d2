// Favourites and recent tools: kept in order, written and read back, never
// half written, and a file that is not a lists file never taken for one.
#include <gtest/gtest.h>

#include <stdlib.h>

#include "launcher/launcher_lists.h"
#include "platform/platform.h"

namespace {

bool moving_fails(const wchar_t*, const wchar_t*) { return false; }

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
    ASSERT_TRUE(launcher_lists_parse(text, &back));
    EXPECT_EQ(0, memcmp(&lists, &back, sizeof lists));
    for (const char* bad : {"", "star 18\n", "OrvoMedSuite launcher lists 1\nstar x\n",
                            "OrvoMedSuite launcher lists 1\nfavourite 18\n", "OrvoMedSuite launcher lists 12\n"}) {
        EXPECT_FALSE(launcher_lists_parse(bad, &back)) << bad;
        EXPECT_EQ(0, back.favourite_count + back.recent_count) << bad;
    }

    // Saved and loaded through the user's folder; a save whose move fails
    // leaves the file as it was, and a damaged file loads as empty, refused.
#ifndef _WIN32
    setenv("XDG_DATA_HOME", testing::TempDir().c_str(), 1);
#endif
    ASSERT_TRUE(launcher_lists_save(lists));
    ASSERT_TRUE(launcher_lists_load(&back));
    EXPECT_EQ(0, memcmp(&lists, &back, sizeof lists));
    LauncherLists other = {};
    launcher_toggle_favourite(&other, 9);
    platform_calls.move_over = moving_fails;
    EXPECT_FALSE(launcher_lists_save(other));
    platform_calls = platform_system_calls;
    ASSERT_TRUE(launcher_lists_load(&back));
    EXPECT_EQ(0, memcmp(&lists, &back, sizeof lists));
    wchar_t path[600];
    ASSERT_TRUE(launcher_lists_path(path, 600));
    ASSERT_TRUE(platform_replace_file(path, "OrvoMed", 7));
    EXPECT_FALSE(launcher_lists_load(&back));
    EXPECT_EQ(0, back.favourite_count + back.recent_count);
    platform_calls.remove_file(path);
}

}  // namespace
