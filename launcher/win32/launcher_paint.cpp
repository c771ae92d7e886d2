// What the launcher draws itself, in the tools' own window's colours and
// band, so the suite looks one: the page, the band with the title, the
// bar's panel and the status line; the list's rows; the bar's labels.
#include "app/maker.h"
#include "launcher/win32/launcher_internal.h"
#include "suite/catalogue.h"

namespace {

constexpr COLORREF BAND = palette.band, GREY = palette.text_grey, PAGE = palette.page;

// The client area into `dc`; the children draw on top.
void paint_launcher(HDC dc, const LauncherState& s) {
    RECT all = px_box({0, 0, CLIENT_W, CLIENT_H}), band = px_box({0, 0, CLIENT_W, BAND_HEIGHT});
    HBRUSH page = CreateSolidBrush(PAGE), blue = CreateSolidBrush(BAND);
    FillRect(dc, &all, page);
    FillRect(dc, &band, blue);
    DeleteObject(page);
    DeleteObject(blue);
    SetBkMode(dc, TRANSPARENT);
    SelectObject(dc, s.font_title);
    SetTextColor(dc, palette.white);
    RECT title = px_box({26, 0, CLIENT_W - 26, BAND_HEIGHT});
    DrawTextW(dc, LAUNCHER_TITLE L"  ·  " L"" MAKER_NAME, -1, &title, DT_SINGLELINE | DT_VCENTER);
    HPEN outline = CreatePen(PS_SOLID, px(1), palette.panel_outline);
    HGDIOBJ old_pen = SelectObject(dc, outline), old_brush = SelectObject(dc, s.white_brush);
    RECT bar = px_box({20, TOP, CLIENT_W - 20, TOP + BAR_H});
    Rectangle(dc, bar.left, bar.top, bar.right, bar.bottom);
    SelectObject(dc, old_brush);
    DeleteObject(SelectObject(dc, old_pen));
    paint_rounds_columns(dc);
    SelectObject(dc, s.font);
    SetTextColor(dc, s.status_warning ? verdict_colour(1) : GREY);
    RECT status = px_box(STATUS_LINE);
    DrawTextW(dc, s.status, -1, &status, DT_SINGLELINE | DT_VCENTER | DT_RIGHT | DT_END_ELLIPSIS);
}

}  // namespace

void on_paint(HWND window) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window, &ps);
    paint_launcher(dc, launcher_state);
    EndPaint(window, &ps);
}

void on_measure_item(MEASUREITEMSTRUCT* item) { item->itemHeight = px(ROW_HEIGHT); }

void draw_row(const DRAWITEMSTRUCT* item) {
    if (item->CtlID == IDC_LAUNCHER_ROUNDS) {
        draw_rounds_row(item);
        return;
    }
    const LauncherRows& rows = launcher_state.rows;
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
        SetTextColor(dc, selected ? GetSysColor(COLOR_HIGHLIGHTTEXT) : palette.text);
        text_format_marked(text, 512, L"%ls%03d  %ls  —  %ls",
                           launcher_is_favourite(launcher_state.lists, tool.id) ? L"★ " : L"    ", tool.id,
                           tool.title, tool.summary ? tool.summary : L"");
    }
    r.left += px(8);
    DrawTextW(dc, text, -1, &r, DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX);
}

LRESULT on_ctl_color_static(HWND window, WPARAM wparam, LPARAM lparam) {
    // The ward list's heading on the page, in the band's colour.
    if (GetDlgCtrlID((HWND)lparam) == IDC_LAUNCHER_ROUNDS_HEADING) {
        static HBRUSH page = CreateSolidBrush(PAGE);
        SetTextColor((HDC)wparam, BAND);
        SetBkColor((HDC)wparam, PAGE);
        return (LRESULT)page;
    }
    // The details box keeps its own colours.
    if (GetDlgCtrlID((HWND)lparam) != IDC_LAUNCHER_LABEL)
        return DefWindowProcW(window, WM_CTLCOLORSTATIC, wparam, lparam);
    SetTextColor((HDC)wparam, GREY);
    SetBkColor((HDC)wparam, palette.white);
    return (LRESULT)launcher_state.white_brush;
}
