// A page of the job drawn by one routine into whatever device context it is
// given (a printer's, or a memory DC in the tests), and read back as text
// by the same walk.
#include "app/win32/print_job.h"

namespace printing {
namespace {

// A text of a page and where it starts; it runs at most to the body's right.
struct PageText {
    const wchar_t* text;
    int length;
    LineStyle style;
    int x, y;
};

// Hands `take` every text of page `number` in reading order: a later page's
// running head, the body's rows (an empty line too), the last page's
// signature, the footer.
template <typename Take>
void page_texts(const Job& job, HDC dc, int number, Take take) {
    if (number > 1) take(PageText{job.running_head, text_length(job.running_head), SMALL, job.left, job.top});
    for (RowWalk walk; next_row(job, dc, walk) && walk.row.page <= number;) {
        const Row& row = walk.row;
        if (row.page == number)
            take(PageText{job.text + row.start, row.length, row.style, job.left, body_top(job, number) + row.y});
    }
    if (number == job.page_count)
        take(PageText{job.signature, text_length(job.signature), BODY, job.left, job.signature_top});
    const wchar_t disclaimer[] = DISCLAIMER;
    int line = row_height(job, dc, SMALL);
    take(PageText{disclaimer, text_length(disclaimer), SMALL, job.left, job.footer_top + line / 4});
    wchar_t pages[64];
    int length = text_format(pages, 64, L"第 %d 页 / 共 %d 页", number, job.page_count);
    SIZE size;
    GetTextExtentPoint32W(dc, pages, length, &size);
    take(PageText{pages, length, SMALL, job.right - size.cx, job.footer_top + line / 4 + line});
}

void rule(const Job& job, HDC dc, int y) {
    HPEN pen = CreatePen(PS_SOLID, 0, PRINT_INK);
    HGDIOBJ old_pen = SelectObject(dc, pen);
    MoveToEx(dc, job.left, y, nullptr);
    LineTo(dc, job.right, y);
    SelectObject(dc, old_pen);
    DeleteObject(pen);
}

}  // namespace

void draw_page(const Job& job, HDC dc, int number) {
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, PRINT_INK);
    HGDIOBJ old_font = SelectObject(dc, job.fonts[BODY]);
    // Names and numbers from outside print as typed: no "&" is taken for a
    // mnemonic's mark. A line that the body does not hold (the running head
    // or the signature with names of the longest) ends in "…" at its right.
    page_texts(job, dc, number, [&](const PageText& piece) {
        if (!piece.length) return;
        SelectObject(dc, job.fonts[piece.style]);
        RECT box = {piece.x, piece.y, job.right, piece.y + job.body_height};
        DrawTextW(dc, piece.text, piece.length, &box, DT_NOPREFIX | DT_SINGLELINE | DT_END_ELLIPSIS);
    });
    if (number > 1) rule(job, dc, job.top + job.head_height * 2 / 3);
    rule(job, dc, job.footer_top);
    SelectObject(dc, old_font);
}

}  // namespace printing

int print_page_text(HDC dc, int number, wchar_t* text, int capacity) {
    const printing::Job& job = printing::the_job;
    HGDIOBJ old_font = SelectObject(dc, job.fonts[printing::BODY]);
    int n = 0;
    printing::page_texts(job, dc, number, [&](const printing::PageText& piece) {
        for (int k = 0; k < piece.length && n < capacity - 2; k++) text[n++] = piece.text[k];
        if (n < capacity - 1) text[n++] = L'\n';
    });
    text[n] = 0;
    SelectObject(dc, old_font);
    return n;
}
