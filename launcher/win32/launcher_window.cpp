// The launcher's window: it finds a tool as it is typed, shows how the
// selected one calculates, and opens it as a program of its own for the
// patient in its bar.
#include "launcher/win32/launcher_window.h"

#include <commctrl.h>
#include <wchar.h>

#include "app/app.h"
#include "app/maker.h"
#include "common/win32/display_scale.h"
#include "common/win32/delivery_worker.h"
#include "common/win32/suite_messages.h"
#include "common/win32/suite_window.h"
#include "common/win32/scan_field.h"
#include "common/win32/suite_look.h"
#include "suite/catalogue.h"
#include "launcher/tool_details.h"
#include "launcher/tool_search.h"

LauncherState launcher_state;
LauncherMessageBox launcher_message_box = MessageBoxW;
ProcessStarter launcher_start_process = CreateProcessW;

namespace {

const wchar_t CLASS_NAME[] = L"OrvoMedLauncherWnd";
// WS_CLIPCHILDREN: a status line drawn again leaves the buttons beside it
// alone instead of wiping them for a moment. It makes the first paint later
// under Wine, but the window shows whole, every control made before it
// shows, no later (scripts/measure.sh).
constexpr DWORD WINDOW_STYLE = WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
// Every size below is in units, a pixel at 96 DPI, scaled by the window's
// DPI (display_scale.h). The whole window, caption and frame included, fits
// the 1280 x 680 unit work area of a 1366 x 768 laptop or of 1920 x 1080 at
// 150 %: 60 units are left for a caption and frame, which take under 40 on
// Windows 10/11 and Wine.
constexpr int CLIENT_W = 960, CLIENT_H = 620;
constexpr int ROW_HEIGHT = 26, FONT_HEIGHT = 15, TITLE_FONT_HEIGHT = 17;
constexpr int DETAILS_CAPACITY = 16384;
// The tools' own window's colours and band, so the suite looks one.
constexpr COLORREF BAND = palette.band, INK = palette.text, GREY = palette.text_grey, PAGE = palette.page;
constexpr int TOP = BAND_HEIGHT + 12;
// The patient bar, a white panel under the band; the search box under it;
// the list and the details between the search box and the buttons, which
// share the bottom strip with the status line.
constexpr int BAR_H = 80, SEARCH_Y = TOP + BAR_H + 12;
constexpr int BUTTONS_Y = CLIENT_H - 50, PANES_Y = SEARCH_Y + 40, PANES_H = BUTTONS_Y - 12 - PANES_Y;
constexpr int BAR_ROW_Y = TOP + 8, BAR_ROW_H = 28, BAR_ROW2_Y = BAR_ROW_Y + 36;
// The status line shares the bottom strip with the buttons, right-aligned.
constexpr RECT STATUS_LINE = {20, CLIENT_H - 40, CLIENT_W - 20, CLIENT_H - 8};

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

// The window's children in the Tab order, each with its box in units: one
// table, so that a change of scaling moves every child as its creation
// placed it.
struct Child {
    const wchar_t* class_name;
    const wchar_t* text;  // a bar's label (IDC_LAUNCHER_LABEL): the words of the field after it
    DWORD style, ex_style;  // beside WS_CHILD | WS_VISIBLE
    int id;
    int x, y, w, h;  // in units
};
constexpr DWORD LABEL_STYLE = SS_RIGHT | SS_CENTERIMAGE, FIELD_STYLE = WS_TABSTOP | ES_AUTOHSCROLL;
constexpr DWORD LIST_STYLE = WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_OWNERDRAWFIXED | LBS_NOINTEGRALHEIGHT;
constexpr DWORD DETAILS_STYLE = WS_TABSTOP | WS_VSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL;
constexpr DWORD BUTTON_STYLE = WS_TABSTOP, DEFAULT_STYLE = WS_TABSTOP | BS_DEFPUSHBUTTON, EDGE = WS_EX_CLIENTEDGE;
constexpr Child CHILDREN[] = {
    // class     text       style          ex    id                         x    y          w    h
    {L"STATIC",  L"",       LABEL_STYLE,   0,    IDC_LAUNCHER_LABEL,        32,  BAR_ROW_Y, 50,  BAR_ROW_H},
    {L"EDIT",    L"",       FIELD_STYLE,   EDGE, IDC_LAUNCHER_PATIENT_ID,   88,  BAR_ROW_Y, 180, BAR_ROW_H},
    {L"STATIC",  L"",       LABEL_STYLE,   0,    IDC_LAUNCHER_LABEL,        292, BAR_ROW_Y, 36,  BAR_ROW_H},
    {L"EDIT",    L"",       FIELD_STYLE,   EDGE, IDC_LAUNCHER_PATIENT_NAME, 334, BAR_ROW_Y, 180, BAR_ROW_H},
    {L"STATIC",  L"",       LABEL_STYLE,   0,    IDC_LAUNCHER_LABEL,        538, BAR_ROW_Y, 36,  BAR_ROW_H},
    {L"EDIT",    L"",       FIELD_STYLE,   EDGE, IDC_LAUNCHER_BED,          580, BAR_ROW_Y, 90,  BAR_ROW_H},
    {L"BUTTON",  L"换患者", BUTTON_STYLE,  0,    IDC_LAUNCHER_NEW_PATIENT,  820, TOP + 7,   110, 30},
    {L"STATIC",  L"",       LABEL_STYLE,   0,    IDC_LAUNCHER_LABEL,        22,  BAR_ROW2_Y, 62,  BAR_ROW_H},
    {L"EDIT",    L"",       FIELD_STYLE,   EDGE, IDC_LAUNCHER_NURSE_ID,     88,  BAR_ROW2_Y, 160, BAR_ROW_H},
    {L"STATIC",  L"",       LABEL_STYLE,   0,    IDC_LAUNCHER_LABEL,        256, BAR_ROW2_Y, 70,  BAR_ROW_H},
    {L"EDIT",    L"",       FIELD_STYLE,   EDGE, IDC_LAUNCHER_NURSE_NAME,   334, BAR_ROW2_Y, 180, BAR_ROW_H},
    {L"BUTTON",  L"换护士", BUTTON_STYLE,  0,    IDC_LAUNCHER_NEW_NURSE,    820, BAR_ROW2_Y - 1, 110, 30},
    {L"EDIT",    L"",       FIELD_STYLE,   EDGE, IDC_LAUNCHER_SEARCH,       20,  SEARCH_Y,  920, 30},
    {L"LISTBOX", L"",       LIST_STYLE,    EDGE, IDC_LAUNCHER_LIST,         20,  PANES_Y,   470, PANES_H},
    {L"EDIT",    L"",       DETAILS_STYLE, EDGE, IDC_LAUNCHER_DETAILS,      500, PANES_Y,   440, PANES_H},
    {L"BUTTON",  L"打开",   DEFAULT_STYLE, 0,    IDC_LAUNCHER_OPEN,         20,  BUTTONS_Y, 110, 34},
    {L"BUTTON",  L"收藏",   BUTTON_STYLE,  0,    IDC_LAUNCHER_STAR,         140, BUTTONS_Y, 110, 34},
};
static_assert(sizeof CHILDREN / sizeof *CHILDREN == LAUNCHER_CHILD_COUNT);

// Units in the window's pixels; a box by its edges, so that boxes apart in
// units stay apart.
int px(int units) { return scaled(units, launcher_state.dpi); }
RECT px_box(RECT units) { return {px(units.left), px(units.top), px(units.right), px(units.bottom)}; }

// A field's text is read whole into this: one set longer than the field's
// limit (a typed one cannot be) is too long without being read.
constexpr int BAR_TEXT_CAPACITY = 4 * PATIENT_FIELD_CAPACITY;
// The command line: the program's quoted path and the hand-over file's.
constexpr int COMMAND_CAPACITY = MAX_PATH * 2 + 24 + RECORD_PATH_CAPACITY;

// What the status line says of the lists file.
const wchar_t LISTS_NOT_READ_TEXT[] = L"收藏与最近使用的记录无法读取，已重新开始；原文件不会被覆盖";
const wchar_t LISTS_IN_PART_TEXT[] = L"收藏与最近使用的记录有无法识别的内容，已读取其余部分；原文件不会被覆盖";

// What the hospital system gives with a patient besides the two
// identifiers and the bed: another patient's number leaves them behind.
constexpr int STAY_FIELDS[] = {PATIENT_WARD, PATIENT_VISIT_ID, PATIENT_ADMITTED_AT};

void on_bar_changed(int field);

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

// The list's rows: a catalogue index, or ROW_HEADING with its text.
struct Rows {
    int tool[LAUNCHER_MAX_ROWS];
    const wchar_t* heading[LAUNCHER_MAX_ROWS];
    int count;
};
Rows rows;

void add_row(int tool, const wchar_t* heading) {
    if (rows.count >= LAUNCHER_MAX_ROWS) return;
    rows.tool[rows.count] = tool;
    rows.heading[rows.count] = heading;
    rows.count++;
}

int index_of_id(int id) {
    for (int t = 0; t < suite_tool_count; t++)
        if (suite_tools[t]->id == id) return t;
    return -1;
}

// A group of the lists' tools under its heading. A number the catalogue no
// longer has (a tool an older version had) is passed over, and a group
// left empty shows no heading.
void add_group(const wchar_t* heading, const int* ids, int count) {
    bool headed = false;
    for (int k = 0; k < count; k++) {
        int tool = index_of_id(ids[k]);
        if (tool < 0) continue;
        if (!headed) add_row(ROW_HEADING, heading);
        headed = true;
        add_row(tool, nullptr);
    }
}

// With nothing typed: the favourites, the recent tools, then every tool
// under its category, categories in the order their first tool comes.
void group_rows() {
    const LauncherLists& lists = launcher_state.lists;
    add_group(L"★ 收藏", lists.favourites, lists.favourite_count);
    add_group(L"最近使用", lists.recent, lists.recent_count);
    for (int t = 0; t < suite_tool_count; t++) {
        const wchar_t* category = suite_tools[t]->category;
        bool seen = false;
        for (int earlier = 0; earlier < t; earlier++) seen = seen || wcscmp(suite_tools[earlier]->category, category) == 0;
        if (seen) continue;
        add_row(ROW_HEADING, category);
        for (int u = t; u < suite_tool_count; u++)
            if (wcscmp(suite_tools[u]->category, category) == 0) add_row(u, nullptr);
    }
}

void set_status(const wchar_t* text, bool warning = false) {
    lstrcpynW(launcher_state.status, text, LAUNCHER_STATUS_CAPACITY);
    launcher_state.status_warning = warning;
    launcher_state.delivery_told = false;
    RECT r = px_box(STATUS_LINE);
    InvalidateRect(launcher_state.window, &r, TRUE);
}

void show_details() {
    static wchar_t text[DETAILS_CAPACITY];
    int tool = launcher_selected_tool();
    text[0] = 0;
    if (tool >= 0) tool_details_text(*suite_tools[tool], text, DETAILS_CAPACITY);
    SetWindowTextW(launcher_state.details, text);
}

void select_row(int row) {
    if (row < 0 || row >= rows.count) return;
    SendMessageW(launcher_state.list, LB_SETCURSEL, row, 0);
    show_details();
}

// The next tool row from `row` in direction `step`, or `row` when none.
int next_tool_row(int row, int step) {
    for (int r = row + step; r >= 0 && r < rows.count; r += step)
        if (rows.tool[r] != ROW_HEADING) return r;
    return row;
}

// The heading of the group `row` is in; nullptr for none (a search's rows).
const wchar_t* heading_of(int row) {
    while (row >= 0 && row < rows.count && rows.tool[row] != ROW_HEADING) row--;
    return row >= 0 && row < rows.count ? rows.heading[row] : nullptr;
}

// The row showing `tool` under `heading`, else its first row; -1 for none.
int row_of(int tool, const wchar_t* heading) {
    int first = -1;
    for (int r = 0; r < rows.count; r++) {
        if (rows.tool[r] != tool) continue;
        const wchar_t* h = heading_of(r);
        if (h == heading || (h && heading && wcscmp(h, heading) == 0)) return r;
        if (first < 0) first = r;
    }
    return first;
}

// Fills the list for the search box's text. The selected tool stays selected
// when `keep_selected`, in its group and where it stood on the screen (a
// star or an opened tool regroups the list at once); else the first tool.
void fill_list(bool keep_selected) {
    HWND list = launcher_state.list;
    int old_row = (int)SendMessageW(list, LB_GETCURSEL, 0, 0), top = (int)SendMessageW(list, LB_GETTOPINDEX, 0, 0);
    int kept = keep_selected ? launcher_selected_tool() : -1;
    const wchar_t* heading = heading_of(old_row);
    wchar_t query[128];
    GetWindowTextW(launcher_state.search, query, 128);
    rows.count = 0;
    bool typed = false;
    for (const wchar_t* p = query; *p; p++) typed = typed || (*p != L' ' && *p != L'\x3000');
    if (typed) {
        static int order[SEARCH_MAX_TOOLS];
        int found = search_tools(suite_tools, suite_tool_count, query, order);
        for (int k = 0; k < found; k++) add_row(order[k], nullptr);
    } else {
        group_rows();
    }
    SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    SendMessageW(list, LB_RESETCONTENT, 0, 0);
    for (int r = 0; r < rows.count; r++) SendMessageW(list, LB_ADDSTRING, 0, (LPARAM)L"");
    int row = kept >= 0 ? row_of(kept, heading) : -1;
    if (row >= 0) SendMessageW(list, LB_SETTOPINDEX, top + row - old_row > 0 ? top + row - old_row : 0, 0);
    SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
    select_row(row >= 0 ? row : next_tool_row(-1, 1));
    if (!rows.count) show_details();
    wchar_t status[LAUNCHER_STATUS_CAPACITY];
    if (typed && !keep_selected) {
        text_format(status, LAUNCHER_STATUS_CAPACITY, L"找到 %d 个工具", rows.count);
        set_status(status);
    }
}

// Keeps the lists, then says `done` in the status line with what came of
// it: the name a file not read whole was set aside under, or `unsaved`.
void keep_lists(const wchar_t* done, const wchar_t* unsaved) {
    wchar_t aside[LAUNCHER_SET_ASIDE_NAME_CAPACITY], status[LAUNCHER_STATUS_CAPACITY];
    if (!launcher_lists_save(&launcher_state.lists, aside, LAUNCHER_SET_ASIDE_NAME_CAPACITY))
        text_format_marked(status, LAUNCHER_STATUS_CAPACITY, L"%ls%ls", done, unsaved);
    else if (aside[0])  // first, where a long title cannot push it out of sight
        text_format_marked(status, LAUNCHER_STATUS_CAPACITY, L"原记录文件已另存为 %ls；%ls", aside, done);
    else
        text_copy(status, LAUNCHER_STATUS_CAPACITY, done);
    set_status(status);
}

// CW_USEDEFAULT cascades each new window further down and right, partly off
// a small screen: the whole window is moved into its monitor's work area,
// its top left kept in view where it is larger.
void keep_inside_work_area(HWND window) {
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof monitor;
    RECT r;
    if (!GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &monitor) || !GetWindowRect(window, &r))
        return;
    const RECT& work = monitor.rcWork;
    int x = r.right > work.right ? r.left - (r.right - work.right) : r.left;
    int y = r.bottom > work.bottom ? r.top - (r.bottom - work.bottom) : r.top;
    x = x < work.left ? work.left : x;
    y = y < work.top ? work.top : y;
    if (x != r.left || y != r.top)
        SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void draw_row(const DRAWITEMSTRUCT* item) {
    if (item->itemID == (UINT)-1 || (int)item->itemID >= rows.count) return;
    HDC dc = item->hDC;
    RECT r = item->rcItem;
    int row = item->itemID;
    bool selected = (item->itemState & ODS_SELECTED) && rows.tool[row] != ROW_HEADING;
    HBRUSH fill = CreateSolidBrush(selected ? GetSysColor(COLOR_HIGHLIGHT) : palette.white);
    FillRect(dc, &r, fill);
    DeleteObject(fill);
    SetBkMode(dc, TRANSPARENT);
    wchar_t text[512];
    if (rows.tool[row] == ROW_HEADING) {
        SelectObject(dc, launcher_state.font_title);
        SetTextColor(dc, BAND);
        text_copy(text, 512, rows.heading[row]);
    } else {
        const ToolDef& tool = *suite_tools[rows.tool[row]];
        SelectObject(dc, launcher_state.font);
        SetTextColor(dc, selected ? GetSysColor(COLOR_HIGHLIGHTTEXT) : INK);
        text_format_marked(text, 512, L"%ls%03d  %ls  —  %ls",
                           launcher_is_favourite(launcher_state.lists, tool.id) ? L"★ " : L"    ", tool.id,
                           tool.title, tool.summary ? tool.summary : L"");
    }
    r.left += px(8);
    DrawTextW(dc, text, -1, &r, DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX);
}

void paint(HWND window) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window, &ps);
    RECT all = px_box({0, 0, CLIENT_W, CLIENT_H}), band = px_box({0, 0, CLIENT_W, BAND_HEIGHT});
    HBRUSH page = CreateSolidBrush(PAGE), blue = CreateSolidBrush(BAND);
    FillRect(dc, &all, page);
    FillRect(dc, &band, blue);
    DeleteObject(page);
    DeleteObject(blue);
    SetBkMode(dc, TRANSPARENT);
    SelectObject(dc, launcher_state.font_title);
    SetTextColor(dc, palette.white);
    RECT title = px_box({26, 0, CLIENT_W - 26, BAND_HEIGHT});
    DrawTextW(dc, LAUNCHER_TITLE L"  ·  " L"" MAKER_NAME, -1, &title, DT_SINGLELINE | DT_VCENTER);
    HPEN outline = CreatePen(PS_SOLID, px(1), palette.panel_outline);
    HGDIOBJ old_pen = SelectObject(dc, outline), old_brush = SelectObject(dc, launcher_state.white_brush);
    RECT bar = px_box({20, TOP, CLIENT_W - 20, TOP + BAR_H});
    Rectangle(dc, bar.left, bar.top, bar.right, bar.bottom);
    SelectObject(dc, old_brush);
    DeleteObject(SelectObject(dc, old_pen));
    SelectObject(dc, launcher_state.font);
    SetTextColor(dc, launcher_state.status_warning ? verdict_colour(1) : GREY);
    RECT status = px_box(STATUS_LINE);
    DrawTextW(dc, launcher_state.status, -1, &status, DT_SINGLELINE | DT_VCENTER | DT_RIGHT | DT_END_ELLIPSIS);
    EndPaint(window, &ps);
}

// The suite's face, `height` units high at the window's DPI.
HFONT suite_font(int height, int weight) {
    return CreateFontW(-px(height), 0, 0, 0, weight, 0, 0, 0, DEFAULT_CHARSET, 0, 0, CLEARTYPE_QUALITY, 0, SUITE_FACE);
}

// The fonts at the window's DPI.
void make_fonts() {
    launcher_state.font = suite_font(FONT_HEIGHT, FW_NORMAL);
    launcher_state.font_title = suite_font(TITLE_FONT_HEIGHT, FW_BOLD);
}

// The children at the window's DPI, in its fonts.
void place_children() {
    LauncherState& s = launcher_state;
    for (int k = 0; k < LAUNCHER_CHILD_COUNT; k++) {
        const Child& c = CHILDREN[k];
        RECT r = px_box({c.x, c.y, c.x + c.w, c.y + c.h});
        SetWindowPos(s.children[k], nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
        SendMessageW(s.children[k], WM_SETFONT, (WPARAM)s.font, TRUE);
    }
    SendMessageW(s.list, LB_SETITEMHEIGHT, 0, px(ROW_HEIGHT));
}

// Lays the children out at the window's DPI, in fonts of that size; the
// fonts of the DPI before are deleted once no child holds them.
void lay_out() {
    HFONT old_font = launcher_state.font, old_title = launcher_state.font_title;
    make_fonts();
    place_children();
    DeleteObject(old_font);
    DeleteObject(old_title);
}

void create_children() {
    LauncherState& s = launcher_state;
    for (int k = 0, bar = 0; k < LAUNCHER_CHILD_COUNT; k++) {
        const Child& c = CHILDREN[k];
        const wchar_t* text = c.id == IDC_LAUNCHER_LABEL ? patient_field_name(BAR_FIELDS[bar].field).label : c.text;
        s.children[k] = CreateWindowExW(c.ex_style, c.class_name, text, WS_CHILD | WS_VISIBLE | c.style, 0, 0, 0, 0,
                                        s.window, (HMENU)(INT_PTR)c.id, s.instance, nullptr);
        if (bar < LAUNCHER_BAR_FIELDS && c.id == BAR_FIELDS[bar].id) {
            patient_edit_takes_scans(s.children[k], BAR_FIELDS[bar].field);
            s.patient_fields[bar++] = s.children[k];
        }
    }
    s.search = GetDlgItem(s.window, IDC_LAUNCHER_SEARCH);
    s.list = GetDlgItem(s.window, IDC_LAUNCHER_LIST);
    s.details = GetDlgItem(s.window, IDC_LAUNCHER_DETAILS);
    SendMessageW(s.search, EM_SETCUEBANNER, TRUE, (LPARAM)L"输入名称、拼音首字母（如 ylx）或编号");
    place_children();
}

// The window's outer size at the DPI: its client CLIENT_W x CLIENT_H units.
SIZE window_size(int dpi) {
    RECT r = {0, 0, scaled(CLIENT_W, dpi), scaled(CLIENT_H, dpi)};
    window_rect_for_client(&r, WINDOW_STYLE, 0, dpi);
    return {r.right - r.left, r.bottom - r.top};
}

// Moved to a monitor of another scaling, or its scaling changed: laid out
// anew at `dpi`, in the rectangle the system suggests. The controls keep
// what was typed and chosen in them.
void on_dpi_changed(HWND window, int dpi, const RECT& suggested) {
    launcher_state.dpi = dpi;
    lay_out();
    SetWindowPos(window, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    InvalidateRect(window, nullptr, TRUE);
}

LRESULT CALLBACK launcher_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
    case WM_CREATE:
        launcher_state.window = window;
        launcher_state.dpi = window_dpi(window);
        make_fonts();
        return 0;
    case WM_DPICHANGED: on_dpi_changed(window, HIWORD(wparam), *(const RECT*)lparam); return 0;
    case WM_DESTROY: PostQuitMessage(0); return 0;
    case WM_PAINT: paint(window); return 0;
    case WM_LAUNCHER_DELIVERY_DONE: {
        // The results waiting for the hospital's database, or refused by
        // it, when there are; and that they went, once they have.
        DeliveryReport report;
        delivery_latest(&report);
        wchar_t status[LAUNCHER_STATUS_CAPACITY];
        bool warning = delivery_status(report, nullptr, status, LAUNCHER_STATUS_CAPACITY);
        if (warning || report.left.waiting || launcher_state.delivery_told) {
            set_status(status, warning);
            launcher_state.delivery_told = warning || report.left.waiting;
        }
        return 0;
    }
    case WM_TIMER: delivery_start(window, WM_LAUNCHER_DELIVERY_DONE); return 0;
    case WM_MEASUREITEM: ((MEASUREITEMSTRUCT*)lparam)->itemHeight = px(ROW_HEIGHT); return TRUE;
    case WM_DRAWITEM: draw_row((const DRAWITEMSTRUCT*)lparam); return TRUE;
    case WM_CTLCOLORSTATIC:  // the bar's labels; the details box keeps its own colours
        if (GetDlgCtrlID((HWND)lparam) != IDC_LAUNCHER_LABEL) break;
        SetTextColor((HDC)wparam, GREY);
        SetBkColor((HDC)wparam, palette.white);
        return (LRESULT)launcher_state.white_brush;
    case WM_COMMAND:
        switch (LOWORD(wparam)) {
        case IDC_LAUNCHER_SEARCH:
            if (HIWORD(wparam) == EN_CHANGE) launcher_refresh();
            return 0;
        case IDC_LAUNCHER_LIST:
            if (HIWORD(wparam) == LBN_SELCHANGE) {
                int row = (int)SendMessageW(launcher_state.list, LB_GETCURSEL, 0, 0);
                if (row >= 0 && rows.tool[row] == ROW_HEADING) select_row(next_tool_row(row, 1));
                show_details();
            }
            if (HIWORD(wparam) == LBN_DBLCLK) launcher_open_selected();
            return 0;
        case IDC_LAUNCHER_OPEN:
            if (HIWORD(wparam) == BN_CLICKED) launcher_open_selected();
            return 0;
        case IDC_LAUNCHER_STAR:
            if (HIWORD(wparam) == BN_CLICKED) launcher_star_selected();
            return 0;
        case IDC_LAUNCHER_NEW_PATIENT:
            if (HIWORD(wparam) == BN_CLICKED) launcher_new_patient();
            return 0;
        case IDC_LAUNCHER_NEW_NURSE:
            if (HIWORD(wparam) == BN_CLICKED) launcher_new_nurse();
            return 0;
        }
        for (int k = 0; k < LAUNCHER_BAR_FIELDS; k++) {
            if (LOWORD(wparam) != BAR_FIELDS[k].id) continue;
            // A field taken by a click or a Tab has its text selected, so
            // that a scan replaces it whole.
            if (HIWORD(wparam) == EN_SETFOCUS) PostMessageW((HWND)lparam, EM_SETSEL, 0, -1);
            if (HIWORD(wparam) == EN_CHANGE && k < LAUNCHER_PATIENT_FIELDS) on_bar_changed(BAR_FIELDS[k].field);
            return 0;
        }
        break;
    }
    return DefWindowProcW(window, message, wparam, lparam);
}

// The patient the bar shows, with the ward and the nurse the hospital
// system gave. False, having named the field at fault in a box and put the
// focus in it, when one is.
bool bar_patient(Patient* patient) {
    const LauncherState& s = launcher_state;
    *patient = s.patient;
    for (int k = 0; k < LAUNCHER_BAR_FIELDS; k++) {
        wchar_t text[BAR_TEXT_CAPACITY] = L"";
        PatientFieldFault fault = PATIENT_FIELD_TOO_LONG;
        if (GetWindowTextLengthW(s.patient_fields[k]) < BAR_TEXT_CAPACITY) {
            GetWindowTextW(s.patient_fields[k], text, BAR_TEXT_CAPACITY);
            fault = patient_field_fault(BAR_FIELDS[k].field, text);
        }
        if (fault != PATIENT_FIELD_SOUND) {
            wchar_t message[128];
            patient_field_fault_text(BAR_FIELDS[k].field, fault, message, 128);
            text_append(message, 128, L"，请改正后再打开工具。");
            launcher_message_box(s.window, message, LAUNCHER_TITLE, MB_OK | MB_ICONWARNING);
            SetFocus(s.patient_fields[k]);
            return false;
        }
        patient_set_field(patient, BAR_FIELDS[k].field, text);
    }
    // The ward and the stay came with the patient the hospital system
    // gave: another patient typed or scanned over it may lie elsewhere.
    if (wcscmp(patient->fields[PATIENT_ID], s.patient.fields[PATIENT_ID]) != 0 ||
        wcscmp(patient->fields[PATIENT_NAME], s.patient.fields[PATIENT_NAME]) != 0)
        for (int field : STAY_FIELDS) patient->fields[field][0] = 0;
    return true;
}

// A new hospital number in the bar: the name and bed given with the old
// one, and the ward and stay the hospital system gave, go, so that the two
// identifiers always come from one source. What is typed after it belongs
// to the new number.
void on_bar_changed(int field) {
    LauncherState& s = launcher_state;
    wchar_t number[2 * PATIENT_FIELD_CAPACITY] = L"";
    GetWindowTextW(s.patient_fields[0], number, 2 * PATIENT_FIELD_CAPACITY);
    if (field == PATIENT_ID && wcscmp(number, s.bar_number) != 0) {
        text_copy(s.bar_number, 2 * PATIENT_FIELD_CAPACITY, number);
        for (int k = 1; k < LAUNCHER_PATIENT_FIELDS; k++) SetWindowTextW(s.patient_fields[k], L"");
        for (int f : STAY_FIELDS) s.patient.fields[f][0] = 0;
    }
    text_copy(s.bar_number, 2 * PATIENT_FIELD_CAPACITY, number);
    launcher_tell_opened_tools();
}

// Whose the bar says the next tool is: "张三（2026001234）" as typed, or "".
void bar_owner(wchar_t* owner) {
    const LauncherState& s = launcher_state;
    Patient shown = {};
    for (int k = 0; k < 2; k++) {
        wchar_t text[BAR_TEXT_CAPACITY] = L"";
        GetWindowTextW(s.patient_fields[k], text, BAR_TEXT_CAPACITY);
        patient_set_field(&shown, BAR_FIELDS[k].field, text);
    }
    patient_owner(shown, owner, PATIENT_OWNER_CAPACITY);
}

}  // namespace

HWND launcher_create(HINSTANCE instance, const wchar_t* command_line) {
    LauncherState& s = launcher_state;
    s.instance = instance;
    if (!s.program_folder[0]) {
        DWORD n = GetModuleFileNameW(nullptr, s.program_folder, MAX_PATH);
        while (n > 0 && s.program_folder[n - 1] != L'\\') n--;
        s.program_folder[n > 0 ? n - 1 : 0] = 0;
    }
    ListsReading reading = launcher_lists_load(&s.lists);
    text_copy(s.status, LAUNCHER_STATUS_CAPACITY,
              reading == LISTS_NOT_READ       ? LISTS_NOT_READ_TEXT
              : reading == LISTS_READ_IN_PART ? LISTS_IN_PART_TEXT
                                              : L"");
    s.white_brush = CreateSolidBrush(palette.white);
    register_suite_window_class(instance, CLASS_NAME, launcher_proc, nullptr, true);
    // Made at the size it has at the primary monitor's DPI, where it opens,
    // and sized again should its own differ (WM_CREATE reads it).
    const int opening_dpi = window_dpi(nullptr);
    const SIZE opening = window_size(opening_dpi);
    HWND window = CreateWindowExW(0, CLASS_NAME, LAUNCHER_TITLE, WINDOW_STYLE, CW_USEDEFAULT, CW_USEDEFAULT,
                                  opening.cx, opening.cy, nullptr, nullptr, instance, nullptr);
    if (!window) return nullptr;
    if (s.dpi != opening_dpi) {
        const SIZE size = window_size(s.dpi);
        SetWindowPos(window, nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    keep_inside_work_area(window);
    // Every control made and filled while the window is hidden, then the
    // window shown whole, as a tool's is (main_window.cpp).
    load_common_controls();
    create_children();
    StartRequest request;
    start_request_read(nullptr, command_line, &request);
    s.patient = request.patient;
    // Name, bed, ward and stay came with this number: setting it clears none.
    text_copy(s.bar_number, 2 * PATIENT_FIELD_CAPACITY, s.patient.fields[PATIENT_ID]);
    for (int k = 0; k < LAUNCHER_BAR_FIELDS; k++)
        SetWindowTextW(s.patient_fields[k], s.patient.fields[BAR_FIELDS[k].field]);
    launcher_refresh();
    ShowWindow(window, SW_SHOW);
    SetFocus(s.search);
    UpdateWindow(window);
    if (request.complaint[0]) launcher_message_box(window, request.complaint, L"启动参数有误", MB_OK | MB_ICONWARNING);
    // Results a tool left waiting for the hospital's database go now, and
    // again every few minutes while the launcher is open.
    delivery_start(window, WM_LAUNCHER_DELIVERY_DONE);
    SetTimer(window, 1, DELIVERY_RETRY_MILLISECONDS, nullptr);
    return window;
}

void launcher_refresh() { fill_list(false); }

int launcher_selected_tool() {
    int row = (int)SendMessageW(launcher_state.list, LB_GETCURSEL, 0, 0);
    return row >= 0 && row < rows.count ? rows.tool[row] : -1;
}

void launcher_open_selected() {
    LauncherState& s = launcher_state;
    int tool = launcher_selected_tool();
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
    if (s.opened_count == LAUNCHER_OPENED_MAX) {
        for (int k = 1; k < LAUNCHER_OPENED_MAX; k++) s.opened[k - 1] = s.opened[k];
        s.opened_count--;
    }
    OpenedTool& opened = s.opened[s.opened_count++];
    opened.process_id = process.dwProcessId;
    patient_owner(patient, opened.owner, PATIENT_OWNER_CAPACITY);
    opened.told = false;
    launcher_note_opened(&s.lists, suite_tools[tool]->id);
    fill_list(true);
    text_format_marked(status, LAUNCHER_STATUS_CAPACITY, L"已打开：%ls", suite_tools[tool]->title);
    keep_lists(status, L"（最近使用未能保存）");
}

void launcher_new_patient() {
    LauncherState& s = launcher_state;
    for (int f = 0; f < PATIENT_FIELD_COUNT; f++)
        if (!patient_field_is_nurse(f)) s.patient.fields[f][0] = 0;
    for (int k = 0; k < LAUNCHER_PATIENT_FIELDS; k++) SetWindowTextW(s.patient_fields[k], L"");
    SetFocus(s.patient_fields[0]);
    launcher_tell_opened_tools();
}

void launcher_new_nurse() {
    LauncherState& s = launcher_state;
    for (int k = LAUNCHER_PATIENT_FIELDS; k < LAUNCHER_BAR_FIELDS; k++) SetWindowTextW(s.patient_fields[k], L"");
    SetFocus(s.patient_fields[LAUNCHER_PATIENT_FIELDS]);
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

void launcher_star_selected() {
    LauncherState& s = launcher_state;
    int tool = launcher_selected_tool();
    if (tool < 0) return;
    int id = suite_tools[tool]->id;
    launcher_toggle_favourite(&s.lists, id);
    fill_list(true);
    wchar_t status[LAUNCHER_STATUS_CAPACITY];
    text_format_marked(status, LAUNCHER_STATUS_CAPACITY, L"%ls：%ls",
                       launcher_is_favourite(s.lists, id) ? L"已收藏" : L"已取消收藏", suite_tools[tool]->title);
    keep_lists(status, L"（未能保存，下次打开时不会保留）");
}

// The list box would move onto a heading by itself, and Enter never reaches
// it (IsDialogMessage takes it): these keys are taken before either control
// sees them. A wristband scanner types the number and then Enter: in the
// bar, Enter moves on, where IsDialogMessage would press 打开 with half the
// patient typed.
bool launcher_route_key(const MSG& message) {
    LauncherState& s = launcher_state;
    if (message.message != WM_KEYDOWN) return false;
    for (int k = 0; k < LAUNCHER_BAR_FIELDS; k++) {
        if (message.hwnd != s.patient_fields[k] || message.wParam != VK_RETURN) continue;
        // Along the row, from its last field to the search box.
        const bool last = k + 1 == LAUNCHER_PATIENT_FIELDS || k + 1 == LAUNCHER_BAR_FIELDS;
        HWND next = last ? s.search : s.patient_fields[k + 1];
        SetFocus(next);
        SendMessageW(next, EM_SETSEL, 0, -1);
        return true;
    }
    if (message.hwnd != s.search && message.hwnd != s.list) return false;
    int row = (int)SendMessageW(s.list, LB_GETCURSEL, 0, 0);
    switch (message.wParam) {
    case VK_DOWN: select_row(next_tool_row(row, 1)); return true;
    case VK_UP: select_row(next_tool_row(row, -1)); return true;
    case VK_RETURN: launcher_open_selected(); return true;
    case VK_ESCAPE: SetWindowTextW(s.search, L""); return true;
    }
    return false;
}

void launcher_dispatch(MSG* message) {
    if (launcher_route_key(*message) || IsDialogMessageW(launcher_state.window, message)) return;
    TranslateMessage(message);
    DispatchMessageW(message);
}

int launcher_run(HINSTANCE instance) {
    if (!launcher_create(instance, GetCommandLineW())) return 1;
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) launcher_dispatch(&message);
    delivery_finish(DELIVERY_EXIT_WAIT_MILLISECONDS);
    return 0;
}
