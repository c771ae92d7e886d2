// The delivery's own thread: one pass at a time, reported to the window
// that asked.
#include "common/win32/delivery_worker.h"

#include "common/win32/hospital_policy.h"
#include "common/win32/suite_window.h"

namespace {

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
        if (report.delivered) tell_results_saved();
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
