// What the launcher window's files share: the window's one state record,
// the units its layout is drawn in, and the handlers its window procedure
// calls. Nothing outside launcher/win32/ but the window's tests includes it.
#pragma once

#include <windows.h>

#include "app/app.h"
#include "common/win32/suite_look.h"
#include "delivery/delivery.h"
#include "launcher/launcher_lists.h"
#include "launcher/win32/launcher_window.h"
#include "patient/patient.h"
#include "rounds/rounds.h"

// Posted by the delivery's thread when a pass over the outbox ends.
constexpr UINT WM_LAUNCHER_DELIVERY_DONE = WM_APP + 1;
// Posted by the ward list's reading thread when a reading ends.
constexpr UINT WM_LAUNCHER_ROUNDS_READ = WM_APP + 2;
// The window's timers: the delivery's passes, and the ward list read again.
constexpr UINT_PTR DELIVERY_TIMER = 1, ROUNDS_TIMER = 2;
constexpr UINT ROUNDS_REFRESH_MILLISECONDS = 5 * 60 * 1000;

// A row of the list: a tool (its index in the catalogue) or a group's heading.
constexpr int ROW_HEADING = -1;
constexpr int LAUNCHER_MAX_ROWS = 512;
constexpr int LAUNCHER_STATUS_CAPACITY = 256;
// The bar shows the hospital number, the name and the bed on its first
// row, the nurse's number and name on its second.
constexpr int LAUNCHER_BAR_FIELDS = 5;
constexpr int LAUNCHER_PATIENT_FIELDS = 3;  // the first of them: the patient's
// The bar's labels and fields, 换患者, 换护士, the search box, the list, the
// details, 打开 and 收藏, then the ward list's heading, the ward list and
// 打印交班表, and 护理质量月报.
constexpr int LAUNCHER_CHILD_COUNT = 2 * LAUNCHER_BAR_FIELDS + 11;
// The tools opened for a patient that the launcher tells when its bar
// holds another: the latest this many.
constexpr int LAUNCHER_OPENED_MAX = 64;

// A tool the launcher opened, and for whom.
struct OpenedTool {
    DWORD process_id;
    wchar_t owner[PATIENT_OWNER_CAPACITY];  // patient_owner; "" for no one
    bool told;  // it has been told the bar holds another patient
};

// The list's rows: a catalogue index, or ROW_HEADING with its text.
struct LauncherRows {
    int tool[LAUNCHER_MAX_ROWS];
    const wchar_t* heading[LAUNCHER_MAX_ROWS];
    int count;
};

struct LauncherState {
    HINSTANCE instance;
    HWND window, search, list, details;
    HWND rounds_heading, rounds_list;  // the ward list 本病区评估提醒 (its rows: launcher_rounds.cpp)
    HWND patient_fields[LAUNCHER_BAR_FIELDS];  // the patient's row, then the nurse's
    HWND children[LAUNCHER_CHILD_COUNT];       // every child, in the Tab order
    // The window's DPI: what its units of layout (a pixel at 96 DPI) and
    // its fonts are scaled by.
    int dpi;
    HFONT font, font_title;
    HBRUSH white_brush;
    LauncherLists lists;
    LauncherRows rows;  // what the list shows, one row for each of its items
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
    bool delivery_telling;  // the status line speaks of the delivery (delivery_pass_status)
};
extern LauncherState launcher_state;

// Every size is in units, a pixel at 96 DPI, scaled by the window's DPI
// (display_scale.h). The whole window, caption and frame included, fits
// the 1280 x 680 unit work area of a 1366 x 768 laptop or of 1920 x 1080 at
// 150 %: 60 units are left for a caption and frame, which take under 40 on
// Windows 10/11 and Wine.
constexpr int CLIENT_W = 1232, CLIENT_H = 620;
constexpr int ROW_HEIGHT = 26;
// The patient bar, a white panel under the band.
constexpr int TOP = BAND_HEIGHT + 12, BAR_H = 80;
// The status line shares the bottom strip with the buttons, right-aligned.
constexpr RECT STATUS_LINE = {20, CLIENT_H - 40, CLIENT_W - 20, CLIENT_H - 8};
// The ward list's column titles, painted by the window between the list's
// heading and its rows: the right column under the bar.
constexpr RECT ROUNDS_COLUMNS = {510, TOP + BAR_H + 52, CLIENT_W - 20, TOP + BAR_H + 76};

// The bar's fields, in the order of LauncherState::patient_fields.
struct BarField {
    PatientField field;
    int id;
};
constexpr BarField BAR_FIELDS[LAUNCHER_BAR_FIELDS] = {
    {PATIENT_ID, IDC_LAUNCHER_PATIENT_ID},
    {PATIENT_NAME, IDC_LAUNCHER_PATIENT_NAME},
    {PATIENT_BED, IDC_LAUNCHER_BED},
    {NURSE_ID, IDC_LAUNCHER_NURSE_ID},
    {NURSE_NAME, IDC_LAUNCHER_NURSE_NAME},
};

// launcher_layout.cpp: the fonts and the children at the window's DPI.
// Units in the window's pixels; a box by its edges, so that boxes apart in
// units stay apart.
int px(int units);
RECT px_box(RECT units);
// The fonts at the window's DPI.
void make_fonts();
// The children in the Tab order, laid out at the window's DPI.
void create_children();
// Moved to a monitor of another scaling, or its scaling changed: laid out
// anew at `dpi`, in the rectangle the system suggests. The controls keep
// what was typed and chosen in them.
void on_dpi_changed(HWND window, int dpi, const RECT& suggested);

// launcher_paint.cpp: what the window draws itself.
void on_paint(HWND window);
void on_measure_item(MEASUREITEMSTRUCT* item);
void draw_row(const DRAWITEMSTRUCT* item);
// The bar's labels in the bar's colours; any other static as the system
// colours it.
LRESULT on_ctl_color_static(HWND window, WPARAM wparam, LPARAM lparam);

// launcher_status.cpp: the status line, which every action tells what came
// of it.
void set_status(const wchar_t* text, bool warning = false);

// launcher_rows.cpp: the list's rows, the selection and its details.
// Fills the list for the search box's text and selects its first tool.
void launcher_refresh();
// Fills the list for the search box's text. The selected tool stays selected
// when `keep_selected`, in its group and where it stood on the screen (a
// star or an opened tool regroups the list at once); else the first tool.
void fill_list(bool keep_selected);
void select_row(int row);
// The next tool row from `row` in direction `step`, or `row` when none.
int next_tool_row(int row, int step);
// A click or a key moved the list's selection: a heading passes it on to
// the tool below, and the details follow.
void on_list_selection_changed();

// launcher_favourites.cpp: the favourites and recent tools, kept in the
// user's lists file.
// Reads the lists; the status line says when they could not be read whole.
void load_lists();
// Keeps the lists, then says `done` in the status line with what came of
// it: the name a file not read whole was set aside under, or `unsaved`.
void keep_lists(const wchar_t* done, const wchar_t* unsaved);
// Stars or unstars the selected tool and keeps the lists; the list is
// regrouped at once, the tool still selected.
void launcher_star_selected();

// launcher_bar.cpp: the patient bar.
// Shows the patient (and nurse) the hospital system gave; the ward and the
// stay are kept with them.
void show_given_patient(const Patient& patient);
// The patient the bar shows, with the ward and the nurse the hospital
// system gave. False, having named the field at fault in a box and put the
// focus in it, when one is.
bool bar_patient(Patient* patient);
// Whose the bar says the next tool is: "张三（2026001234）" as typed, or "".
void bar_owner(wchar_t* owner);
// A bar field's notification; false for a control not of the bar.
bool on_bar_command(int id, int notification, HWND control);
// 换患者: empties the patient's row of the bar, forgets the ward and stay
// given with the patient, keeps the nurse, and puts the focus in the
// hospital number's field.
void launcher_new_patient();
// 换护士: empties the nurse's row and puts the focus in the nurse's number.
void launcher_new_nurse();

// launcher_open.cpp: opening a tool.
// Starts the selected tool's program from the program folder, with the
// patient and the nurse in a hand-over file (a patient half given as well:
// the tool shows it and saves nothing until it is whole), and follows it; says in the status line what came
// of it, never the patient. The list shows it among the recent tools at
// once, and it stays selected. A field of the bar at fault is named in a box
// and nothing is opened.
void launcher_open_selected();
// The same for the tool of catalogue index `tool` (-1: nothing).
void launcher_open_tool(int tool);
// Starts the quality department's program from the program folder: it
// concerns no patient, so none is handed to it.
void launcher_open_quality();

// launcher_opened_tools.cpp: the tools opened, and telling them of another
// patient.
// Follows a tool just opened for `patient`, so that it is told when the bar
// goes on to another.
void follow_opened_tool(DWORD process_id, const Patient& patient);
// The bar's patient may have changed: every tool opened for another is
// told, once, that the window is still that patient's.
void launcher_tell_opened_tools();

// launcher_delivery.cpp: what the status line says of the results sent to
// the hospital's database, after each pass of the delivery's thread.
void on_delivery_done();

// launcher_rounds.cpp: the ward list, 本病区评估提醒: the patients due for a
// scale, overdue first, as the reading thread last read them.
// A reading now (the launcher starting, its timer, a tool's save); the list
// shown stays until it ends.
void rounds_refresh();
// A reading ended: the list it read shown, or the list before kept with
// when it was read and why it was not read again.
void on_rounds_read();
// Enter or a double-click on a row: the bar filled with the row's patient
// (the nurse kept), and the row's scale opened for them.
void rounds_open_selected();
// A row's cells as the list shows them and the handover sheet prints them,
// in the columns' order, and the heading's text.
enum RoundsColumn { ROUNDS_BED, ROUNDS_NAME, ROUNDS_NUMBER, ROUNDS_SCALE, ROUNDS_RESULT, ROUNDS_NURSE,
                    ROUNDS_DONE, ROUNDS_DUE, ROUNDS_COLUMN_COUNT };
constexpr int ROUNDS_CELL_CAPACITY = 64;
void rounds_cell(const RoundsEntry& entry, int column, int utc_offset_minutes, wchar_t* cell, int capacity);
const wchar_t* rounds_column_title(int column);
// The list shown, its ward and the heading over it.
const RoundsList& rounds_shown();
bool rounds_any_shown();
const wchar_t* rounds_ward();
constexpr int ROUNDS_HEADING_CAPACITY = 256;
// "2026-12-11 09:12", or "12-11 09:12" `short_form`.
void rounds_time_text(MomentSeconds moment, int utc_offset_minutes, bool short_form, wchar_t* text, int capacity);

// launcher_rounds_paint.cpp: a row of the ward list in the colour of its
// due state, and the columns' titles over the list.
void draw_rounds_row(const DRAWITEMSTRUCT* item);
void paint_rounds_columns(HDC dc);
// The colour a row is drawn in: the alarm colour overdue, amber due within
// the shift, else the text's.
COLORREF rounds_row_colour(const RoundsEntry& entry);
// Where each column starts, in units from the list's left edge.
int rounds_column_x(int column);

// launcher_rounds_print.cpp: the list on paper, the shift's handover sheet,
// through the print dialog as the tools print (Ctrl+P in the list, 打印交班表).
void rounds_print();

// launcher_rounds_reading.cpp: the reading thread.
// A reading of the ward's list for `ward` now (or right after the one
// running); then `message` is posted to `window`.
void rounds_reading_start(HWND window, UINT message, const wchar_t* ward);
// The last reading's list (left as it was when the reading failed), when
// it was tried, and its problem (ROUNDS_READ when it was read). False
// when no reading has ended yet.
bool rounds_reading_latest(RoundsList* list, bool* read_once, MomentSeconds* tried_at, RoundsProblem* problem);
// At exit: waits at most `milliseconds` for a reading under way.
void rounds_reading_finish(int milliseconds);
