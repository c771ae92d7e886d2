// The command-line rules over whole command lines, as Windows hands them over.
#include <gtest/gtest.h>

#include <string>

#include "app/app.h"

namespace {

TEST(CommandLine, SelftestSwitchAndReportPath) {
    struct Case {
        const wchar_t* command_line;
        bool found;
        const wchar_t* path;
    };
    const Case cases[] = {
        {L"Glyvant.exe", false, L""},
        {L"\"C:\\Program Files\\Glyvant.exe\" --SELFTEST out.txt", false, L""},
        {L"Glyvant.exe -selftest out.txt", false, L""},
        {L"Glyvant.exe --selftest", true, L"selftest.txt"},
        {L"Glyvant.exe --selftest    ", true, L"selftest.txt"},
        {L"Glyvant.exe --selftest out.txt", true, L"out.txt"},
        {L"Glyvant.exe --selftest   out.txt  extra", true, L"out.txt"},
        {L"Glyvant.exe --selftest \"my report.txt\"", true, L"my report.txt"},
        {L"Glyvant.exe --selftest \"my report.txt\" extra", true, L"my report.txt"},
        {L"Glyvant.exe --selftest my report.txt", true, L"my"},
        {L"Glyvant.exe --selftest \"my report.txt", true, L"my report.txt"},  // runs to the end
        {L"Glyvant.exe --selftest \"\"", true, L"selftest.txt"},
        {L"Glyvant.exe --selftestglued.txt", true, L"glued.txt"},
        {L"Glyvant.exe --selftest\tout.txt", true, L"\tout.txt"},  // only spaces are skipped
        {L"Glyvant.exe x--selftest--selftest y", true, L"--selftest"},
        // The first occurrence wins, the program's own path included.
        {L"C:\\ward--selftest\\Glyvant.exe --selftest out.txt", true, L"\\Glyvant.exe"},
        {L"\"C:\\ward--selftest\\Glyvant.exe\"", true, L"\\Glyvant.exe\""},
        {L"Glyvant.exe --selftest C:\\报告\\自检.txt", true, L"C:\\报告\\自检.txt"},
    };
    for (const Case& c : cases) {
        wchar_t path[SELFTEST_PATH_CAPACITY];
        path[0] = L'#';
        EXPECT_EQ(c.found, command_line_selftest_path(c.command_line, path, SELFTEST_PATH_CAPACITY))
            << testing::PrintToString(std::wstring(c.command_line));
        EXPECT_EQ(std::wstring(c.path), std::wstring(path))
            << testing::PrintToString(std::wstring(c.command_line));
    }
}

TEST(CommandLine, ReportPathIsCutAt519Characters) {
    const std::wstring long_path(600, L'd');
    struct Case {
        std::wstring command_line;
        std::wstring path;
    };
    const Case cases[] = {
        {L"Glyvant.exe --selftest " + long_path, long_path.substr(0, 519)},
        {L"Glyvant.exe --selftest \"" + long_path + L"\"", long_path.substr(0, 519)},
        {L"Glyvant.exe --selftest " + long_path.substr(0, 519), long_path.substr(0, 519)},
        {L"Glyvant.exe --selftest " + long_path.substr(0, 518), long_path.substr(0, 518)},
    };
    for (const Case& c : cases) {
        wchar_t path[SELFTEST_PATH_CAPACITY + 8];
        for (wchar_t& ch : path) ch = L'#';
        EXPECT_TRUE(command_line_selftest_path(c.command_line.c_str(), path, SELFTEST_PATH_CAPACITY));
        EXPECT_EQ(c.path, std::wstring(path));
        EXPECT_EQ(L'#', path[SELFTEST_PATH_CAPACITY]);
    }
}

TEST(CommandLine, ArgumentsJoinAsWindowsPassesThem) {
    const wchar_t* plain[] = {L"glyvant", L"--selftest", L"out.txt"};
    const wchar_t* spaced[] = {L"/opt/my tools/glyvant", L"--selftest", L"my report.txt"};
    const wchar_t* alone[] = {L"glyvant"};
    struct Case {
        const wchar_t* const* arguments;
        int count;
        const wchar_t* joined;
    };
    const Case cases[] = {
        {plain, 3, L"glyvant --selftest out.txt"},
        {spaced, 3, L"\"/opt/my tools/glyvant\" --selftest \"my report.txt\""},
        {alone, 1, L"glyvant"},
        {plain, 0, L""},
    };
    for (const Case& c : cases) {
        wchar_t joined[128];
        EXPECT_EQ((int)std::wstring(c.joined).size(), command_line_join(c.arguments, c.count, joined, 128));
        EXPECT_STREQ(c.joined, joined);
    }
    // Joined and read back, a spaced report path arrives whole.
    wchar_t joined[128], path[SELFTEST_PATH_CAPACITY];
    command_line_join(spaced, 3, joined, 128);
    ASSERT_TRUE(command_line_selftest_path(joined, path, SELFTEST_PATH_CAPACITY));
    EXPECT_STREQ(L"my report.txt", path);
    EXPECT_EQ(9, command_line_join(plain, 3, joined, 10));
    EXPECT_STREQ(L"glyvant -", joined);
}

}  // namespace
