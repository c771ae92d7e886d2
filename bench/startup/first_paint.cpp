// Measures how long GUI programs take from process start to the first paint
// of their window and until the window is whole, every control drawn,
// against yardstick windows: starts one, watches a point of its client area
// on the screen until it shows the header band's colour, then its controls
// (whole_window.h), then closes it. A program may be given with its
// arguments ("T018.exe --patient-id=..."): a tool started with a patient is
// also timed until it shows the patient's last assessment.
//   first_paint <pairs> <minimal.exe> <controls.exe> <program.exe [arguments]>...
// The first paint is held against the minimal window, the whole window
// against the controls' window making as many controls of each kind as the
// program's window has, counted in it when it is started once beforehand.
// Wine's own start-up dominates all of them and the machine's speed drifts
// from one second to the next, so each program is timed in pairs: the
// program started between its two yardsticks, the minimal window first in
// even rounds and the controls' window first in odd ones, so that each
// yardstick starts before the program in one pair and after it in the next,
// and neither always meets the machine as the other left it. Prints, per
// program, a line "controls <place> <count of each kind>" first, then one
// line per round: the program's place in the list (1 for the first), the
// round's number, the program's milliseconds to first paint and to its
// whole window, its peak working set in KiB and milliseconds until the last
// assessment shows (-1 for a window without one); the minimal window's
// milliseconds to first paint and KiB; the controls' window's milliseconds
// to first paint and to its whole window, and KiB. All are read from outside
// the programs, -1 for a window that never showed what was waited for.
#include <windows.h>
#include <psapi.h>
#include <stdio.h>
#include <stdlib.h>
#include <wchar.h>

#include "bench/startup/whole_window.h"
#include "common/win32/suite_look.h"
#include "platform/text_format.h"

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
    double ms, whole_ms, line_ms;
    size_t kib;
    ControlCounts controls;
};

// What is waited for after the first paint.
enum Wait { FIRST_PAINT, WHOLE, WHOLE_AND_COUNTED };
// The controls are counted this long after the window is whole, when any
// made later still stand too.
constexpr DWORD COUNT_AFTER_MS = 1000;

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
Sample time_start(const wchar_t* program_line, Wait wait) {
    Sample sample = {-1, -1, -1, 0, {}};
    wchar_t program[1024];
    text_copy(program, 1024, program_line);
    const wchar_t* arguments = L"";
    if (wchar_t* rest = wcsstr(program, L" --")) {
        *rest = 0;
        arguments = rest + 1;
    }
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    wchar_t command[2048];
    text_format(command, 2048, L"\"%ls\" %ls", program, arguments);
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
    // The line may be made after the first paint, with the window's other
    // controls: until then it is not there. It and the whole window are
    // waited for together, each timed when it first shows. Its text is read
    // as the system keeps it, not asked of the program (WM_GETTEXT), whose
    // thread is busy reading the record meanwhile: the probe would wait for
    // it, and see the whole window only once the line is there.
    bool whole_waited = window && wait != FIRST_PAINT, line_waited = window && wcsstr(arguments, L"--patient-id=");
    while (whole_waited || line_waited) {
        bool whole = whole_waited && window_whole(window);
        wchar_t text[8] = L"";
        if (HWND line = line_waited ? GetDlgItem(window, LAST_ASSESSMENT_ID) : nullptr)
            InternalGetWindowText(line, text, 8);
        double ms = elapsed_ms(start);
        if (whole) {
            sample.whole_ms = ms;
            whole_waited = false;
        }
        if (text[0]) {
            sample.line_ms = ms;
            line_waited = false;
        }
        if (ms > GIVE_UP_MS) break;
        Sleep(1);
    }
    if (wait == WHOLE_AND_COUNTED && sample.whole_ms > 0) {
        Sleep(COUNT_AFTER_MS);
        sample.controls = count_controls(window);
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

// The controls' window's command line, for as many controls of each kind
// as `counts`.
void controls_line(const wchar_t* yardstick, const ControlCounts& counts, wchar_t* line, int capacity) {
    text_copy(line, capacity, yardstick);
    for (int k = 0; k < CONTROL_KINDS; k++) {
        wchar_t kind[64];
        text_format(kind, 64, L" %ls%d", control_kind_argument((ControlKind)k), counts.of[k]);
        text_append(line, capacity, kind);
    }
}

constexpr int MOST_PROGRAMS = 16, LINE_CAPACITY = 1024;

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const int programs = argc - 4;
    if (programs < 1 || programs > MOST_PROGRAMS) {
        fwprintf(stderr, L"usage: first_paint <pairs> <minimal.exe> <controls.exe> <program.exe>...\n");
        return 2;
    }
    // Real pixels at any display scaling: Windows hands a program unaware of
    // it coordinates scaled to 96 DPI, which would miss the probe's point on
    // the screen (Wine 8 hands real pixels either way).
    SetProcessDPIAware();
    int pairs = _wtoi(argv[1]);
    const wchar_t* minimal = argv[2];
    static wchar_t yardsticks[MOST_PROGRAMS][LINE_CAPACITY];
    for (int which = 1; which <= programs; which++) {
        Sample counted = time_start(argv[3 + which], WHOLE_AND_COUNTED);
        controls_line(argv[3], counted.controls, yardsticks[which - 1], LINE_CAPACITY);
        wprintf(L"controls %d", which);
        for (int count : counted.controls.of) wprintf(L" %d", count);
        wprintf(L"\n");
        fflush(stdout);
    }
    for (int pair = 0; pair < pairs; pair++) {
        for (int which = 1; which <= programs; which++) {
            const wchar_t* program_line = argv[3 + which];
            const wchar_t* yardstick_line = yardsticks[which - 1];
            Sample plain, program, controls;
            if (pair % 2 == 0) {
                plain = time_start(minimal, FIRST_PAINT);
                program = time_start(program_line, WHOLE);
                controls = time_start(yardstick_line, WHOLE);
            } else {
                controls = time_start(yardstick_line, WHOLE);
                program = time_start(program_line, WHOLE);
                plain = time_start(minimal, FIRST_PAINT);
            }
            wprintf(L"%d %d %.1f %.1f %zu %.1f %.1f %zu %.1f %.1f %zu\n", which, pair, program.ms, program.whole_ms,
                    program.kib, program.line_ms, plain.ms, plain.kib, controls.ms, controls.whole_ms, controls.kib);
            fflush(stdout);
        }
    }
    return 0;
}
