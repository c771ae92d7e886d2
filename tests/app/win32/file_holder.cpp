// Holds a file open the way Excel holds a CSV it shows: for reading, other
// readers allowed, writers refused, until the test lets go.
//   file_holder <path> <held event> <release event>
// Signals the held event once the file is open, waits for the release event
// (a minute at most), then closes the file. Exit 0 when all went so.
//   file_holder <path> <seconds>
// For a shell: prints "held" once the file is open, and holds it so long.
#include <stdio.h>
#include <wchar.h>
#include <windows.h>

int wmain(int argc, wchar_t** argv) {
    if (argc == 3) {
        HANDLE file = CreateFileW(argv[1], GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) return 3;
        printf("held\n");
        fflush(stdout);
        Sleep((DWORD)(wcstol(argv[2], nullptr, 10) * 1000));
        CloseHandle(file);
        return 0;
    }
    if (argc != 4) return 2;
    HANDLE file = CreateFileW(argv[1], GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    HANDLE held = OpenEventW(EVENT_MODIFY_STATE, FALSE, argv[2]);
    HANDLE release = OpenEventW(SYNCHRONIZE, FALSE, argv[3]);
    if (file == INVALID_HANDLE_VALUE || !held || !release) return 3;
    SetEvent(held);
    DWORD waited = WaitForSingleObject(release, 60000);
    CloseHandle(file);
    return waited == WAIT_OBJECT_0 ? 0 : 4;
}
