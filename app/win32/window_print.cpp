// The result on paper: the page laid out from the printer's own paper and
// resolution and drawn by one routine into whatever device context it is
// given (a printer's, or a memory DC in the tests), and the Print command
// with the standard Windows print dialog.
#include "app/win32/main_window.h"

#include <commdlg.h>
#include <stdarg.h>

#include "platform/platform.h"

namespace {

// What is printed, line by line, before it is wrapped to the paper.
enum LineStyle { TITLE, SMALL, HEADING, BODY, STYLE_COUNT };

struct DocumentLine {
    int start, length;
    LineStyle style;
};

// One printed row: a wrapped piece of a line, and where it stands.
struct Row {
    int start, length;
    LineStyle style;
    int page, y;  // 1-based page; y from the top of the body
};

// The document holds the result and, beside it, a line for each input, a
// heading for each section and at most a dozen others, each cut with "…" at
// LINE_CAPACITY, so the whole always fits. Every line of the result is at
// least its line break long.
constexpr int LINE_CAPACITY = 1024;
constexpr int DOCUMENT_OTHER_LINES = 2 * TOOL_MAX_INPUTS + 12;
constexpr int DOCUMENT_CAPACITY = RESULT_TEXT_CAPACITY + DOCUMENT_OTHER_LINES * LINE_CAPACITY;
constexpr int DOCUMENT_MAX_LINES = RESULT_TEXT_CAPACITY / 2 + DOCUMENT_OTHER_LINES;

// The smallest printable area a page is laid out on. On less, a label or
// wristband printer's (often a ward's default), a row would hold a
// character or two and the result would run to thousands of pages.
constexpr int MIN_PRINTABLE_WIDTH_MM = 90, MIN_PRINTABLE_HEIGHT_MM = 120;

// Point sizes in tenths, by style; the footer is SMALL.
constexpr int POINT_TENTHS[STYLE_COUNT] = {160, 90, 115, 105};
constexpr int MARGIN_TENTHS_OF_MM = 150;

// The patient on paper: a field not given is a line to fill by hand, and the
// label：value pairs of a line stand this far apart, in spaces that a row
// too narrow for them breaks at. The signature line is the nurse's, with
// her name after it when it is known.
#define BLANK_FIELD L"__________"
#define PAIR_GAP L"    "
#define SIGNATURE_LINE L"评估护士签名：________"
constexpr int PAIR_CAPACITY = 2 * PATIENT_FIELD_CAPACITY + 16;
constexpr int PATIENT_LINE_CAPACITY = 4 * PAIR_CAPACITY;
// Forms print three pairs to a line on A4; A5 holds fewer when they are long.
constexpr int PAIRS_PER_LINE = 3;

// One job's layout, static (the program has one thread and no heap of its
// own): made by print_layout, read by print_draw_page. It keeps the lines,
// not their rows: a row per wrapped piece would take a megabyte, and the
// printer's device context wraps the same text the same way every time.
struct Layout {
    wchar_t text[DOCUMENT_CAPACITY];
    int text_length;
    DocumentLine lines[DOCUMENT_MAX_LINES];
    int line_count;
    int page_count;
    HFONT fonts[STYLE_COUNT];
    int left, top, body_width, body_height, footer_top, right;
    int head_height;    // a later page's running head, above its body
    int signature_top;  // the signature's row, at the foot of the last page's body
    wchar_t printed_at[32];
    // Atop every page after the first, so that a loose page still names
    // its patient; at the foot of the last.
    wchar_t running_head[PATIENT_LINE_CAPACITY];
    wchar_t signature[PATIENT_LINE_CAPACITY];
};
Layout layout;

// ---- The document ----------------------------------------------------------------

void add_line(LineStyle style, const wchar_t* text, int length) {
    Layout& l = layout;
    if (l.line_count >= DOCUMENT_MAX_LINES) return;
    if (length > DOCUMENT_CAPACITY - 1 - l.text_length) length = DOCUMENT_CAPACITY - 1 - l.text_length;
    for (int i = 0; i < length; i++) l.text[l.text_length + i] = text[i];
    l.lines[l.line_count++] = {l.text_length, length, style};
    l.text_length += length;
}

void add_formatted(LineStyle style, const wchar_t* format, ...) {
    wchar_t line[LINE_CAPACITY];
    va_list args;
    va_start(args, format);
    text_vformat_marked(line, LINE_CAPACITY, format, args);
    va_end(args);
    add_line(style, line, text_length(line));
}

// The result text's lines from line `first` on, without their line breaks.
void add_result_lines(const wchar_t* text, int first) {
    int number = 0;
    for (const wchar_t* p = text; *p;) {
        const wchar_t* end = p;
        while (*end && *end != L'\r' && *end != L'\n') end++;
        if (number++ >= first) add_line(BODY, p, (int)(end - p));
        if (*end == L'\r') end++;
        if (*end == L'\n') end++;
        p = end;
    }
}

// A line as the calculation writes it, in the result text and the record.
void add_calculation_line(LineStyle style, const wchar_t* line) { add_line(style, line, text_length(line)); }

// Every input as the result text writes it, under its section's heading: a
// box only when checked, as the copy and the record name it, and a heading
// only above a line.
void add_input_lines(const PreparedTool& tool, const Calculation& c) {
    const wchar_t* section = nullptr;
    for (int i = 0; i < tool.input_count; i++) {
        const InputDef& input = tool.inputs[i];
        if (*input.section) section = input.section;
        if (!calc_input_line_shown(input, c.inputs[i])) continue;
        if (section) add_calculation_line(HEADING, section);
        section = nullptr;
        wchar_t line[LINE_CAPACITY];
        calc_input_line(input, c.inputs[i], line, LINE_CAPACITY, c.asked[i]);
        add_calculation_line(BODY, line);
    }
    if (calc_none_checked(tool, c.inputs)) add_calculation_line(BODY, CALC_NONE_CHECKED);
}

// "姓名：张三", or "姓名：__________" when the field is not given.
void field_pair(int field, wchar_t* pair, int capacity) {
    const wchar_t* value = main_window_state.patient.fields[field];
    text_format(pair, capacity, L"%ls：%ls", patient_field_name(field).label, *value ? value : BLANK_FIELD);
}

bool fits_body(HDC dc, const wchar_t* text) {
    SIZE size;
    SelectObject(dc, layout.fonts[BODY]);
    GetTextExtentPoint32W(dc, text, text_length(text), &size);
    return size.cx <= layout.body_width;
}

// The block heading the first page, as a ward's form has it: who, where,
// when the result was calculated and when printed, and the record's number
// once it is saved, so that a filed page is matched to its row. As many
// pairs to a line as the body's width holds, each pair whole.
constexpr int ASSESSED = -1, PRINTED = -2, RECORD_NUMBER = -3;
void add_patient_block(HDC dc) {
    constexpr int FIELDS[] = {PATIENT_NAME, PATIENT_ID, PATIENT_BED, PATIENT_WARD, ASSESSED, PRINTED, RECORD_NUMBER};
    const MainWindowState& s = main_window_state;
    wchar_t line[PATIENT_LINE_CAPACITY] = L"", longer[PATIENT_LINE_CAPACITY];
    int pairs = 0;
    for (int field : FIELDS) {
        wchar_t pair[PAIR_CAPACITY];
        const LocalTime& a = s.calculated_at;
        if (field == ASSESSED)
            text_format(pair, PAIR_CAPACITY, L"评估时间：%04d-%02d-%02d %02d:%02d", a.year, a.month, a.day, a.hour,
                        a.minute);
        else if (field == PRINTED) text_format(pair, PAIR_CAPACITY, L"打印时间：%ls", layout.printed_at);
        else if (field == RECORD_NUMBER)
            text_format(pair, PAIR_CAPACITY, L"记录编号：%ls", s.saved_record[0] ? s.saved_record : L"未保存");
        else field_pair(field, pair, PAIR_CAPACITY);
        text_format(longer, PATIENT_LINE_CAPACITY, L"%ls" PAIR_GAP L"%ls", line, pair);
        if (pairs && (pairs == PAIRS_PER_LINE || !fits_body(dc, longer))) {
            add_line(BODY, line, text_length(line));
            pairs = 0;
        }
        text_copy(line, PATIENT_LINE_CAPACITY, pairs++ ? longer : pair);
    }
    add_line(BODY, line, text_length(line));
}

// The running head of later pages and the signature line of the last.
void compose_patient_lines() {
    const auto& f = main_window_state.patient.fields;
    wchar_t name[PAIR_CAPACITY], id[PAIR_CAPACITY];
    field_pair(PATIENT_NAME, name, PAIR_CAPACITY);
    field_pair(PATIENT_ID, id, PAIR_CAPACITY);
    text_format(layout.running_head, PATIENT_LINE_CAPACITY, L"%ls" PAIR_GAP L"%ls", name, id);
    if (*f[NURSE_NAME])
        text_format(layout.signature, PATIENT_LINE_CAPACITY, SIGNATURE_LINE L"（%ls）", f[NURSE_NAME]);
    else if (*f[NURSE_ID])
        text_format(layout.signature, PATIENT_LINE_CAPACITY, SIGNATURE_LINE L"（%ls：%ls）",
                    patient_field_name(NURSE_ID).label, f[NURSE_ID]);
    else
        text_copy(layout.signature, PATIENT_LINE_CAPACITY, SIGNATURE_LINE);
}

void compose_document(HDC dc) {
    const MainWindowState& s = main_window_state;
    const PreparedTool& tool = s.tool;
    const Calculation& c = s.last;
    layout.text_length = layout.line_count = 0;
    LocalTime now;
    platform_calls.local_time(&now);
    text_format(layout.printed_at, 32, L"%04d-%02d-%02d %02d:%02d", now.year, now.month, now.day, now.hour,
                now.minute);
    add_formatted(TITLE, L"%ls", tool.title);
    add_formatted(SMALL, L"分类：%ls", tool.category);
    add_patient_block(dc);
    compose_patient_lines();
    add_line(BODY, L"", 0);
    if (tool.report_kind == REPORT_NONE) {
        if (tool.input_count) {
            add_line(HEADING, L"输入参数", 4);
            add_input_lines(tool, c);
            add_line(BODY, L"", 0);
        }
        add_line(HEADING, L"计算结果", 4);
        add_result_lines(c.text, c.choice_lines);  // the options stand with the inputs
        add_line(BODY, L"", 0);
        wchar_t line[CALC_VERDICT_LINE_CAPACITY];
        calc_verdict_line(c, line, CALC_VERDICT_LINE_CAPACITY);
        add_calculation_line(HEADING, line);
        calc_level_line(c, line, CALC_VERDICT_LINE_CAPACITY);
        add_calculation_line(BODY, line);
    } else {
        add_result_lines(c.text, 0);
    }
    add_line(BODY, L"", 0);
    if (*tool.caution) add_formatted(SMALL, L"注意：%ls", tool.caution);
    add_formatted(SMALL, L"参考依据：%ls", tool.basis);
}

// ---- Layout ------------------------------------------------------------------------

int row_height(HDC dc, LineStyle style) {
    SelectObject(dc, layout.fonts[style]);
    TEXTMETRICW metrics;
    GetTextMetricsW(dc, &metrics);
    return metrics.tmHeight + metrics.tmExternalLeading + metrics.tmHeight / 4;
}

// How many characters of `text` start the next row: as many as fit the
// body's width, ended at a space when one lies in the row's second half so
// that words and cells stay whole; at least one.
int row_length(HDC dc, const wchar_t* text, int length) {
    int fit = 0;
    SIZE size;
    GetTextExtentExPointW(dc, text, length, layout.body_width, &fit, nullptr, &size);
    if (fit >= length) return length;
    if (fit < 1) return 1;
    for (int i = fit; i > fit / 2; i--)
        if (text[i] == L' ') return i + 1;
    return fit;
}

// A later page's body starts below its running head; every page's body
// ends at the same place.
int body_top(int page) { return layout.top + (page > 1 ? layout.head_height : 0); }
int body_height(int page) { return layout.body_height - (page > 1 ? layout.head_height : 0); }

// A walk through the document's rows from the first: where the next row
// starts, and the row found last.
struct RowWalk {
    int line = 0, at = 0, page = 1, y = 0;
    Row row = {};
};

// Finds the next row as `dc` wraps the document, with its style's font
// selected into `dc`; false after the last. A row holds at least one
// character, or is an empty line.
bool next_row(HDC dc, RowWalk& walk) {
    const Layout& l = layout;
    if (walk.line >= l.line_count) return false;
    const DocumentLine& line = l.lines[walk.line];
    int end = line.start + line.length;
    int height = row_height(dc, line.style);
    int length = walk.at < end ? row_length(dc, l.text + walk.at, end - walk.at) : 0;
    if (walk.y + height > body_height(walk.page) && walk.y > 0) {
        walk.page++;
        walk.y = 0;
    }
    walk.row = {walk.at, length, line.style, walk.page, walk.y};
    walk.y += height;
    walk.at += length;
    if (walk.at >= end && ++walk.line < l.line_count) walk.at = l.lines[walk.line].start;
    return true;
}

bool at_least_mm(int pixels, int dpi, int mm) { return dpi > 0 && pixels * 254LL >= mm * 10LL * dpi; }

int whole_mm(int pixels, int dpi) { return dpi > 0 ? MulDiv(pixels, 254, dpi * 10) : 0; }

// A device that reports no paper (a display's or a memory DC) holds no page.
bool paper_holds_a_page(const PageSize& page) {
    int width = page.printable_width < page.paper_width ? page.printable_width : page.paper_width;
    int height = page.printable_height < page.paper_height ? page.printable_height : page.paper_height;
    return at_least_mm(width, page.dpi_x, MIN_PRINTABLE_WIDTH_MM) &&
           at_least_mm(height, page.dpi_y, MIN_PRINTABLE_HEIGHT_MM);
}

}  // namespace

void print_layout_release() {
    for (HFONT& font : layout.fonts) {
        if (font) DeleteObject(font);
        font = nullptr;
    }
}

PrintDialogFunction run_print_dialog = PrintDlgW;
PrinterListFunction list_printers = EnumPrintersW;
PageMeasure measure_page = page_size_of;

PageSize page_size_of(HDC printer) {
    return {GetDeviceCaps(printer, PHYSICALWIDTH),   GetDeviceCaps(printer, PHYSICALHEIGHT),
            GetDeviceCaps(printer, HORZRES),         GetDeviceCaps(printer, VERTRES),
            GetDeviceCaps(printer, PHYSICALOFFSETX), GetDeviceCaps(printer, PHYSICALOFFSETY),
            GetDeviceCaps(printer, LOGPIXELSX),      GetDeviceCaps(printer, LOGPIXELSY)};
}

int print_layout(HDC dc, const PageSize& page) {
    Layout& l = layout;
    if (!paper_holds_a_page(page)) return 0;
    print_layout_release();
    for (int style = 0; style < STYLE_COUNT; style++)
        l.fonts[style] = CreateFontW(-MulDiv(POINT_TENTHS[style], page.dpi_y, 720), 0, 0, 0,
                                     style == TITLE || style == HEADING ? FW_BOLD : FW_NORMAL, FALSE, FALSE,
                                     FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                     DEFAULT_QUALITY, 0, L"Microsoft YaHei UI");
    // Margins from the paper's edges; the device draws from its printable
    // area's corner, `offset` in from the paper's.
    int margin_x = MulDiv(MARGIN_TENTHS_OF_MM, page.dpi_x, 254);
    int margin_y = MulDiv(MARGIN_TENTHS_OF_MM, page.dpi_y, 254);
    l.left = margin_x - page.offset_x;
    l.top = margin_y - page.offset_y;
    l.right = page.paper_width - margin_x - page.offset_x;
    l.body_width = l.right - l.left;
    HGDIOBJ old_font = SelectObject(dc, l.fonts[SMALL]);
    int footer_height = 2 * row_height(dc, SMALL);
    l.footer_top = page.paper_height - margin_y - page.offset_y - footer_height;
    l.body_height = l.footer_top - l.top - footer_height / 2;
    l.head_height = row_height(dc, SMALL) * 3 / 2;
    int signature_row = row_height(dc, BODY);
    l.signature_top = l.top + l.body_height - signature_row;
    compose_document(dc);

    RowWalk walk;
    while (next_row(dc, walk)) {
    }
    SelectObject(dc, old_font);
    // The signature keeps a row's space above it; where the body leaves
    // none, it stands on a page of its own.
    l.page_count = walk.page + (walk.y > body_height(walk.page) - 2 * signature_row);
    return l.page_count;
}

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
void page_texts(HDC dc, int number, Take take) {
    const Layout& l = layout;
    if (number > 1) take(PageText{l.running_head, text_length(l.running_head), SMALL, l.left, l.top});
    for (RowWalk walk; next_row(dc, walk) && walk.row.page <= number;) {
        const Row& row = walk.row;
        if (row.page == number)
            take(PageText{l.text + row.start, row.length, row.style, l.left, body_top(number) + row.y});
    }
    if (number == l.page_count) take(PageText{l.signature, text_length(l.signature), BODY, l.left, l.signature_top});
    const wchar_t disclaimer[] = DISCLAIMER;
    int line = row_height(dc, SMALL);
    take(PageText{disclaimer, text_length(disclaimer), SMALL, l.left, l.footer_top + line / 4});
    wchar_t pages[64];
    int length = text_format(pages, 64, L"第 %d 页 / 共 %d 页", number, l.page_count);
    SIZE size;
    GetTextExtentPoint32W(dc, pages, length, &size);
    take(PageText{pages, length, SMALL, l.right - size.cx, l.footer_top + line / 4 + line});
}

void rule(HDC dc, int y) {
    HPEN pen = CreatePen(PS_SOLID, 0, PRINT_INK);
    HGDIOBJ old_pen = SelectObject(dc, pen);
    MoveToEx(dc, layout.left, y, nullptr);
    LineTo(dc, layout.right, y);
    SelectObject(dc, old_pen);
    DeleteObject(pen);
}

}  // namespace

int print_page_text(HDC dc, int number, wchar_t* text, int capacity) {
    HGDIOBJ old_font = SelectObject(dc, layout.fonts[BODY]);
    int n = 0;
    page_texts(dc, number, [&](const PageText& piece) {
        for (int k = 0; k < piece.length && n < capacity - 2; k++) text[n++] = piece.text[k];
        if (n < capacity - 1) text[n++] = L'\n';
    });
    text[n] = 0;
    SelectObject(dc, old_font);
    return n;
}

void print_draw_page(HDC dc, int number) {
    const Layout& l = layout;
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, PRINT_INK);
    HGDIOBJ old_font = SelectObject(dc, l.fonts[BODY]);
    // Names and numbers from outside print as typed: no "&" is taken for a
    // mnemonic's mark. A line that the body does not hold (the running head
    // or the signature with names of the longest) ends in "…" at its right.
    page_texts(dc, number, [&](const PageText& piece) {
        if (!piece.length) return;
        SelectObject(dc, l.fonts[piece.style]);
        RECT box = {piece.x, piece.y, l.right, piece.y + l.body_height};
        DrawTextW(dc, piece.text, piece.length, &box, DT_NOPREFIX | DT_SINGLELINE | DT_END_ELLIPSIS);
    });
    if (number > 1) rule(dc, l.top + l.head_height * 2 / 3);
    rule(dc, l.footer_top);
    SelectObject(dc, old_font);
}

// ---- The command --------------------------------------------------------------------

namespace {

void free_dialog(PRINTDLGW& dialog) {
    if (dialog.hDC) DeleteDC(dialog.hDC);
    if (dialog.hDevMode) GlobalFree(dialog.hDevMode);
    if (dialog.hDevNames) GlobalFree(dialog.hDevNames);
    dialog.hDC = nullptr;
    dialog.hDevMode = dialog.hDevNames = nullptr;
}

void printer_name(const PRINTDLGW& dialog, wchar_t* name, int capacity) {
    name[0] = 0;
    if (!dialog.hDevNames) return;
    const DEVNAMES* names = (const DEVNAMES*)GlobalLock(dialog.hDevNames);
    if (!names) return;
    text_copy(name, capacity, (const wchar_t*)names + names->wDeviceOffset);
    GlobalUnlock(dialog.hDevNames);
}

// Every page of the range, or none: a page that does not go out aborts the job.
bool print_pages(HDC dc, int from, int to) {
    DOCINFOW document = {};
    document.cbSize = sizeof document;
    document.lpszDocName = main_window_state.tool.title;
    if (StartDocW(dc, &document) <= 0) return false;
    for (int page = from; page <= to; page++) {
        if (StartPage(dc) <= 0) break;
        print_draw_page(dc, page);
        if (EndPage(dc) <= 0) break;
        if (page == to) return EndDoc(dc) > 0;
    }
    AbortDoc(dc);
    return false;
}

// Whether the PC has a printer at all, local or connected, default or not:
// asked for the size of their list only, which is 0 when there is none.
bool any_printer() {
    DWORD needed = 0, returned = 0;
    list_printers(PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS, nullptr, 4, nullptr, 0, &needed, &returned);
    return needed > 0 || returned > 0;
}

void refuse_paper(const PageSize& page) {
    wchar_t text[160];
    text_format(text, 160, L"当前打印机的纸张为 %d × %d mm，无法排版打印结果。请选择 A4 或 A5 纸张的打印机。",
                whole_mm(page.paper_width, page.dpi_x), whole_mm(page.paper_height, page.dpi_y));
    tell(text, L"打印", MB_ICONWARNING);
    set_status(L"未打印：纸张过小");
}

}  // namespace

void print_result() {
    MainWindowState& s = main_window_state;
    if (!result_is_current(L"请先点击“计算”生成结果。") || !patient_allows(true)) return;
    // The default printer first, without a dialog, so the dialog can offer
    // the document's own pages. Without a default, or on its paper too
    // small for a page, the dialog still opens, offering no pages, for the
    // nurse to choose another printer.
    PRINTDLGW dialog = {};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = s.main_window;
    dialog.Flags = PD_RETURNDEFAULT | PD_RETURNDC;
    int pages = 0;
    if (run_print_dialog(&dialog) && dialog.hDC) {
        pages = print_layout(dialog.hDC, measure_page(dialog.hDC));
        print_layout_release();
    } else if (!any_printer()) {
        free_dialog(dialog);
        tell(L"未找到可用的打印机，请先在系统中添加打印机。", L"打印", MB_ICONWARNING);
        set_status(L"未打印：未找到打印机");
        return;
    }
    if (dialog.hDC) DeleteDC(dialog.hDC);
    dialog.hDC = nullptr;
    dialog.Flags = PD_RETURNDC | PD_NOSELECTION | PD_USEDEVMODECOPIESANDCOLLATE | (pages ? 0 : PD_NOPAGENUMS);
    dialog.nMinPage = dialog.nFromPage = 1;
    dialog.nMaxPage = dialog.nToPage = (WORD)(pages ? pages : 1);
    // Wine keeps a failed call's error through later calls (the default's
    // lookup failing when there is none, then a Cancel): only an error the
    // dialog set is its own.
    DWORD earlier_error = CommDlgExtendedError();
    if (!run_print_dialog(&dialog)) {
        DWORD error = CommDlgExtendedError();
        free_dialog(dialog);
        if (error && error != earlier_error) {
            tell(L"无法打开打印对话框，本页未打印。请检查打印机设置后重试。", L"打印失败", MB_ICONWARNING);
            set_status(L"未打印：打印对话框未能打开");
        }
        return;  // Cancel: nothing printed, nothing changed
    }
    wchar_t name[128];
    printer_name(dialog, name, 128);
    // The chosen printer's paper may differ from the default's.
    const PageSize page = dialog.hDC ? measure_page(dialog.hDC) : PageSize{};
    pages = dialog.hDC ? print_layout(dialog.hDC, page) : 0;
    if (dialog.hDC && !pages) {
        free_dialog(dialog);
        refuse_paper(page);
        return;
    }
    int from = 1, to = pages;
    if (dialog.Flags & PD_PAGENUMS) {
        from = dialog.nFromPage < 1 ? 1 : dialog.nFromPage;
        to = dialog.nToPage > pages ? pages : dialog.nToPage;
    }
    bool printed = dialog.hDC && from <= to && print_pages(dialog.hDC, from, to);
    free_dialog(dialog);
    print_layout_release();
    wchar_t status[STATUS_TEXT_CAPACITY];
    text_format(status, STATUS_TEXT_CAPACITY, printed ? L"已发送到打印机：%ls" : L"打印失败：%ls", name);
    set_status(status);
    if (!printed)
        tell(L"打印未能完成，页面没有打印出来。请检查打印机（是否开机、缺纸或脱机）后重试。", L"打印失败",
             MB_ICONWARNING);
}
