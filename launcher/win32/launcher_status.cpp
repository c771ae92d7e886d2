// The status line: what the last action came to, redrawn at once.
#include "launcher/win32/launcher_internal.h"

void set_status(const wchar_t* text, bool warning) {
    lstrcpynW(launcher_state.status, text, LAUNCHER_STATUS_CAPACITY);
    launcher_state.status_warning = warning;
    launcher_state.delivery_telling = false;
    RECT r = px_box(STATUS_LINE);
    InvalidateRect(launcher_state.window, &r, TRUE);
}
