// A per-user data folder of the test process's own, through the seam: tests
// that queue, set aside or hand over files leave the suite's real folder
// (and the other tests running beside them in the same Wine prefix) alone.
#pragma once

#include "platform/platform.h"
#include "tool/tool.h"

// "<the user's data folder>/glyvant-test-<process id>".
inline bool test_data_folder(wchar_t* folder, int capacity) {
    wchar_t real[520];
    return platform_system_calls.user_data_folder(real, 520) &&
           text_format(folder, capacity, L"%ls%lcglyvant-test-%lu", real, PLATFORM_PATH_SEPARATOR,
                       platform_system_calls.process_id()) > 0;
}

inline void use_test_data_folder() {
    platform_calls.user_data_folder = test_data_folder;
    wchar_t folder[600];
    if (test_data_folder(folder, 600)) platform_calls.create_directory(folder);
}
