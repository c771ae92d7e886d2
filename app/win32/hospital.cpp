// The hospital's policy values, and the delivery's own thread.
#include "app/win32/hospital.h"

namespace {

const wchar_t POLICY_KEY[] = L"SOFTWARE\\Policies\\OrvoMed\\Suite";

// A policy value of `type`, read where Group Policy writes it (the 64-bit
// view, for 32-bit programs too).
bool policy_value(const wchar_t* name, DWORD type, void* value, DWORD size) {
    HKEY key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, POLICY_KEY, 0, KEY_QUERY_VALUE | KEY_WOW64_64KEY, &key) != ERROR_SUCCESS)
        return false;
    DWORD found = 0;
    bool read = RegQueryValueExW(key, name, nullptr, &found, (BYTE*)value, &size) == ERROR_SUCCESS && found == type;
    RegCloseKey(key);
    return read;
}

// One pass at a time; a request during a pass makes one more after it.
struct Worker {
    CRITICAL_SECTION lock;
    bool made, running, again;
    HWND window;
    UINT message;
};
Worker worker;

DWORD WINAPI deliver(void*) {
    static wchar_t connection[POLICY_CONNECTION_CAPACITY];
    for (;;) {
        DeliveryReport report = {};
        if (policy_records_database(connection, POLICY_CONNECTION_CAPACITY)) delivery_pass(connection, &report);
        EnterCriticalSection(&worker.lock);
        HWND window = worker.window;
        UINT message = worker.message;
        bool again = worker.again;
        worker.again = false;
        worker.running = again;
        LeaveCriticalSection(&worker.lock);
        if (window) PostMessageW(window, message, (WPARAM)report.problem, (LPARAM)report.waiting);
        if (!again) return 0;
    }
}

}  // namespace

bool policy_requires_patient() {
    DWORD value = 0;
    return policy_value(L"RequirePatient", REG_DWORD, &value, sizeof value) && value == 1;
}

bool policy_records_database(wchar_t* connection, int capacity) {
    connection[0] = 0;
    DWORD size = (DWORD)((capacity - 1) * sizeof(wchar_t));
    if (!policy_value(L"RecordsDatabase", REG_SZ, connection, size)) {
        connection[0] = 0;
        return false;
    }
    connection[capacity - 1] = 0;
    return connection[0] != 0;
}

void delivery_start(HWND window, UINT message) {
    wchar_t connection[POLICY_CONNECTION_CAPACITY];
    if (!policy_records_database(connection, POLICY_CONNECTION_CAPACITY)) return;
    if (!worker.made) {
        InitializeCriticalSection(&worker.lock);
        worker.made = true;
    }
    EnterCriticalSection(&worker.lock);
    worker.window = window;
    worker.message = message;
    bool start = !worker.running;
    if (worker.running) worker.again = true;
    worker.running = true;
    LeaveCriticalSection(&worker.lock);
    if (!start) return;
    HANDLE thread = CreateThread(nullptr, 0, deliver, nullptr, 0, nullptr);
    if (thread) {
        CloseHandle(thread);
    } else {
        EnterCriticalSection(&worker.lock);
        worker.running = false;
        LeaveCriticalSection(&worker.lock);
    }
}

bool delivery_status(DeliveryProblem problem, int waiting, bool after_save, wchar_t* status, int capacity) {
    if (problem == DELIVERY_DONE && waiting == 0) {
        text_copy(status, capacity, after_save ? L"已保存；已上传医院数据库" : L"医院数据库：无待上传记录");
        return false;
    }
    if (problem == DELIVERY_DONE) {
        // Another program holds the rest: they go with its delivery.
        text_format(status, capacity, L"%ls%d 条待上传", after_save ? L"已保存；" : L"医院数据库：", waiting);
        return false;
    }
    text_format(status, capacity, L"%ls医院数据库暂不可用，%d 条待上传（将自动重试）：%ls",
                after_save ? L"已保存到本机；" : L"", waiting, delivery_problem_words(problem));
    return true;
}
