// The launcher's children and fonts at the window's DPI: made once, laid
// out again whenever the window's scaling changes.
#include "launcher/win32/launcher_internal.h"
#include "quality/quality.h"

#include <commctrl.h>

#include "common/win32/display_scale.h"
#include "common/win32/scan_field.h"

namespace {

constexpr int FONT_HEIGHT = 15, TITLE_FONT_HEIGHT = 17;
// Under the bar, two columns: on the left the search box, the tools' list
// and the details; on the right the ward list under its heading, each
// column title over its cells. The buttons share the bottom strip with the
// status line.
constexpr int SEARCH_Y = TOP + BAR_H + 12;
constexpr int BUTTONS_Y = CLIENT_H - 50, PANES_Y = SEARCH_Y + 40, PANES_BOTTOM = BUTTONS_Y - 12;
constexpr int LEFT_W = 470, LIST_H = 198, DETAILS_Y = PANES_Y + LIST_H + 10;
constexpr int BAR_ROW_Y = TOP + 8, BAR_ROW_H = 28, BAR_ROW2_Y = BAR_ROW_Y + 36, BAR_BUTTON_X = CLIENT_W - 140;
constexpr int ROUNDS_LIST_Y = ROUNDS_COLUMNS.bottom;

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
// Two rows of the window's font: the ward, the source and the counts, then
// when the list was read and why not since, as they wrap.
constexpr DWORD HEADING_STYLE = SS_LEFT | SS_NOPREFIX;
constexpr DWORD LIST_STYLE = WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_OWNERDRAWFIXED | LBS_NOINTEGRALHEIGHT;
// The ward list's rows keep their cells as text, for a screen reader.
constexpr DWORD ROUNDS_STYLE = LIST_STYLE | LBS_HASSTRINGS;
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
    {L"BUTTON",  L"换患者", BUTTON_STYLE,  0,    IDC_LAUNCHER_NEW_PATIENT,  BAR_BUTTON_X, TOP + 7, 110, 30},
    {L"STATIC",  L"",       LABEL_STYLE,   0,    IDC_LAUNCHER_LABEL,        22,  BAR_ROW2_Y, 62,  BAR_ROW_H},
    {L"EDIT",    L"",       FIELD_STYLE,   EDGE, IDC_LAUNCHER_NURSE_ID,     88,  BAR_ROW2_Y, 160, BAR_ROW_H},
    {L"STATIC",  L"",       LABEL_STYLE,   0,    IDC_LAUNCHER_LABEL,        256, BAR_ROW2_Y, 70,  BAR_ROW_H},
    {L"EDIT",    L"",       FIELD_STYLE,   EDGE, IDC_LAUNCHER_NURSE_NAME,   334, BAR_ROW2_Y, 180, BAR_ROW_H},
    {L"BUTTON",  L"换护士", BUTTON_STYLE,  0,    IDC_LAUNCHER_NEW_NURSE,    BAR_BUTTON_X, BAR_ROW2_Y - 1, 110, 30},
    {L"EDIT",    L"",       FIELD_STYLE,   EDGE, IDC_LAUNCHER_SEARCH,       20,  SEARCH_Y,  LEFT_W, 30},
    {L"LISTBOX", L"",       LIST_STYLE,    EDGE, IDC_LAUNCHER_LIST,         20,  PANES_Y,   LEFT_W, LIST_H},
    {L"EDIT",    L"",       DETAILS_STYLE, EDGE, IDC_LAUNCHER_DETAILS,      20,  DETAILS_Y, LEFT_W, PANES_BOTTOM - DETAILS_Y},
    {L"BUTTON",  L"打开",   DEFAULT_STYLE, 0,    IDC_LAUNCHER_OPEN,         20,  BUTTONS_Y, 110, 34},
    {L"BUTTON",  L"收藏",   BUTTON_STYLE,  0,    IDC_LAUNCHER_STAR,         140, BUTTONS_Y, 110, 34},
    {L"STATIC",  L"",       HEADING_STYLE, 0,    IDC_LAUNCHER_ROUNDS_HEADING, ROUNDS_COLUMNS.left, SEARCH_Y - 4,
     ROUNDS_COLUMNS.right - ROUNDS_COLUMNS.left, ROUNDS_COLUMNS.top - SEARCH_Y + 2},
    {L"LISTBOX", L"",       ROUNDS_STYLE,  EDGE, IDC_LAUNCHER_ROUNDS,       ROUNDS_COLUMNS.left, ROUNDS_LIST_Y,
     ROUNDS_COLUMNS.right - ROUNDS_COLUMNS.left, PANES_BOTTOM - ROUNDS_LIST_Y},
    {L"BUTTON",  L"打印交班表", BUTTON_STYLE, 0, IDC_LAUNCHER_PRINT_ROUNDS, ROUNDS_COLUMNS.left, BUTTONS_Y, 130, 34},
    {L"BUTTON",  QUALITY_TITLE, BUTTON_STYLE, 0, IDC_LAUNCHER_QUALITY, ROUNDS_COLUMNS.left + 140, BUTTONS_Y, 130, 34},
};
static_assert(sizeof CHILDREN / sizeof *CHILDREN == LAUNCHER_CHILD_COUNT);

// The suite's face, `height` units high at the window's DPI.
HFONT suite_font(int height, int weight) {
    return CreateFontW(-px(height), 0, 0, 0, weight, 0, 0, 0, DEFAULT_CHARSET, 0, 0, CLEARTYPE_QUALITY, 0, SUITE_FACE);
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
    SendMessageW(s.rounds_list, LB_SETITEMHEIGHT, 0, px(ROW_HEIGHT));
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

}  // namespace

int px(int units) { return scaled(units, launcher_state.dpi); }
RECT px_box(RECT units) { return {px(units.left), px(units.top), px(units.right), px(units.bottom)}; }

void make_fonts() {
    launcher_state.font = suite_font(FONT_HEIGHT, FW_NORMAL);
    launcher_state.font_title = suite_font(TITLE_FONT_HEIGHT, FW_BOLD);
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
    s.rounds_heading = GetDlgItem(s.window, IDC_LAUNCHER_ROUNDS_HEADING);
    s.rounds_list = GetDlgItem(s.window, IDC_LAUNCHER_ROUNDS);
    SendMessageW(s.search, EM_SETCUEBANNER, TRUE, (LPARAM)L"输入名称、拼音首字母（如 ylx）或编号");
    place_children();
}

void on_dpi_changed(HWND window, int dpi, const RECT& suggested) {
    launcher_state.dpi = dpi;
    lay_out();
    SetWindowPos(window, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    InvalidateRect(window, nullptr, TRUE);
}
