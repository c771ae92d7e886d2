// OrvoMedSuite.exe: the suite's front door. "--selftest [FILE]" checks that
// every tool of its catalogue has its program beside it, for IT to run after
// installing, and writes what it found; otherwise the window.
#include <windows.h>

#include "app/app.h"
#include "suite/catalogue.h"
#include "launcher/win32/launcher_window.h"
#include "store/store.h"

namespace {

constexpr int REPORT_CAPACITY = 16384;

int selftest(const wchar_t* report_path) {
    static wchar_t report[REPORT_CAPACITY];
    wchar_t folder[MAX_PATH], path[MAX_PATH * 2];
    DWORD n = GetModuleFileNameW(nullptr, folder, MAX_PATH);
    while (n > 0 && folder[n - 1] != L'\\') n--;
    folder[n > 0 ? n - 1 : 0] = 0;
    int missing = 0;
    text_format(report, REPORT_CAPACITY, L"LAUNCHER|%ls|%d tools\r\n", LAUNCHER_TITLE, suite_tool_count);
    for (int t = 0; t < suite_tool_count; t++) {
        text_format(path, MAX_PATH * 2, L"%ls\\%ls", folder, suite_programs[t]);
        bool present = GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES;
        if (!present) missing++;
        wchar_t line[256];
        text_format(line, 256, L"PROGRAM|%03d|%ls|%ls\r\n", suite_tools[t]->id, suite_programs[t],
                    present ? L"present" : L"MISSING");
        text_append(report, REPORT_CAPACITY, line);
    }
    wchar_t last[32];
    text_format(last, 32, L"ERRORS|%d\r\n", missing);
    text_append(report, REPORT_CAPACITY, last);
    static char bytes[utf8_capacity_for(REPORT_CAPACITY)];
    int length = utf8_from_wide(report, bytes, (int)sizeof bytes);
    if (length < 0 || !platform_replace_file(report_path, bytes, length)) return EXIT_REPORT_NOT_WRITTEN;
    return missing ? EXIT_FORMULA_FAILED : EXIT_OK;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    // The tools' rule: the report path after the switch, selftest.txt in the
    // current folder when none follows.
    wchar_t path[SELFTEST_PATH_CAPACITY];
    if (command_line_selftest_path(GetCommandLineW(), path, SELFTEST_PATH_CAPACITY)) return selftest(path);
    return launcher_run(instance);
}
