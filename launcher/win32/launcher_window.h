// The launcher's one window: the patient bar, a search box, the tools
// (favourites, recent ones, then by category; ranked by the search while one
// is typed), the selected tool's details, and buttons to open or star it.
#pragma once

#include <windows.h>

#include "glyvant_program.h"
#include "rounds/rounds.h"

#define LAUNCHER_TITLE L"" GLYVANT_PROGRAM_TITLE

enum LauncherControl : int {
    IDC_LAUNCHER_SEARCH = 101,
    IDC_LAUNCHER_LIST = 102,
    IDC_LAUNCHER_DETAILS = 103,
    IDC_LAUNCHER_OPEN = 104,
    IDC_LAUNCHER_STAR = 105,
    IDC_LAUNCHER_PATIENT_ID = 106,  // the patient bar's fields, in the order of patient_fields
    IDC_LAUNCHER_PATIENT_NAME = 107,
    IDC_LAUNCHER_BED = 108,
    IDC_LAUNCHER_NEW_PATIENT = 109,  // 换患者
    IDC_LAUNCHER_LABEL = 110,        // every label of the bar
    IDC_LAUNCHER_NURSE_ID = 111,
    IDC_LAUNCHER_NURSE_NAME = 112,
    IDC_LAUNCHER_NEW_NURSE = 113,    // 换护士
    IDC_LAUNCHER_ROUNDS_HEADING = 114,  // the ward list's heading: its ward, source and when it was read
    IDC_LAUNCHER_ROUNDS = 115,          // the ward list, 本病区评估提醒
    IDC_LAUNCHER_PRINT_ROUNDS = 116,    // 打印交班表
    IDC_LAUNCHER_QUALITY = 117,         // 护理质量月报: the quality department's program
};

// Creates and shows the window, reading the user's lists and the patient
// from `command_line` (the launcher's whole command line; nullptr for none).
// Arguments not taken are told in a box once the window shows. nullptr when
// the window cannot be created.
HWND launcher_create(HINSTANCE instance, const wchar_t* command_line);
// The catalogue index of the selected row's tool, or -1.
int launcher_selected_tool();
// One message of the window's loop: first the launcher's own keys, then the
// dialog keys (Tab between the controls), then the control's own handling.
// Down and Up in the search box or the list move through the tools (never
// onto a heading), Enter opens the selected one, Esc clears the search.
// Enter in a field of the bar moves on to the next field, from the last to
// the search box. Enter in the ward list opens the row's scale for its
// patient, Ctrl+P there prints the handover sheet.
void launcher_dispatch(MSG* message);
int launcher_run(HINSTANCE instance);

// Message boxes go through here, so tests can record what would be shown
// instead of blocking on a box.
using LauncherMessageBox = int(WINAPI*)(HWND owner, LPCWSTR text, LPCWSTR caption, UINT flags);
extern LauncherMessageBox launcher_message_box;
// Tools' programs are started through here (CreateProcessW), so tests can
// read the command line a tool is given.
using ProcessStarter = BOOL(WINAPI*)(LPCWSTR program, LPWSTR command_line, LPSECURITY_ATTRIBUTES process,
                                     LPSECURITY_ATTRIBUTES thread, BOOL inherit, DWORD flags, LPVOID environment,
                                     LPCWSTR folder, LPSTARTUPINFOW startup, LPPROCESS_INFORMATION started);
extern ProcessStarter launcher_start_process;
