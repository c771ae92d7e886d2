// The native command: the same command line and self-test as Glyvant.exe,
// without the window, which needs the Windows build.
#include <stdio.h>

#include "app/app.h"
#include "platform/platform.h"
#include "store/store.h"

namespace {
// Windows limits a command line to 32767 characters; so does this one.
constexpr int COMMAND_LINE_CAPACITY = 32768;
}  // namespace

int main(int argc, char** argv) {
    // Each argument decoded from UTF-8 into one shared buffer, then joined as
    // Windows would have passed them, so the rules see the same text.
    static wchar_t decoded[COMMAND_LINE_CAPACITY];
    static const wchar_t* arguments[COMMAND_LINE_CAPACITY / 2];
    int used = 0, count = 0;
    for (int i = 0; i < argc && count < COMMAND_LINE_CAPACITY / 2; i++) {
        int n = wide_from_utf8(argv[i], decoded + used, COMMAND_LINE_CAPACITY - used);
        if (n < 0) break;  // longer than any Windows command line
        arguments[count++] = decoded + used;
        used += n + 1;
    }
    static wchar_t command_line[COMMAND_LINE_CAPACITY];
    command_line_join(arguments, count, command_line, COMMAND_LINE_CAPACITY);

    wchar_t path[SELFTEST_PATH_CAPACITY];
    if (command_line_selftest_path(command_line, path, SELFTEST_PATH_CAPACITY))
        return run_selftest(path);
    fputs("glyvant: the main window needs the Windows build (Glyvant.exe); this command runs\n"
          "only the self-test: glyvant --selftest [report-path]\n",
          stderr);
    return EXIT_NO_WINDOW;
}
