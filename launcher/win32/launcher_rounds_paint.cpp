// The ward list drawn: each row's cells under the column titles the window
// paints above the list, the row in its due state's colour with a strip of
// it at its left edge, so that it reads without the words too.
#include "launcher/win32/launcher_internal.h"

namespace {

// Where each column starts, in units from the list's left edge; the last
// runs to the list's right.
constexpr int COLUMN_X[ROUNDS_COLUMN_COUNT] = {0, 38, 120, 204, 312, 394, 462, 552};
constexpr int CELL_PADDING = 6, STRIP_W = 4;

// A row's cells, each ending in "…" where it is too wide for its column.
void draw_cells(HDC dc, RECT row, const RoundsEntry* entry, int utc_offset_minutes) {
    for (int c = 0; c < ROUNDS_COLUMN_COUNT; c++) {
        RECT cell = row;
        cell.left = row.left + px(COLUMN_X[c] + CELL_PADDING);
        if (c + 1 < ROUNDS_COLUMN_COUNT) cell.right = row.left + px(COLUMN_X[c + 1]);
        wchar_t text[ROUNDS_CELL_CAPACITY];
        if (entry) rounds_cell(*entry, c, utc_offset_minutes, text, ROUNDS_CELL_CAPACITY);
        else text_copy(text, ROUNDS_CELL_CAPACITY, rounds_column_title(c));
        DrawTextW(dc, text, -1, &cell, DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX);
    }
}

}  // namespace

int rounds_column_x(int column) { return COLUMN_X[column]; }

COLORREF rounds_row_colour(const RoundsEntry& entry) {
    switch (entry.due) {
    case ROUNDS_OVERDUE: return verdict_colour(3);
    case ROUNDS_DUE_IN_SHIFT: return verdict_colour(2);
    default: return palette.text;
    }
}

void paint_rounds_columns(HDC dc) {
    // Over the list's rows: its client starts inside its edge.
    RECT titles = px_box(ROUNDS_COLUMNS);
    titles.left += GetSystemMetrics(SM_CXEDGE);
    SelectObject(dc, launcher_state.font);
    SetTextColor(dc, palette.text_grey);
    draw_cells(dc, titles, nullptr, 0);
}

void draw_rounds_row(const DRAWITEMSTRUCT* item) {
    const RoundsList& list = rounds_shown();
    if (item->itemID == (UINT)-1 || (int)item->itemID >= list.count || !rounds_any_shown()) return;
    const RoundsEntry& entry = list.entries[item->itemID];
    HDC dc = item->hDC;
    RECT r = item->rcItem;
    bool selected = item->itemState & ODS_SELECTED;
    HBRUSH fill = CreateSolidBrush(selected ? GetSysColor(COLOR_HIGHLIGHT) : palette.white);
    FillRect(dc, &r, fill);
    DeleteObject(fill);
    const COLORREF colour = rounds_row_colour(entry);
    if (colour != palette.text) {
        RECT strip = {r.left, r.top, r.left + px(STRIP_W), r.bottom};
        HBRUSH due = CreateSolidBrush(colour);
        FillRect(dc, &strip, due);
        DeleteObject(due);
    }
    SetBkMode(dc, TRANSPARENT);
    SelectObject(dc, launcher_state.font);
    SetTextColor(dc, selected ? GetSysColor(COLOR_HIGHLIGHTTEXT) : colour);
    LocalTime now;
    platform_calls.local_time(&now);
    draw_cells(dc, r, &entry, now.utc_offset_minutes);
}
