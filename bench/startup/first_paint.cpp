// Measures how long GUI programs take from process start to the first paint
// of their window, against a yardstick window: starts one, watches a point of
// its client area on the screen until it shows the header band's colour,
// then closes it. A program may be given with its arguments ("T018.exe
// --patient-id=..."): a tool started with a patient is also timed until it
// shows the patient's last assessment.
//   first_paint <pairs> <yardstick.exe> <program.exe [arguments]>...
// Wine's own start-up dominates both and the machine's speed drifts from one
// second to the next, so each program is timed in pairs: the yardstick and
// the program started back to back, the yardstick first in even pairs and
// the program first in odd ones, so that neither always meets the machine as
// the other left it. Prints one line per pair and program: the program's
// place in the list (1 for the first), the pair's number, the program's
// milliseconds to first paint, its peak working set in KiB and milliseconds
// until the last assessment shows (-1 for a window without one), then the
// yardstick's milliseconds and KiB; all read from outside the programs, -1
// for a window that never painted.
#include <windows.h>
#include <psapi.h>
#include <stdio.h>
#include <stdlib.h>
#include <wchar.h>

#include "common/win32/suite_look.h"

namespace {

// A point inside the header band of the suite's windows, the tools' and the
// launcher's alike (and inside the yardstick window's solid fill).
constexpr int PROBE_X = 900, PROBE_Y = 82;
static_assert(PROBE_Y < BAND_HEIGHT, "the probe lies in the band");
constexpr COLORREF BAND = palette.band;
// The tool window's line of the patient's last assessment.
constexpr int LAST_ASSESSMENT_ID = 5001;
// A window that has not painted by then never will.
constexpr double GIVE_UP_MS = 30000;

struct Sample {
    double ms, line_ms;
    size_t kib;
};

// The probe's point on the screen, for `window`.
POINT probe_point(HWND window) {
    POINT probe = {PROBE_X, PROBE_Y};
    ClientToScreen(window, &probe);
    return probe;
}

bool band_shown_at(POINT point) {
    HDC screen = GetDC(nullptr);
    COLORREF colour = GetPixel(screen, point.x, point.y);
    ReleaseDC(nullptr, screen);
    return colour == BAND;
}

struct Search {
    DWORD process_id;
    HWND found;
};

// Any visible window of the process that shows the band, so that a box it
// opens first is passed over.
BOOL CALLBACK match_window(HWND window, LPARAM context) {
    Search* search = (Search*)context;
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != search->process_id || !IsWindowVisible(window) || !band_shown_at(probe_point(window)))
        return TRUE;
    search->found = window;
    return FALSE;
}

double elapsed_ms(const LARGE_INTEGER& start) {
    static LARGE_INTEGER frequency;
    if (!frequency.QuadPart) QueryPerformanceFrequency(&frequency);
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return (now.QuadPart - start.QuadPart) * 1000.0 / frequency.QuadPart;
}

// Starts `program_line` (a program, then its arguments after " --"), times it, and
// closes it. Its times are -1 when it could not be started or did not show
// what was waited for.
Sample time_start(const wchar_t* program_line) {
    Sample sample = {-1, -1, 0};
    wchar_t program[1024];
    _snwprintf(program, 1024, L"%ls", program_line);
    program[1023] = 0;
    const wchar_t* arguments = L"";
    if (wchar_t* rest = wcsstr(program, L" --")) {
        *rest = 0;
        arguments = rest + 1;
    }
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    wchar_t command[2048];
    _snwprintf(command, 2048, L"\"%ls\" %ls", program, arguments);
    command[2047] = 0;
    LARGE_INTEGER start;
    QueryPerformanceCounter(&start);
    if (!CreateProcessW(program, command, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        fwprintf(stderr, L"cannot start %ls\n", program);
        return sample;
    }
    HWND window = nullptr;
    POINT probe = {};
    for (;;) {
        Search search = {process.dwProcessId, nullptr};
        EnumWindows(match_window, (LPARAM)&search);
        double ms = elapsed_ms(start);
        if (search.found) {
            sample.ms = ms;
            window = search.found;
            probe = probe_point(window);
            break;
        }
        if (ms > GIVE_UP_MS) break;
        Sleep(1);
    }
    // The line is made after the first paint, with the window's other
    // controls: until then it is not there.
    while (window && *arguments) {
        wchar_t text[8] = L"";
        if (HWND line = GetDlgItem(window, LAST_ASSESSMENT_ID)) SendMessageW(line, WM_GETTEXT, 8, (LPARAM)text);
        double ms = elapsed_ms(start);
        if (text[0]) {
            sample.line_ms = ms;
            break;
        }
        if (ms > GIVE_UP_MS) break;
        Sleep(1);
    }
    PROCESS_MEMORY_COUNTERS memory = {};
    memory.cb = sizeof memory;
    GetProcessMemoryInfo(process.hProcess, &memory, sizeof memory);
    sample.kib = memory.PeakWorkingSetSize / 1024;
    TerminateProcess(process.hProcess, 0);
    WaitForSingleObject(process.hProcess, 10000);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    // The next window may open where this one was: until the desktop has
    // painted over it, the screen there still shows the band.
    LARGE_INTEGER closed;
    QueryPerformanceCounter(&closed);
    while (window && band_shown_at(probe) && elapsed_ms(closed) < 2000) Sleep(1);
    return sample;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 4) {
        fwprintf(stderr, L"usage: first_paint <pairs> <yardstick.exe> <program.exe>...\n");
        return 2;
    }
    // Real pixels at any display scaling: Windows hands a program unaware of
    // it coordinates scaled to 96 DPI, which would miss the probe's point on
    // the screen (Wine 8 hands real pixels either way).
    SetProcessDPIAware();
    int pairs = _wtoi(argv[1]);
    for (int pair = 0; pair < pairs; pair++) {
        for (int which = 1; which < argc - 2; which++) {
            Sample yardstick, program;
            if (pair % 2 == 0) {
                yardstick = time_start(argv[2]);
                program = time_start(argv[2 + which]);
            } else {
                program = time_start(argv[2 + which]);
                yardstick = time_start(argv[2]);
            }
            wprintf(L"%d %d %.1f %zu %.1f %.1f %zu\n", which, pair, program.ms, program.kib, program.line_ms,
                    yardstick.ms, yardstick.kib);
            fflush(stdout);
        }
    }
    return 0;
}
