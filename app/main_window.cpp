// The main window. Until it is built, the program says so and ends with the
// code for a window that could not be created.
#include "app/main_window.h"

int main_window_run(HINSTANCE, const ToolDef& tool) {
    MessageBoxW(nullptr, L"此版本尚未包含主窗口，请使用 --selftest 运行自检。", tool.title,
                MB_OK | MB_ICONWARNING);
    return 1;
}
