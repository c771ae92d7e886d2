// Measures how long GUI programs take from process start to the first paint
// of their window: starts one, watches a point of its client area on the
// screen until it shows the header band's colour, then closes it. A
// program may be given with its arguments ("T018.exe --patient-id=..."):
// a tool started with a patient is also timed until it shows the patient's
// last assessment.
//   first_paint <runs> <program.exe [arguments]>...
// The programs take turns, so a machine that slows down or speeds up during
// the measurement affects them alike. Prints one line per run: the program's
// place in the list, milliseconds to first paint, the peak working set in
// KiB, and milliseconds until the last assessment shows (-1 for a window
// without one), all read from outside the programs.
#include <windows.h>
#include <psapi.h>
#include <stdio.h>
#include <stdlib.h>
#include <wchar.h>

#include "app/win32/window_look.h"

namespace {

// A point inside the header band of Glyvant's client area (and inside the
// yardstick window's solid fill).
constexpr int PROBE_X = 900, PROBE_Y = 82;
static_assert(PROBE_Y < BAND_HEIGHT, "the probe lies in the band");
constexpr COLORREF BAND = palette.band;
// The tool window's line of the patient's last assessment.
constexpr int LAST_ASSESSMENT_ID = 5001;

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
        wchar_t program[1024];
        _snwprintf(program, 1024, L"%ls", argv[2 + which]);
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
        LARGE_INTEGER start, now;
        QueryPerformanceCounter(&start);
        if (!CreateProcessW(program, command, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                            &process)) {
            fwprintf(stderr, L"cannot start %ls\n", program);
            return 1;
        }
        double ms = -1, line_ms = -1;
        HWND window = nullptr;
        for (;;) {
            Search search = {process.dwProcessId, nullptr};
            EnumWindows(match_window, (LPARAM)&search);
            QueryPerformanceCounter(&now);
            double elapsed = (now.QuadPart - start.QuadPart) * 1000.0 / frequency.QuadPart;
            if (search.found && painted(search.found)) {
                ms = elapsed;
                window = search.found;
                break;
            }
            if (elapsed > 30000) break;
            Sleep(1);
        }
        HWND line = window && *arguments ? GetDlgItem(window, LAST_ASSESSMENT_ID) : nullptr;
        while (line) {
            wchar_t text[8] = L"";
            SendMessageW(line, WM_GETTEXT, 8, (LPARAM)text);
            QueryPerformanceCounter(&now);
            double elapsed = (now.QuadPart - start.QuadPart) * 1000.0 / frequency.QuadPart;
            if (text[0]) {
                line_ms = elapsed;
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
        wprintf(L"%d %.1f %zu %.1f\n", which, ms, memory.PeakWorkingSetSize / 1024, line_ms);
        fflush(stdout);
    }
    return 0;
}
