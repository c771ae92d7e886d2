// Holds a file open the way Excel holds a CSV it shows: for reading, other
// readers allowed, writers refused, until the test lets go.
//   file_holder <path> <held event> <release event>
// Signals the held event once the file is open, waits for the release event
// (a minute at most), then closes the file. Exit 0 when all went so.
#include <windows.h>

int wmain(int argc, wchar_t** argv) {
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
