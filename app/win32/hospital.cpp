// The hospital's policy values, and the delivery's own thread.
#include "app/win32/hospital.h"

namespace {

const wchar_t POLICY_KEY[] = L"SOFTWARE\\Policies\\OrvoMed\\Suite";

// A policy value, read where Group Policy writes it (the 64-bit view, for
// 32-bit programs too): its type, and how many bytes it holds. False when
// it is not there.
bool policy_value(const wchar_t* name, DWORD* type, void* value, DWORD* size) {
    HKEY key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, POLICY_KEY, 0, KEY_QUERY_VALUE | KEY_WOW64_64KEY, &key) != ERROR_SUCCESS)
        return false;
    LONG read = RegQueryValueExW(key, name, nullptr, type, (BYTE*)value, size);
    RegCloseKey(key);
    // Too big for the room: there, but not read.
    if (read == ERROR_MORE_DATA) *size = 0xFFFFFFFF;
    return read == ERROR_SUCCESS || read == ERROR_MORE_DATA;
}

// One pass at a time; a request during a pass makes one more after it.
struct Worker {
    CRITICAL_SECTION lock;
    bool made, running, again;
    HWND window;
    UINT message;
    DeliveryReport latest;
    HANDLE idle;  // set while no pass runs
};
Worker worker;

DWORD WINAPI deliver(void*) {
    static wchar_t connection[POLICY_CONNECTION_CAPACITY];
    static DeliveryReport report;
    for (;;) {
        report = {};
        switch (policy_records_database(connection, POLICY_CONNECTION_CAPACITY)) {
        case POLICY_SET: delivery_pass(connection, &report); break;
        case POLICY_TOO_LONG:
            report.problem = DELIVERY_CONNECTION_TOO_LONG;
            report.left = delivery_counts();
            break;
        case POLICY_NOT_SET: report.left = delivery_counts(); break;
        }
        EnterCriticalSection(&worker.lock);
        worker.latest = report;
        HWND window = worker.window;
        UINT message = worker.message;
        bool again = worker.again;
        worker.again = false;
        worker.running = again;
        if (!again) SetEvent(worker.idle);
        LeaveCriticalSection(&worker.lock);
        if (window) PostMessageW(window, message, 0, 0);
        if (!again) return 0;
    }
}

void make_worker() {
    if (worker.made) return;
    InitializeCriticalSection(&worker.lock);
    worker.idle = CreateEventW(nullptr, TRUE, TRUE, nullptr);
    worker.made = true;
}

}  // namespace

bool policy_requires_patient(bool assessment) {
    DWORD value = 0, type = 0, size = sizeof value;
    bool set = policy_value(L"RequirePatient", &type, &value, &size) && type == REG_DWORD && size == sizeof value &&
               (value == 0 || value == 1);
    return set ? value == 1 : assessment;
}

PolicyString policy_records_database(wchar_t* connection, int capacity) {
    connection[0] = 0;
    static wchar_t stored[POLICY_CONNECTION_CAPACITY];
    DWORD type = 0, size = sizeof stored;
    if (!policy_value(L"RecordsDatabase", &type, stored, &size) || (type != REG_SZ && type != REG_EXPAND_SZ))
        return POLICY_NOT_SET;
    if (size == 0xFFFFFFFF) return POLICY_TOO_LONG;
    // What was stored may lack its terminator.
    DWORD characters = size / sizeof(wchar_t);
    if (characters >= POLICY_CONNECTION_CAPACITY) {
        if (stored[POLICY_CONNECTION_CAPACITY - 1] != 0) return POLICY_TOO_LONG;
        characters = POLICY_CONNECTION_CAPACITY - 1;
    }
    stored[characters] = 0;
    if (!stored[0]) return POLICY_NOT_SET;
    if (type == REG_EXPAND_SZ) {
        DWORD needed = ExpandEnvironmentStringsW(stored, connection, (DWORD)capacity);
        if (needed == 0 || needed > (DWORD)capacity || needed > POLICY_CONNECTION_CAPACITY) {
            connection[0] = 0;
            return POLICY_TOO_LONG;
        }
        return POLICY_SET;
    }
    if (text_length(stored) > DELIVERY_CONNECTION_LIMIT || text_length(stored) >= capacity) return POLICY_TOO_LONG;
    text_copy(connection, capacity, stored);
    return POLICY_SET;
}

void delivery_start(HWND window, UINT message) {
    wchar_t connection[POLICY_CONNECTION_CAPACITY];
    if (policy_records_database(connection, POLICY_CONNECTION_CAPACITY) == POLICY_NOT_SET) return;
    make_worker();
    EnterCriticalSection(&worker.lock);
    worker.window = window;
    worker.message = message;
    bool start = !worker.running;
    if (worker.running) worker.again = true;
    worker.running = true;
    ResetEvent(worker.idle);
    LeaveCriticalSection(&worker.lock);
    if (!start) return;
    HANDLE thread = CreateThread(nullptr, 0, deliver, nullptr, 0, nullptr);
    if (thread) {
        CloseHandle(thread);
    } else {
        EnterCriticalSection(&worker.lock);
        worker.running = false;
        SetEvent(worker.idle);
        LeaveCriticalSection(&worker.lock);
    }
}

bool delivery_latest(DeliveryReport* report) {
    *report = {};
    if (!worker.made) return false;
    EnterCriticalSection(&worker.lock);
    *report = worker.latest;
    bool more = worker.running;
    LeaveCriticalSection(&worker.lock);
    return more;
}

void delivery_finish(int milliseconds) {
    if (worker.made) WaitForSingleObject(worker.idle, (DWORD)milliseconds);
}
