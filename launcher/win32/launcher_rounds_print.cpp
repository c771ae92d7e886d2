// The ward list on paper, the shift's handover sheet: the ward, the shift,
// when it was printed and the list's heading as shown, then every row as
// the list shows it, the medium- and high-risk ones (levels 2 and 3)
// first, handed over at the bedside; a signature line for the nurses handing over and
// taking over. Printed through the suite's print dialog.
#include "common/win32/print_sheet.h"
#include "launcher/win32/launcher_internal.h"

namespace {

enum SheetFont { SHEET_TITLE, SHEET_BODY, SHEET_BOLD, SHEET_SMALL, SHEET_FONT_COUNT };
constexpr int POINT_TENTHS[SHEET_FONT_COUNT] = {160, 100, 100, 90};
constexpr int MARGIN_TENTHS_OF_MM = 150;
// As print_pages.cpp holds for a tool's page: less than this holds no sheet.
constexpr int MIN_PRINTABLE_WIDTH_MM = 90, MIN_PRINTABLE_HEIGHT_MM = 120;
constexpr wchar_t AT_RISK[] = L"中高危患者（床旁交接）", OTHERS[] = L"其他待评估项目";
constexpr wchar_t SIGNATURES[] = L"交班护士签名：____________　　接班护士签名：____________";

// One printed row: a group's heading or an entry of the list.
struct SheetRow {
    const wchar_t* heading;  // nullptr for an entry
    int entry;
};

struct Sheet {
    HFONT fonts[SHEET_FONT_COUNT];
    int left, right, top, footer_top, row_h, head_rows;
    SheetRow rows[ROUNDS_LIST_CAPACITY + 2];
    int row_count, per_first_page, per_page, page_count;
    wchar_t title[ROUNDS_HEADING_CAPACITY], details[ROUNDS_HEADING_CAPACITY], heading[ROUNDS_HEADING_CAPACITY];
    int utc_offset_minutes;
};
Sheet sheet;

bool at_risk(const RoundsEntry& entry) { return !entry.admission_missing && entry.last.level >= 2; }

// The medium- and high-risk rows first, each group in the list's order, under its heading.
void order_rows() {
    const RoundsList& list = rounds_shown();
    sheet.row_count = 0;
    for (int group = 0; group < 2; group++) {
        bool headed = false;
        for (int k = 0; k < list.count; k++) {
            if (at_risk(list.entries[k]) != (group == 0)) continue;
            if (!headed) sheet.rows[sheet.row_count++] = {group == 0 ? AT_RISK : OTHERS, -1};
            headed = true;
            sheet.rows[sheet.row_count++] = {nullptr, k};
        }
    }
}

// The shift the sheet is printed in, by when it ends.
const wchar_t* shift_name(MomentSeconds now, int offset) {
    LocalTime end = reassess_local(rounds_shift_end(now, offset), offset);
    if (end.hour == 8) return L"大夜班（00:00–08:00）";
    if (end.hour == 16) return L"白班（08:00–16:00）";
    return L"小夜班（16:00–24:00）";
}

bool at_least_mm(int pixels, int dpi, int mm) { return dpi > 0 && pixels * 254LL >= mm * 10LL * dpi; }

void release() {
    for (HFONT& font : sheet.fonts) {
        if (font) DeleteObject(font);
        font = nullptr;
    }
}

int lay_out(HDC dc, const PageSize& page) {
    int width = page.printable_width < page.paper_width ? page.printable_width : page.paper_width;
    int height = page.printable_height < page.paper_height ? page.printable_height : page.paper_height;
    if (!at_least_mm(width, page.dpi_x, MIN_PRINTABLE_WIDTH_MM) ||
        !at_least_mm(height, page.dpi_y, MIN_PRINTABLE_HEIGHT_MM))
        return 0;
    release();
    for (int f = 0; f < SHEET_FONT_COUNT; f++)
        sheet.fonts[f] = CreateFontW(-MulDiv(POINT_TENTHS[f], page.dpi_y, 720), 0, 0, 0,
                                     f == SHEET_TITLE || f == SHEET_BOLD ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE,
                                     DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, 0,
                                     SUITE_FACE);
    int margin_x = MulDiv(MARGIN_TENTHS_OF_MM, page.dpi_x, 254), margin_y = MulDiv(MARGIN_TENTHS_OF_MM, page.dpi_y, 254);
    sheet.left = margin_x - page.offset_x;
    sheet.right = page.paper_width - margin_x - page.offset_x;
    sheet.top = margin_y - page.offset_y;
    HGDIOBJ old = SelectObject(dc, sheet.fonts[SHEET_BODY]);
    TEXTMETRICW metrics;
    GetTextMetricsW(dc, &metrics);
    SelectObject(dc, old);
    sheet.row_h = metrics.tmHeight + metrics.tmExternalLeading + metrics.tmHeight / 3;
    // The footer: the signatures and the page's number, two rows.
    sheet.footer_top = page.paper_height - margin_y - page.offset_y - 3 * sheet.row_h;
    // The first page's head: the title (two rows high), the ward and shift,
    // the list's heading, then the columns' titles; a later page's: a
    // running head and the columns' titles.
    const int rows = (sheet.footer_top - sheet.top) / sheet.row_h;
    sheet.per_first_page = rows - 5;
    sheet.per_page = rows - 2;
    if (sheet.per_first_page < 1) return 0;
    order_rows();
    int left = sheet.row_count - sheet.per_first_page;
    sheet.page_count = 1 + (left > 0 ? (left + sheet.per_page - 1) / sheet.per_page : 0);
    return sheet.page_count;
}

void text_at(HDC dc, SheetFont font, int x, int y, int right, const wchar_t* text) {
    SelectObject(dc, sheet.fonts[font]);
    RECT box = {x, y, right, y + sheet.row_h};
    DrawTextW(dc, text, -1, &box, DT_NOPREFIX | DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS);
}

void rule(HDC dc, int y) {
    HPEN pen = CreatePen(PS_SOLID, 0, PRINT_INK);
    HGDIOBJ old = SelectObject(dc, pen);
    MoveToEx(dc, sheet.left, y, nullptr);
    LineTo(dc, sheet.right, y);
    SelectObject(dc, old);
    DeleteObject(pen);
}

// The cells of an entry, or the columns' titles, across the body as the
// list lays them across the window.
void cells_at(HDC dc, int y, const RoundsEntry* entry) {
    const int span = ROUNDS_COLUMNS.right - ROUNDS_COLUMNS.left, width = sheet.right - sheet.left;
    for (int c = 0; c < ROUNDS_COLUMN_COUNT; c++) {
        int x = sheet.left + MulDiv(rounds_column_x(c), width, span);
        int right = c + 1 < ROUNDS_COLUMN_COUNT ? sheet.left + MulDiv(rounds_column_x(c + 1), width, span) : sheet.right;
        wchar_t text[ROUNDS_CELL_CAPACITY];
        if (entry) rounds_cell(*entry, c, sheet.utc_offset_minutes, text, ROUNDS_CELL_CAPACITY);
        else text_copy(text, ROUNDS_CELL_CAPACITY, rounds_column_title(c));
        text_at(dc, entry ? SHEET_BODY : SHEET_BOLD, x, y, right - sheet.row_h / 4, text);
    }
}

void draw_page(HDC dc, int number) {
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, PRINT_INK);
    HGDIOBJ old = SelectObject(dc, sheet.fonts[SHEET_BODY]);
    int y = sheet.top;
    if (number == 1) {
        text_at(dc, SHEET_TITLE, sheet.left, y, sheet.right, sheet.title);
        y += 2 * sheet.row_h;
        text_at(dc, SHEET_BODY, sheet.left, y, sheet.right, sheet.details);
        y += sheet.row_h;
        text_at(dc, SHEET_SMALL, sheet.left, y, sheet.right, sheet.heading);
        y += sheet.row_h;
    } else {
        text_at(dc, SHEET_SMALL, sheet.left, y, sheet.right, sheet.details);
        y += sheet.row_h;
    }
    cells_at(dc, y, nullptr);
    y += sheet.row_h;
    rule(dc, y);
    int first = number == 1 ? 0 : sheet.per_first_page + (number - 2) * sheet.per_page;
    int count = number == 1 ? sheet.per_first_page : sheet.per_page;
    const RoundsList& list = rounds_shown();
    for (int r = first; r < first + count && r < sheet.row_count; r++, y += sheet.row_h) {
        const SheetRow& row = sheet.rows[r];
        if (row.heading) text_at(dc, SHEET_BOLD, sheet.left, y, sheet.right, row.heading);
        else cells_at(dc, y, &list.entries[row.entry]);
    }
    rule(dc, sheet.footer_top);
    if (number == sheet.page_count) text_at(dc, SHEET_BODY, sheet.left, sheet.footer_top + sheet.row_h / 2, sheet.right,
                                            SIGNATURES);
    wchar_t pages[64];
    text_format(pages, 64, L"第 %d 页 / 共 %d 页", number, sheet.page_count);
    SelectObject(dc, sheet.fonts[SHEET_SMALL]);
    RECT box = {sheet.left, sheet.footer_top + 3 * sheet.row_h / 2, sheet.right, sheet.footer_top + 5 * sheet.row_h / 2};
    DrawTextW(dc, pages, -1, &box, DT_NOPREFIX | DT_SINGLELINE | DT_VCENTER | DT_RIGHT);
    SelectObject(dc, old);
}

}  // namespace

void rounds_print() {
    LauncherState& s = launcher_state;
    if (!rounds_any_shown()) {
        set_status(L"未打印：本病区评估提醒尚未读取");
        return;
    }
    LocalTime now;
    platform_calls.local_time(&now);
    sheet.utc_offset_minutes = now.utc_offset_minutes;
    wchar_t printed[32];
    const MomentSeconds moment = reassess_moment(now);
    rounds_time_text(moment, now.utc_offset_minutes, false, printed, 32);
    const wchar_t* ward = *rounds_ward() ? rounds_ward() : L"未设置病区";
    text_copy(sheet.title, ROUNDS_HEADING_CAPACITY, L"护理交班表 · 本病区评估提醒");
    text_format(sheet.details, ROUNDS_HEADING_CAPACITY, L"病区：%ls　　班次：%ls　　打印时间：%ls", ward,
                shift_name(moment, now.utc_offset_minutes), printed);
    GetWindowTextW(s.rounds_heading, sheet.heading, ROUNDS_HEADING_CAPACITY);
    const PrintSheet printing = {L"护理交班表", lay_out, draw_page, release};
    PrintReport report;
    print_sheet(s.window, printing, &report);
    wchar_t box[PRINT_WORDS_CAPACITY], status[PRINT_WORDS_CAPACITY];
    const wchar_t* caption;
    print_report_words(report, box, &caption, status, PRINT_WORDS_CAPACITY);
    if (status[0]) set_status(status);
    if (box[0]) launcher_message_box(s.window, box, caption, MB_OK | MB_ICONWARNING);
}
