// The document over pages: the fonts and margins from the printer's own
// paper and resolution, the lines wrapped to the body's width as the
// device measures them, and the rows flowed from page to page.
#include "app/win32/print_job.h"

namespace printing {

Job the_job;

namespace {

// The smallest printable area a page is laid out on. On less, a label or
// wristband printer's (often a ward's default), a row would hold a
// character or two and the result would run to thousands of pages.
constexpr int MIN_PRINTABLE_WIDTH_MM = 90, MIN_PRINTABLE_HEIGHT_MM = 120;

// Point sizes in tenths, by style; the footer is SMALL.
constexpr int POINT_TENTHS[STYLE_COUNT] = {160, 90, 115, 105};
constexpr int MARGIN_TENTHS_OF_MM = 150;

// How many characters of `text` start the next row: as many as fit the
// body's width, ended at a space when one lies in the row's second half so
// that words and cells stay whole; at least one.
int row_length(const Job& job, HDC dc, const wchar_t* text, int length) {
    int fit = 0;
    SIZE size;
    GetTextExtentExPointW(dc, text, length, job.body_width, &fit, nullptr, &size);
    if (fit >= length) return length;
    if (fit < 1) return 1;
    for (int i = fit; i > fit / 2; i--)
        if (text[i] == L' ') return i + 1;
    return fit;
}

bool at_least_mm(int pixels, int dpi, int mm) { return dpi > 0 && pixels * 254LL >= mm * 10LL * dpi; }

// A device that reports no paper (a display's or a memory DC) holds no page.
bool paper_holds_a_page(const PageSize& page) {
    int width = page.printable_width < page.paper_width ? page.printable_width : page.paper_width;
    int height = page.printable_height < page.paper_height ? page.printable_height : page.paper_height;
    return at_least_mm(width, page.dpi_x, MIN_PRINTABLE_WIDTH_MM) &&
           at_least_mm(height, page.dpi_y, MIN_PRINTABLE_HEIGHT_MM);
}

void release_fonts(Job& job) {
    for (HFONT& font : job.fonts) {
        if (font) DeleteObject(font);
        font = nullptr;
    }
}

int lay_out(Job& job, HDC dc, const PageSize& page) {
    if (!paper_holds_a_page(page)) return 0;
    release_fonts(job);
    for (int style = 0; style < STYLE_COUNT; style++)
        job.fonts[style] = CreateFontW(-MulDiv(POINT_TENTHS[style], page.dpi_y, 720), 0, 0, 0,
                                       style == TITLE || style == HEADING ? FW_BOLD : FW_NORMAL, FALSE, FALSE,
                                       FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                       DEFAULT_QUALITY, 0, L"Microsoft YaHei UI");
    // Margins from the paper's edges; the device draws from its printable
    // area's corner, `offset` in from the paper's.
    int margin_x = MulDiv(MARGIN_TENTHS_OF_MM, page.dpi_x, 254);
    int margin_y = MulDiv(MARGIN_TENTHS_OF_MM, page.dpi_y, 254);
    job.left = margin_x - page.offset_x;
    job.top = margin_y - page.offset_y;
    job.right = page.paper_width - margin_x - page.offset_x;
    job.body_width = job.right - job.left;
    HGDIOBJ old_font = SelectObject(dc, job.fonts[SMALL]);
    int footer_height = 2 * row_height(job, dc, SMALL);
    job.footer_top = page.paper_height - margin_y - page.offset_y - footer_height;
    job.body_height = job.footer_top - job.top - footer_height / 2;
    job.head_height = row_height(job, dc, SMALL) * 3 / 2;
    int signature_row = row_height(job, dc, BODY);
    job.signature_top = job.top + job.body_height - signature_row;
    compose(job, dc);

    RowWalk walk;
    while (next_row(job, dc, walk)) {
    }
    SelectObject(dc, old_font);
    // The signature keeps a row's space above it; where the body leaves
    // none, it stands on a page of its own.
    job.page_count = walk.page + (walk.y > body_height(job, walk.page) - 2 * signature_row);
    return job.page_count;
}

}  // namespace

int row_height(const Job& job, HDC dc, LineStyle style) {
    SelectObject(dc, job.fonts[style]);
    TEXTMETRICW metrics;
    GetTextMetricsW(dc, &metrics);
    return metrics.tmHeight + metrics.tmExternalLeading + metrics.tmHeight / 4;
}

bool next_row(const Job& job, HDC dc, RowWalk& walk) {
    if (walk.line >= job.line_count) return false;
    const DocumentLine& line = job.lines[walk.line];
    int end = line.start + line.length;
    int height = row_height(job, dc, line.style);
    int length = walk.at < end ? row_length(job, dc, job.text + walk.at, end - walk.at) : 0;
    if (walk.y + height > body_height(job, walk.page) && walk.y > 0) {
        walk.page++;
        walk.y = 0;
    }
    walk.row = {walk.at, length, line.style, walk.page, walk.y};
    walk.y += height;
    walk.at += length;
    if (walk.at >= end && ++walk.line < job.line_count) walk.at = job.lines[walk.line].start;
    return true;
}

}  // namespace printing

int print_layout(HDC dc, const PageSize& page) { return printing::lay_out(printing::the_job, dc, page); }

void print_layout_release() { printing::release_fonts(printing::the_job); }
