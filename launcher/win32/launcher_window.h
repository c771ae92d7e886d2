// The launcher's one window: a search box, the tools (favourites, recent
// ones, then by category; ranked by the search while one is typed), the
// selected tool's details, and buttons to open or star it.
#pragma once

#include <windows.h>

#include "glyvant_program.h"
#include "launcher/launcher_lists.h"

#define LAUNCHER_TITLE L"" GLYVANT_PROGRAM_TITLE

enum LauncherControl : int {
    IDC_LAUNCHER_SEARCH = 101,
    IDC_LAUNCHER_LIST = 102,
    IDC_LAUNCHER_DETAILS = 103,
    IDC_LAUNCHER_OPEN = 104,
    IDC_LAUNCHER_STAR = 105,
};

// A row of the list: a tool (its index in the catalogue) or a group's heading.
constexpr int ROW_HEADING = -1;
constexpr int LAUNCHER_MAX_ROWS = 512;
constexpr int LAUNCHER_STATUS_CAPACITY = 256;

struct LauncherState {
    HINSTANCE instance;
    HWND window, search, list, details;
    HFONT font, font_title;
    LauncherLists lists;
    // Where the tools' programs are: the launcher's own folder, or a test's.
    wchar_t program_folder[MAX_PATH];
    wchar_t status[LAUNCHER_STATUS_CAPACITY];
};
extern LauncherState launcher_state;

// Creates and shows the window, reading the user's lists. nullptr when it
// cannot be created.
HWND launcher_create(HINSTANCE instance);
// Fills the list for the search box's text and selects its first tool.
void launcher_refresh();
// The catalogue index of the selected row's tool, or -1.
int launcher_selected_tool();
// Starts the selected tool's program from the program folder; says in the
// status line what came of it. The list shows it among the recent tools at
// once, and it stays selected.
void launcher_open_selected();
// Stars or unstars the selected tool and keeps the lists; the list is
// regrouped at once, the tool still selected.
void launcher_star_selected();
// Down and Up in the search box or the list move through the tools (never
// onto a heading), Enter opens the selected one, Esc clears the search.
// True when the message was consumed.
bool launcher_route_key(const MSG& message);
int launcher_run(HINSTANCE instance);
