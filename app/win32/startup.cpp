// Glyvant.exe's entry: the self-test when the command line asks for it,
// otherwise the main window.
#include <windows.h>

#include "app/app.h"
#include "app/win32/main_window.h"
#include "store/store.h"
#include "tool/tool.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    // The whole command line, program path included, as the rules expect.
    wchar_t path[SELFTEST_PATH_CAPACITY];
    if (command_line_selftest_path(GetCommandLineW(), path, SELFTEST_PATH_CAPACITY))
        return run_selftest(path);
    return main_window_run(instance, tool_builtin(), GetCommandLineW());
}
