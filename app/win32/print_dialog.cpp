// The Print command: the printer chosen in the standard Windows print
// dialog, its paper measured, the job laid out for it and sent, and the
// nurse told what became of the page.
#include "app/win32/print_job.h"

#include <commdlg.h>

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
bool print_pages(const printing::Job& job, HDC dc, int from, int to) {
    DOCINFOW document = {};
    document.cbSize = sizeof document;
    document.lpszDocName = main_window_state.tool.title;
    if (StartDocW(dc, &document) <= 0) return false;
    for (int page = from; page <= to; page++) {
        if (StartPage(dc) <= 0) break;
        printing::draw_page(job, dc, page);
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
    bool printed = dialog.hDC && from <= to && print_pages(printing::the_job, dialog.hDC, from, to);
    free_dialog(dialog);
    print_layout_release();
    wchar_t status[STATUS_TEXT_CAPACITY];
    text_format(status, STATUS_TEXT_CAPACITY, printed ? L"已发送到打印机：%ls" : L"打印失败：%ls", name);
    set_status(status);
    if (!printed)
        tell(L"打印未能完成，页面没有打印出来。请检查打印机（是否开机、缺纸或脱机）后重试。", L"打印失败",
             MB_ICONWARNING);
}
