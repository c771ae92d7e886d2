// Printing through the standard Windows print dialog, for every program of
// the suite: what is printed comes from the caller, the dialog, the paper
// and the words from here.
#include "common/win32/print_sheet.h"

#include "platform/text_format.h"

PrintDialogFunction run_print_dialog = PrintDlgW;
PrinterListFunction list_printers = EnumPrintersW;
PageMeasure measure_page = page_size_of;

PageSize page_size_of(HDC printer) {
    return {GetDeviceCaps(printer, PHYSICALWIDTH),   GetDeviceCaps(printer, PHYSICALHEIGHT),
            GetDeviceCaps(printer, HORZRES),         GetDeviceCaps(printer, VERTRES),
            GetDeviceCaps(printer, PHYSICALOFFSETX), GetDeviceCaps(printer, PHYSICALOFFSETY),
            GetDeviceCaps(printer, LOGPIXELSX),      GetDeviceCaps(printer, LOGPIXELSY)};
}

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
bool print_pages(const PrintSheet& sheet, HDC dc, int from, int to) {
    DOCINFOW document = {};
    document.cbSize = sizeof document;
    document.lpszDocName = sheet.document_name;
    if (StartDocW(dc, &document) <= 0) return false;
    for (int page = from; page <= to; page++) {
        if (StartPage(dc) <= 0) break;
        sheet.draw_page(dc, page);
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

int whole_mm(int pixels, int dpi) { return dpi > 0 ? MulDiv(pixels, 254, dpi * 10) : 0; }

}  // namespace

void print_sheet(HWND owner, const PrintSheet& sheet, PrintReport* report) {
    *report = {};
    // The default printer first, without a dialog, so the dialog can offer
    // the document's own pages. Without a default, or on its paper too
    // small for a page, the dialog still opens, offering no pages, for the
    // nurse to choose another printer.
    PRINTDLGW dialog = {};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.Flags = PD_RETURNDEFAULT | PD_RETURNDC;
    int pages = 0;
    if (run_print_dialog(&dialog) && dialog.hDC) {
        pages = sheet.lay_out(dialog.hDC, measure_page(dialog.hDC));
        sheet.release();
    } else if (!any_printer()) {
        free_dialog(dialog);
        report->outcome = PRINT_NO_PRINTER;
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
        report->outcome = error && error != earlier_error ? PRINT_NO_DIALOG : PRINT_CANCELLED;
        return;
    }
    printer_name(dialog, report->printer, PRINTER_NAME_CAPACITY);
    // The chosen printer's paper may differ from the default's.
    const PageSize page = dialog.hDC ? measure_page(dialog.hDC) : PageSize{};
    pages = dialog.hDC ? sheet.lay_out(dialog.hDC, page) : 0;
    if (dialog.hDC && !pages) {
        free_dialog(dialog);
        report->outcome = PRINT_PAPER_TOO_SMALL;
        report->page = page;
        return;
    }
    int from = 1, to = pages;
    if (dialog.Flags & PD_PAGENUMS) {
        from = dialog.nFromPage < 1 ? 1 : dialog.nFromPage;
        to = dialog.nToPage > pages ? pages : dialog.nToPage;
    }
    bool printed = dialog.hDC && from <= to && print_pages(sheet, dialog.hDC, from, to);
    free_dialog(dialog);
    sheet.release();
    report->outcome = printed ? PRINT_SENT : PRINT_FAILED;
}

void print_report_words(const PrintReport& report, wchar_t* box, const wchar_t** caption, wchar_t* status,
                        int capacity) {
    box[0] = status[0] = 0;
    *caption = L"打印";
    switch (report.outcome) {
    case PRINT_SENT: text_format(status, capacity, L"已发送到打印机：%ls", report.printer); break;
    case PRINT_CANCELLED: break;
    case PRINT_NO_PRINTER:
        text_copy(box, capacity, L"未找到可用的打印机，请先在系统中添加打印机。");
        text_copy(status, capacity, L"未打印：未找到打印机");
        break;
    case PRINT_NO_DIALOG:
        *caption = L"打印失败";
        text_copy(box, capacity, L"无法打开打印对话框，本页未打印。请检查打印机设置后重试。");
        text_copy(status, capacity, L"未打印：打印对话框未能打开");
        break;
    case PRINT_PAPER_TOO_SMALL:
        text_format(box, capacity, L"当前打印机的纸张为 %d × %d mm，无法排版打印结果。请选择 A4 或 A5 纸张的打印机。",
                    whole_mm(report.page.paper_width, report.page.dpi_x),
                    whole_mm(report.page.paper_height, report.page.dpi_y));
        text_copy(status, capacity, L"未打印：纸张过小");
        break;
    case PRINT_FAILED:
        *caption = L"打印失败";
        text_copy(box, capacity, L"打印未能完成，页面没有打印出来。请检查打印机（是否开机、缺纸或脱机）后重试。");
        text_format(status, capacity, L"打印失败：%ls", report.printer);
        break;
    }
}
