// Opening a tool: its program, started from the program folder, is handed
// the bar's patient and nurse in a file of the user's own.
#include "launcher/win32/launcher_internal.h"
#include "quality/quality.h"
#include "store/store.h"
#include "suite/catalogue.h"

namespace {

// The command line: the program's quoted path and the hand-over file's.
constexpr int COMMAND_CAPACITY = MAX_PATH * 2 + 24 + RECORD_PATH_CAPACITY;

}  // namespace

void launcher_open_selected() { launcher_open_tool(launcher_selected_tool()); }

void launcher_open_tool(int tool) {
    LauncherState& s = launcher_state;
    Patient patient;
    if (tool < 0 || !bar_patient(&patient)) return;
    wchar_t path[MAX_PATH * 2], status[LAUNCHER_STATUS_CAPACITY];
    // A path cut short would name another file: it counts as not found.
    bool named = text_format(path, MAX_PATH * 2, L"%ls\\%ls", s.program_folder, suite_programs[tool]) >= 0;
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!named || GetFileAttributesW(path) == INVALID_FILE_ATTRIBUTES) {
        text_format_marked(status, LAUNCHER_STATUS_CAPACITY, L"未找到程序 %ls，请联系信息科重新安装", suite_programs[tool]);
        set_status(status);
        return;
    }
    // The patient goes to the tool in a file of the user's own, never on
    // its command line, which process auditing and other programs read;
    // CreateProcessW may write into the line it is given.
    wchar_t handover[RECORD_PATH_CAPACITY] = L"", command[COMMAND_CAPACITY];
    bool given = false;
    for (const auto& field : patient.fields) given = given || field[0];
    if (given) {
        if (!handover_write(patient, handover, RECORD_PATH_CAPACITY)) {
            set_status(L"患者信息无法交给工具（本机数据文件夹不可写），请联系信息科");
            return;
        }
    }
    bool named_command = text_format(command, COMMAND_CAPACITY, handover[0] ? L"\"%ls\" \"--patient-file=%ls\"" : L"\"%ls\"",
                                     path, handover) >= 0;
    if (!named_command || !launcher_start_process(path, command, nullptr, nullptr, FALSE, 0, nullptr,
                                                  s.program_folder, &startup, &process)) {
        DWORD error = named_command ? GetLastError() : ERROR_FILENAME_EXCED_RANGE;
        if (handover[0]) DeleteFileW(handover);
        text_format_marked(status, LAUNCHER_STATUS_CAPACITY, L"%ls 无法启动（错误 %lu）", suite_programs[tool], error);
        set_status(status);
        return;
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    // Followed, so that it is told when the bar goes on to another patient.
    follow_opened_tool(process.dwProcessId, patient);
    launcher_note_opened(&s.lists, suite_tools[tool]->id);
    fill_list(true);
    text_format_marked(status, LAUNCHER_STATUS_CAPACITY, L"已打开：%ls", suite_tools[tool]->title);
    keep_lists(status, L"（最近使用未能保存）");
}

void launcher_open_quality() {
    LauncherState& s = launcher_state;
    wchar_t path[MAX_PATH * 2], command[MAX_PATH * 2 + 4], status[LAUNCHER_STATUS_CAPACITY];
    bool named = text_format(path, MAX_PATH * 2, L"%ls\\%ls", s.program_folder, GLYVANT_QUALITY_PROGRAM) >= 0 &&
                 text_format(command, MAX_PATH * 2 + 4, L"\"%ls\"", path) >= 0;
    if (!named || GetFileAttributesW(path) == INVALID_FILE_ATTRIBUTES) {
        text_format_marked(status, LAUNCHER_STATUS_CAPACITY, L"未找到程序 %ls，请联系信息科重新安装", GLYVANT_QUALITY_PROGRAM);
        set_status(status);
        return;
    }
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!launcher_start_process(path, command, nullptr, nullptr, FALSE, 0, nullptr, s.program_folder, &startup,
                                &process)) {
        text_format_marked(status, LAUNCHER_STATUS_CAPACITY, L"%ls 无法启动（错误 %lu）", GLYVANT_QUALITY_PROGRAM,
                           GetLastError());
        set_status(status);
        return;
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    text_format_marked(status, LAUNCHER_STATUS_CAPACITY, L"已打开：%ls", QUALITY_TITLE);
    set_status(status);
}
