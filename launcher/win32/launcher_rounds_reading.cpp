// The ward list's reading on a thread of its own, so that the window never
// waits on the hospital's server: one reading at a time, each call to the
// server bounded by the database seam, the list read kept for the window.
#include "common/win32/hospital_policy.h"
#include "launcher/win32/launcher_internal.h"
#include "suite/catalogue.h"

namespace {

// The hospital's database through the reading connection, else this
// user's records; the catalogue's scales, and the admission's the policy
// names.
RoundsProblem read_list(const wchar_t* connection, const wchar_t* ward, MomentSeconds now, int utc_offset_minutes,
                        RoundsList* list) {
    if (!connection[0]) return rounds_read_this_user(suite_tools, suite_tool_count, ward, now, utc_offset_minutes, list);
    wchar_t admission[POLICY_ADMISSION_TEXT_CAPACITY];
    policy_admission_scales(admission, POLICY_ADMISSION_TEXT_CAPACITY);
    return rounds_read_ward(connection, ward, admission, suite_tools, suite_tool_count, now, utc_offset_minutes, list);
}

struct Reader {
    CRITICAL_SECTION lock;
    bool made, running, again;
    HWND window;
    UINT message;
    wchar_t ward[PATIENT_FIELD_CAPACITY];
    // What the window takes: the list last read whole, and the last try.
    RoundsList latest;
    bool read_once, tried;
    MomentSeconds tried_at;
    RoundsProblem problem;
    HANDLE idle;  // set while no reading runs
};
Reader reader;

MomentSeconds now_moment(int* utc_offset_minutes) {
    LocalTime now;
    platform_calls.local_time(&now);
    *utc_offset_minutes = now.utc_offset_minutes;
    return reassess_moment(now);
}

DWORD WINAPI read_lists(void*) {
    // The thread's own: a list is large, and only one reading runs.
    static RoundsList list;
    static wchar_t connection[POLICY_CONNECTION_CAPACITY];
    static wchar_t ward[PATIENT_FIELD_CAPACITY];
    for (;;) {
        EnterCriticalSection(&reader.lock);
        text_copy(ward, PATIENT_FIELD_CAPACITY, reader.ward);
        LeaveCriticalSection(&reader.lock);
        int offset = 0;
        const MomentSeconds now = now_moment(&offset);
        RoundsProblem problem = ROUNDS_READ;
        // Without a reading connection, this Windows user's records; one
        // too long to read is told, never cut.
        switch (policy_reading_database(connection, POLICY_CONNECTION_CAPACITY)) {
        case POLICY_SET: problem = read_list(connection, ward, now, offset, &list); break;
        case POLICY_TOO_LONG: problem = ROUNDS_CONNECTION_TOO_LONG; break;
        case POLICY_NOT_SET: problem = read_list(L"", ward, now, offset, &list); break;
        }
        EnterCriticalSection(&reader.lock);
        if (problem == ROUNDS_READ) {
            reader.latest = list;
            reader.read_once = true;
        }
        reader.tried = true;
        reader.tried_at = now;
        reader.problem = problem;
        HWND window = reader.window;
        UINT message = reader.message;
        bool again = reader.again;
        reader.again = false;
        reader.running = again;
        if (!again) SetEvent(reader.idle);
        LeaveCriticalSection(&reader.lock);
        if (window) PostMessageW(window, message, 0, 0);
        if (!again) return 0;
    }
}

}  // namespace

void rounds_reading_start(HWND window, UINT message, const wchar_t* ward) {
    if (!reader.made) {
        InitializeCriticalSection(&reader.lock);
        reader.idle = CreateEventW(nullptr, TRUE, TRUE, nullptr);
        reader.made = true;
    }
    EnterCriticalSection(&reader.lock);
    reader.window = window;
    reader.message = message;
    text_copy(reader.ward, PATIENT_FIELD_CAPACITY, ward);
    bool start = !reader.running;
    if (reader.running) reader.again = true;
    reader.running = true;
    ResetEvent(reader.idle);
    LeaveCriticalSection(&reader.lock);
    if (!start) return;
    HANDLE thread = CreateThread(nullptr, 0, read_lists, nullptr, 0, nullptr);
    if (thread) {
        CloseHandle(thread);
        return;
    }
    EnterCriticalSection(&reader.lock);
    reader.running = false;
    SetEvent(reader.idle);
    LeaveCriticalSection(&reader.lock);
}

bool rounds_reading_latest(RoundsList* list, bool* read_once, MomentSeconds* tried_at, RoundsProblem* problem) {
    if (!reader.made) return false;
    EnterCriticalSection(&reader.lock);
    bool tried = reader.tried;
    if (reader.read_once) *list = reader.latest;
    *read_once = reader.read_once;
    *tried_at = reader.tried_at;
    *problem = reader.problem;
    LeaveCriticalSection(&reader.lock);
    return tried;
}

void rounds_reading_finish(int milliseconds) {
    if (reader.made) WaitForSingleObject(reader.idle, (DWORD)milliseconds);
}
