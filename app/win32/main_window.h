// The main window: its state, its controls' identifiers, and the routines of
// the window procedure, the commands and the painting.
#pragma once

#include <windows.h>
#include <commdlg.h>
#include <winspool.h>

#include "app/app.h"
#include "app/maker.h"
#include "app/win32/window_look.h"
#include "common/win32/print_sheet.h"
#include "common/win32/suite_window.h"
#include "calc/calc.h"
#include "delivery/delivery.h"
#include "patient/patient.h"
#include "rounds/rounds.h"
#include "tool/tool.h"

enum ControlId : int {
    IDC_CALCULATE = 1001,
    IDC_SAVE = 1002,
    IDC_COPY = 1003,
    IDC_RESET = 1004,
    IDC_ABOUT = 1005,
    IDC_PRINT = 1006,
    IDC_INPUT_FIRST = 2000,  // input i has IDC_INPUT_FIRST + i
    IDC_RESULT = 3000,
    IDC_SECTION = 4000,      // every section heading of the input view
    IDC_PATIENT = 5000,      // the patient in the header band; a click opens the patient window
    IDC_LAST_ASSESSMENT = 5001,
    IDC_COURSE = 5002,       // the patient's course of a scale, its caption its text
    IDC_PATIENT_FIELD_FIRST = 5100,  // the patient window's field of PatientField f has this + f
};

constexpr int STATUS_TEXT_CAPACITY = 256;

// Posted once the window is on the screen, whole: what the hospital system
// started the window with is finished then (finish_start_request).
constexpr UINT WM_FINISH_START = WM_APP + 2;
// The saved results whose delivery a window follows at once.
constexpr int DELIVERY_PENDING_MAX = 8;
// Posted by the delivery's thread when a pass ends (common/win32/delivery_worker.h).
constexpr UINT WM_DELIVERY_DONE = WM_APP + 3;
constexpr UINT_PTR DELIVERY_TIMER = 1;
// Posted by the course's reading thread when a read ends, with its number.
constexpr UINT WM_COURSE_READ = WM_APP + 4;
// The course's read starts on this timer's tick: a timer's message comes
// only once the window's paints are done, and this long after, while Wine
// still hands the drawn controls to the screen (docs/figures.md).
constexpr UINT_PTR COURSE_TIMER = 2;
constexpr UINT COURSE_DELAY_MILLISECONDS = 250;

// The maker's website, in the header band and the about text.
#define MAKER_WEBSITE L"" MAKER_WEBSITE_HOST
// The About box's pointer to the guide's account of the formulas and rules.
#define ABOUT_METHOD_LINE L"计算方法与结论的判断顺序：见本工具使用说明中的“计算方法”。"
// The verdict line before the first calculation and after Reset.
#define VERDICT_PROMPT L"填写左侧参数，点击“计算”"
// The verdict line once an input no longer matches the result shown.
#define VERDICT_OUT_OF_DATE L"输入已修改，请按 F5 重新计算"

// What the result side shows. Copy and Save take a result only when it is
// current: computed from the inputs the fields show.
enum ResultState {
    NO_RESULT,             // at start and after Reset
    RESULT_CURRENT,        // after Calculate, until an input changes
    RESULT_OUT_OF_DATE,    // an input differs from what was calculated
};

// Where input i's row lies in the input view, in client units while the
// view is not scrolled: from `top` (its section heading, if it heads
// one) to `bottom`, its text line at `y`.
struct InputPlace {
    int top, y, bottom;
    int label_lines;  // lines of its own the label takes above the field (0: it stands left of it)
    bool tall_box;    // the box's caption takes two lines
};

// The one window's state: static, zero at start, touched only by the
// window's thread.
struct MainWindowState {
    HINSTANCE instance;
    HWND main_window;
    PreparedTool tool;  // the build's descriptor, prepared when the window is made
    ResultState result_state;
    bool choices_pending;  // the input lists and boxes are not created yet
    bool controls_made;    // the child controls exist (a rescale before then makes none)
    // The controls are being made again at another scaling: the texts they
    // are given are what was shown, not edits, and change no result.
    bool rebuilding;
    Calculation last;   // the last calculation: what the result side shows, Copy and Save take
    Patient patient;    // whom the results belong to; Reset keeps it
    HWND patient_label;          // in the band
    HWND last_assessment_label;  // the patient's last saved result of the tool on this PC
    HWND course_chart;           // the patient's course of a scale; none for other tools
    HWND patient_dialog;         // the patient window while it is open
    // The number the dialog's other patient fields were given with: a new
    // one clears them.
    wchar_t patient_dialog_number[PATIENT_FIELD_CAPACITY * 2];
    StartRequest start;          // what the hospital system started the window with
    bool start_pending;          // its lists and boxes, and its message, wait until the window shows
    HWND input_controls[TOOL_MAX_INPUTS];
    // Whether each list asked on a condition is asked as the inputs above
    // it now stand; its list holds its options, or, not asked, only what
    // stands for it (update_asked_inputs).
    InputAsked input_asked[TOOL_MAX_INPUTS];
    HWND input_view;  // the inputs' rows are its children; it scrolls when they do not fit
    InputPlace input_places[TOOL_MAX_INPUTS];
    int input_extent;     // from the view's top to below the last row, unscrolled, in pixels
    int input_scroll;     // how far the view is scrolled down, in pixels
    int input_narrower;   // units the scroll bar takes from the rows' width; 0 without one
    HWND result_edit;
    HWND verdict_label;
    HWND caution_label;
    int dpi;  // of the monitor the window lies on: its units' pixels (display_scale.h)
    HFONT font_title, font_subtitle, font_label, font_edit, font_verdict, font_result,
        font_button, font_small;
    HBRUSH white_brush;
    HBRUSH background_brush;
    HBRUSH band_brush;
    wchar_t status_text[STATUS_TEXT_CAPACITY];
    bool status_warning;       // the status line tells of something undone: drawn in amber
    // The results saved here whose delivery the status line has yet to
    // tell, by record number.
    wchar_t delivery_pending[DELIVERY_PENDING_MAX][RECORD_NUMBER_CAPACITY];
    int delivery_pending_count;
    bool delivery_telling;  // the status line speaks of the delivery (delivery_pass_status)
    LocalTime calculated_at;  // of the last result: the page's 评估时间 and the record's
    Reassessment reassessment;  // when the last result is due again, as its last line says
    wchar_t saved_record[RECORD_NUMBER_CAPACITY];  // the last result's record number once saved, else ""
    // The launcher that opened the window has gone on to another patient:
    // the band says whose the window still is, and Save and Print ask
    // once, naming the patient, before they go.
    bool launcher_moved_on;
    bool launcher_move_confirmed;
};

extern MainWindowState main_window_state;

// Units of the window's layout in its pixels.
inline int px(int units) { return scaled(units, main_window_state.dpi); }
inline Box px(Box box) { return scaled(box, main_window_state.dpi); }

// Builds the window for `tool` and runs the message loop. Returns EXIT_OK
// when the window is closed, EXIT_NO_WINDOW when it cannot be created.
// `command_line` (the whole, program path first) gives the patient and
// inputs a hospital system starts the tool with.
int main_window_run(HINSTANCE instance, const ToolDef& tool, const wchar_t* command_line);

// The first part of main_window_run: state, fonts, brushes, class and the
// shown, focused window. nullptr when the window cannot be created.
HWND main_window_create(HINSTANCE instance, const ToolDef& tool, const wchar_t* command_line = nullptr);

// WM_DPICHANGED: the window moved to a monitor of another scaling (or the
// user changed it). It takes `outer`, the size the system suggests, and
// builds its fonts and controls again at `dpi`, keeping everything typed,
// chosen and shown, and the focus: a result calculated stays current. Sent
// while the window is still being made, it sets only the fonts and size
// the controls are then made at.
void main_window_rescale(HWND window, int dpi, const RECT& outer);

// The loop's routing: Enter and F5 typed in any child of the main window run
// Calculate and are not dispatched, but Enter on a dropped list chooses its
// option and Enter on a focused button runs that button; Tab and Shift+Tab
// move through the inputs and then the buttons, in the order shown; Ctrl+P
// prints. True when the message was consumed.
bool main_window_route_key(const MSG& message);

// The input whose field, list or box `control` is, or -1.
int input_of_control(HWND control);

// ---- The input view (input_view.cpp) ------------------------------------------

// Places every input's row (measuring labels and captions in `dc` with the
// label font) and creates the view, with a scroll bar when the rows do not
// fit it.
void create_input_view(HWND window, HDC dc);
// A control of the view in client coordinates of the view, where it lies
// now; `box` is in unscrolled client coordinates.
HWND create_in_view(const wchar_t* window_class, DWORD ex_style, DWORD style, const wchar_t* text, int id,
                    Box box, HFONT font);
// Scrolls the view so that input i's whole row shows.
void show_input(int input);
// Page Up and Page Down in the view, and the mouse wheel over it, scroll it
// when it scrolls; a dropped list keeps its keys and wheel. True when the
// message was consumed.
bool input_view_route(const MSG& message);

LRESULT CALLBACK main_window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

// The child controls, made once the window shows (main_window_create) and
// again at a rescale; of an input list its label only, of a box nothing yet.
void create_child_controls(HWND window);
// The input lists and boxes, created after the other controls, with the
// options the start request chose (under Wine a drop-down list takes over
// ten milliseconds to create, its dropped part a window of its own, and a
// checklist's 37 boxes with their points are 74 windows more).
void create_pending_choices();
// Each list asked on a condition made to agree with the inputs above it:
// asked, it offers its options, nothing chosen once it was not asked;
// undecided while the answer it waits for is missing, it is disabled and
// empty; not asked, it is disabled and shows what stands for it.
void update_asked_inputs();
// List i filled for `state` at once, its options or what stands for it,
// nothing chosen: a rescale rebuilds the lists as they were.
void set_asked_input(int i, InputAsked state);

// The value of input i: its field's number, its chosen option's value, its
// box's points when checked (0 unchecked), or the value that stands for a
// list not asked. False, with the message that says why, when there is
// none: nothing typed, not a number, a number outside the input's limits,
// or no option chosen.
bool read_input(int i, double* value, wchar_t* complaint, int capacity);

// ---- The patient (window_patient.cpp) --------------------------------------------

// Reads the command line's patient and inputs into the window: a typed
// input's field shows its value at once.
void take_start_request(const wchar_t* command_line);
// Chooses the lists' options and checks the boxes the command line gave,
// once they are made.
void apply_start_choices();
// Once the window shows: the patient's last assessment, and the message
// naming every argument that was not taken as it stands.
void finish_start_request();
// Shows the patient in the band, the title bar and the patient's last
// assessment.
void show_patient();
// The launcher says it has gone on to another patient than the window's.
void on_launcher_moved_on();
// What the band then says in its alarm colour, in place of the summary:
// "工具箱已换患者；本窗口仍为 张三（2026001234）".
int launcher_moved_on_text(wchar_t* text, int capacity);
// The small window for the patient's and the nurse's names and numbers
// (the band's click, Ctrl+I). The main window takes no input while it is
// open.
void open_patient_window();
// The patient window's keys: Tab through it, Enter and Esc. True when the
// message was consumed.
bool patient_window_route(MSG& message);
// Whether a result may leave the window for the patient as given: never
// with a patient half given, and not saved or printed for no one where the
// hospital's policy asks for a patient. Otherwise tells why and returns
// false.
bool patient_allows(bool saving_or_printing);

// ---- The patient's course (window_course.cpp) ---------------------------------

// Whether the window shows the patient's course: a scale with a headline.
bool tool_has_course(const PreparedTool& tool);
// The inputs' view: above the course where the window shows one.
Box input_view_box();
// Reads the patient's course of the tool anew, on a thread of its own: at
// start once the window shows, after a Save, for another patient. The
// chart keeps what it showed of the same patient until the read ends.
void course_refresh();
// COURSE_TIMER: the read asked for starts.
void course_read_start();
// A read has ended (WM_COURSE_READ): the chart shows it, unless a later
// one was asked for since.
void on_course_read(WPARAM read_number);
// WM_DRAWITEM of the chart: its caption, and the bands, days and points.
void draw_course(const DRAWITEMSTRUCT* item);
// The patient's assessments the chart shows, oldest first, and where they
// were read; how many: 0 until a read of this patient's has ended
// (`still_reading` while it runs). Read again after a Save, the last read
// stands meanwhile.
int course_points(const RoundsAssessment** points, RoundsSource* source, bool* still_reading);
// Where a course was read, in words: "本机本用户记录", "医院数据库".
const wchar_t* course_source_words(RoundsSource source);

// ---- The commands ---------------------------------------------------------------
// Calculate, Save record, Copy result, Reset and About (window_commands.cpp),
// and Print (print_dialog.cpp), in the order of their buttons.

void on_calculate();
// EN_CHANGE of input field `input`: a result computed from another value is
// marked out of date.
void on_input_changed(int input);
void save_record();
// A delivery to the hospital's database has ended: the status line says
// what came of it.
void on_delivery_done();
void copy_result();
void reset_inputs();
void show_about();
// The result on paper, through the Windows print dialog (print_dialog.cpp).
void print_result();

// Shows input's starting value in its field: the default, or nothing for
// an input that starts empty (at start and after Reset).
void show_starting_value(HWND field, const InputDef& input);

// A message box owned by the window, with the OK button and `icon`.
void tell(const wchar_t* text, const wchar_t* caption, UINT icon);
// Shows a verdict in its box, in lines broken as the descriptor check
// measures them (verdict_wrapped).
void show_verdict(const wchar_t* message);
// Sets the status line and repaints it.
void set_status(const wchar_t* text);
// True when there is a current result; otherwise tells the user why not
// (`no_result` before the first calculation) and returns false.
bool result_is_current(const wchar_t* no_result);

// Message boxes go through here, so tests can record what would be shown
// instead of blocking on a box.
using MessageBoxFunction = int (*)(HWND owner, const wchar_t* text, const wchar_t* caption,
                                   UINT flags);
extern MessageBoxFunction show_message_box;

// The clipboard's memory block comes from here (GlobalAlloc), so tests can
// make the allocation fail.
using BlockAllocator = HGLOBAL(WINAPI*)(UINT flags, SIZE_T bytes);
extern BlockAllocator allocate_global_block;
// The clipboard formats that keep a copy out of Windows' clipboard history,
// the cloud clipboard and monitoring programs, each with a DWORD of 0.
constexpr const wchar_t* CLIPBOARD_PRIVATE_FORMATS[] = {
    L"ExcludeClipboardContentFromMonitorProcessing", L"CanIncludeInClipboardHistory", L"CanUploadToCloudClipboard"};

// ---- Printing -------------------------------------------------------------------

// The print dialog, the printers and the paper: common/win32/print_sheet.h.

// Lays the last result out for `page` as `dc` measures text: the header
// (title, category, the patient's block with the time of printing), a
// formula tool's inputs, result lines, verdict with its level in words,
// caution and basis, or a report's text; lines too wide are wrapped, and
// the body flows over as many pages as it needs, each later page headed by
// the patient's name and number, the nurse's signature line on the last.
// Returns the number of pages, or 0, laying nothing out, when the
// printable area is too small for a page (a label or wristband printer's).
int print_layout(HDC dc, const PageSize& page);
// The text of page `number` as `dc` wraps it, a row per line: a later
// page's running head, the body, the last page's signature line, the
// footer; for the tests.
int print_page_text(HDC dc, int number, wchar_t* text, int capacity);
// Releases the layout's fonts.
void print_layout_release();

// ---- Drawing ---------------------------------------------------------------------

// Fills the box with a solid colour.
void fill_box(HDC dc, Box box, COLORREF colour);
// A one-pixel outline on the box's outermost pixels; the inside is untouched.
void frame_box(HDC dc, Box box, COLORREF colour);
// One line of text, vertically centred, ending in an ellipsis when too wide.
void draw_text_box(HDC dc, Box box, const wchar_t* text, COLORREF colour, HFONT font,
                   UINT extra_flags);

// WM_PAINT: the client area between BeginPaint and EndPaint.
void paint_main_window(HWND window);
// Everything the window paints, drawn into `dc` for a client of width x height.
void paint_client(HDC dc, int width, int height);
