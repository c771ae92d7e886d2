// The launcher's one window: the patient bar, a search box, the tools
// (favourites, recent ones, then by category; ranked by the search while one
// is typed), the selected tool's details, and buttons to open or star it.
#pragma once

#include <windows.h>

#include "glyvant_program.h"
#include "launcher/launcher_lists.h"
#include "patient/patient.h"

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
};

// Posted by the delivery's thread when a pass over the outbox ends.
constexpr UINT WM_LAUNCHER_DELIVERY_DONE = WM_APP + 1;

// A row of the list: a tool (its index in the catalogue) or a group's heading.
constexpr int ROW_HEADING = -1;
constexpr int LAUNCHER_MAX_ROWS = 512;
constexpr int LAUNCHER_STATUS_CAPACITY = 256;
// The bar shows the hospital number, the name and the bed on its first
// row, the nurse's number and name on its second.
constexpr int LAUNCHER_BAR_FIELDS = 5;
constexpr int LAUNCHER_PATIENT_FIELDS = 3;  // the first of them: the patient's
// The bar's labels and fields, 换患者, 换护士, the search box, the list, the
// details, 打开 and 收藏.
constexpr int LAUNCHER_CHILD_COUNT = 2 * LAUNCHER_BAR_FIELDS + 7;
// The tools opened for a patient that the launcher tells when its bar
// holds another: the latest this many.
constexpr int LAUNCHER_OPENED_MAX = 64;

// A tool the launcher opened, and for whom.
struct OpenedTool {
    DWORD process_id;
    wchar_t owner[PATIENT_OWNER_CAPACITY];  // patient_owner; "" for no one
    bool told;  // it has been told the bar holds another patient
};

struct LauncherState {
    HINSTANCE instance;
    HWND window, search, list, details;
    HWND patient_fields[LAUNCHER_BAR_FIELDS];  // the patient's row, then the nurse's
    HWND children[LAUNCHER_CHILD_COUNT];       // every child, in the Tab order
    // The window's DPI: what its units of layout (a pixel at 96 DPI) and
    // its fonts are scaled by.
    int dpi;
    HFONT font, font_title;
    HBRUSH white_brush;
    LauncherLists lists;
    // The ward and the stay the hospital system gave with the patient,
    // passed on to every tool opened until the patient is changed; the
    // bar's fields are read from their boxes, what the nurse sees.
    Patient patient;
    // The number the bar's name and bed were given with: a new one clears
    // them, and the ward and stay.
    wchar_t bar_number[2 * PATIENT_FIELD_CAPACITY];
    OpenedTool opened[LAUNCHER_OPENED_MAX];
    int opened_count;
    // Where the tools' programs are: the launcher's own folder, or a test's.
    wchar_t program_folder[MAX_PATH];
    wchar_t status[LAUNCHER_STATUS_CAPACITY];
    bool status_warning;  // drawn in amber: results the hospital's database has not taken
    bool delivery_told;   // the status line tells of results waiting or refused
};
extern LauncherState launcher_state;

// Creates and shows the window, reading the user's lists and the patient
// from `command_line` (the launcher's whole command line; nullptr for none).
// Arguments not taken are told in a box once the window shows. nullptr when
// the window cannot be created.
HWND launcher_create(HINSTANCE instance, const wchar_t* command_line);
// Fills the list for the search box's text and selects its first tool.
void launcher_refresh();
// The catalogue index of the selected row's tool, or -1.
int launcher_selected_tool();
// Starts the selected tool's program from the program folder, with the
// patient and the nurse in a hand-over file (a patient half given as well:
// the tool shows it and saves nothing until it is whole), and follows it; says in the status line what came
// of it, never the patient. The list shows it among the recent tools at
// once, and it stays selected. A field of the bar at fault is named in a box
// and nothing is opened.
void launcher_open_selected();
// 换患者: empties the patient's row of the bar, forgets the ward and stay
// given with the patient, keeps the nurse, and puts the focus in the
// hospital number's field.
void launcher_new_patient();
// 换护士: empties the nurse's row and puts the focus in the nurse's number.
void launcher_new_nurse();
// The bar's patient may have changed: every tool opened for another is
// told, once, that the window is still that patient's.
void launcher_tell_opened_tools();
// Stars or unstars the selected tool and keeps the lists; the list is
// regrouped at once, the tool still selected.
void launcher_star_selected();
// Down and Up in the search box or the list move through the tools (never
// onto a heading), Enter opens the selected one, Esc clears the search.
// Enter in a field of the bar moves on to the next field, from the last to
// the search box. True when the message was consumed.
bool launcher_route_key(const MSG& message);
// One message of the window's loop: the keys above, then the dialog keys
// (Tab between the controls), then the control's own handling.
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
