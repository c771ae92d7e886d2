// Measures how long GUI programs take from process start to the first paint
// of their window: starts one, watches a point of its client area on the
// screen until it shows the header band's colour, then closes it.
//   first_paint <runs> <program.exe>...
// The programs take turns, so a machine that slows down or speeds up during
// the measurement affects them alike. Prints one line per run: the program's
// place in the list, milliseconds to first paint and the peak working set in
// KiB, all read from outside the programs.
#include <windows.h>
#include <psapi.h>
#include <stdio.h>
#include <stdlib.h>

#include "app/win32/window_look.h"

namespace {

// A point inside the header band of Glyvant's client area (and inside the
// yardstick window's solid fill).
constexpr int PROBE_X = 900, PROBE_Y = 70;
static_assert(PROBE_Y < BAND_HEIGHT, "the probe lies in the band");
constexpr COLORREF BAND = palette.band;

struct Search {
    DWORD process_id;
    HWND found;
};

BOOL CALLBACK match_window(HWND window, LPARAM context) {
    Search* search = (Search*)context;
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != search->process_id || !IsWindowVisible(window)) return TRUE;
    search->found = window;
    return FALSE;
}

bool painted(HWND window) {
    POINT probe = {PROBE_X, PROBE_Y};
    ClientToScreen(window, &probe);
    HDC screen = GetDC(nullptr);
    COLORREF colour = GetPixel(screen, probe.x, probe.y);
    ReleaseDC(nullptr, screen);
    return colour == BAND;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) {
        fwprintf(stderr, L"usage: first_paint <runs> <program.exe>...\n");
        return 2;
    }
    int runs = _wtoi(argv[1]) * (argc - 2);
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    for (int run = 0; run < runs; run++) {
        int which = run % (argc - 2);
        const wchar_t* program = argv[2 + which];
        STARTUPINFOW startup = {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process = {};
        wchar_t command[1024];
        _snwprintf(command, 1024, L"\"%ls\"", program);
        command[1023] = 0;
        LARGE_INTEGER start, now;
        QueryPerformanceCounter(&start);
        if (!CreateProcessW(program, command, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                            &process)) {
            fwprintf(stderr, L"cannot start %ls\n", program);
            return 1;
        }
        double ms = -1;
        for (;;) {
            Search search = {process.dwProcessId, nullptr};
            EnumWindows(match_window, (LPARAM)&search);
            QueryPerformanceCounter(&now);
            double elapsed = (now.QuadPart - start.QuadPart) * 1000.0 / frequency.QuadPart;
            if (search.found && painted(search.found)) {
                ms = elapsed;
                break;
            }
            if (elapsed > 30000) break;
            Sleep(1);
        }
        PROCESS_MEMORY_COUNTERS memory = {};
        memory.cb = sizeof memory;
        GetProcessMemoryInfo(process.hProcess, &memory, sizeof memory);
        TerminateProcess(process.hProcess, 0);
        WaitForSingleObject(process.hProcess, 10000);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
        wprintf(L"%d %.1f %zu\n", which, ms, memory.PeakWorkingSetSize / 1024);
        fflush(stdout);
    }
    return 0;
}
