// The tools the launcher opened, each with the patient it was opened for:
// when the bar goes on to another patient, a tool still open for the one
// before is told, so that its window can say whose it is.
#include <wchar.h>

#include "common/win32/suite_messages.h"
#include "launcher/win32/launcher_internal.h"

namespace {

// A window of a tool told that the bar holds another patient.
struct ToldProcess {
    DWORD process_id;
    UINT message;
};
BOOL CALLBACK tell_window(HWND window, LPARAM data) {
    const ToldProcess& told = *(const ToldProcess*)data;
    DWORD process_id = 0;
    GetWindowThreadProcessId(window, &process_id);
    if (process_id == told.process_id) PostMessageW(window, told.message, 0, 0);
    return TRUE;
}

}  // namespace

void follow_opened_tool(DWORD process_id, const Patient& patient) {
    LauncherState& s = launcher_state;
    if (s.opened_count == LAUNCHER_OPENED_MAX) {
        for (int k = 1; k < LAUNCHER_OPENED_MAX; k++) s.opened[k - 1] = s.opened[k];
        s.opened_count--;
    }
    OpenedTool& opened = s.opened[s.opened_count++];
    opened.process_id = process_id;
    patient_owner(patient, opened.owner, PATIENT_OWNER_CAPACITY);
    opened.told = false;
}

void launcher_tell_opened_tools() {
    LauncherState& s = launcher_state;
    static const UINT message = RegisterWindowMessageW(SUITE_PATIENT_CHANGED_MESSAGE);
    wchar_t owner[PATIENT_OWNER_CAPACITY];
    bar_owner(owner);
    for (int k = 0; k < s.opened_count; k++) {
        OpenedTool& opened = s.opened[k];
        if (opened.told || !opened.owner[0] || wcscmp(opened.owner, owner) == 0) continue;
        opened.told = true;
        ToldProcess target = {opened.process_id, message};
        EnumWindows(tell_window, (LPARAM)&target);
    }
}
