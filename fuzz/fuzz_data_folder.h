// A per-user data folder of the fuzzer's own, removed when it ends: the
// records, outbox and hand-over files it makes touch no real user's.
#pragma once

#include <stdlib.h>

#include <filesystem>

inline void fuzz_use_own_data_folder() {
    static char folder[] = "/tmp/glyvant-fuzz.XXXXXX";
    if (!mkdtemp(folder)) abort();
    setenv("XDG_DATA_HOME", folder, 1);
    atexit([] { std::filesystem::remove_all(folder); });
}
