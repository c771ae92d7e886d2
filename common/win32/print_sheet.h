// Printing a program's pages through the standard Windows print dialog, as
// every program of the suite prints: the default printer's paper measured
// first, so the dialog offers the document's own pages; the printer chosen;
// the pages laid out again for its paper and sent, every page or none; and
// the words that tell the nurse what became of them.
#pragma once

#include <windows.h>
#include <commdlg.h>

// The paper and the device's printable area, in device pixels.
struct PageSize {
    int paper_width, paper_height;
    int printable_width, printable_height;
    int offset_x, offset_y;  // of the printable area from the paper's corner
    int dpi_x, dpi_y;
};
PageSize page_size_of(HDC printer);

// The print dialog comes from here (PrintDlgW), so tests can stand in for it.
using PrintDialogFunction = BOOL(WINAPI*)(PRINTDLGW* dialog);
extern PrintDialogFunction run_print_dialog;
// Whether the PC has any printer at all, default or not, is asked here
// (EnumPrintersW), so tests can stand in for a PC without one.
using PrinterListFunction = BOOL(WINAPI*)(DWORD flags, LPWSTR server, DWORD level, LPBYTE buffer,
                                          DWORD capacity, LPDWORD needed, LPDWORD returned);
extern PrinterListFunction list_printers;
// A printer's paper is measured here (page_size_of), so tests can give the
// memory DC of a stand-in printer the paper they need.
using PageMeasure = PageSize (*)(HDC printer);
extern PageMeasure measure_page;

// What a program prints.
struct PrintSheet {
    const wchar_t* document_name;  // the job's name in the printer's queue
    // Lays the pages out for `page` as `dc` measures text: how many, or 0
    // when its printable area holds none (a label or wristband printer's).
    int (*lay_out)(HDC dc, const PageSize& page);
    // Draws page `number` (from 1) of the layout into `dc`.
    void (*draw_page)(HDC dc, int number);
    // Releases what the layout holds (its fonts).
    void (*release)();
};

enum PrintOutcome {
    PRINT_SENT,
    PRINT_CANCELLED,         // the nurse closed the dialog: nothing to tell
    PRINT_NO_PRINTER,        // the PC has none
    PRINT_NO_DIALOG,         // the dialog could not open
    PRINT_PAPER_TOO_SMALL,   // the printer chosen holds no page
    PRINT_FAILED,            // a page did not go out: none did
};
constexpr int PRINTER_NAME_CAPACITY = 128;
struct PrintReport {
    PrintOutcome outcome;
    wchar_t printer[PRINTER_NAME_CAPACITY];  // the one chosen
    PageSize page;                           // its paper, when too small
};

// The sheet through the print dialog, owned by `owner`.
void print_sheet(HWND owner, const PrintSheet& sheet, PrintReport* report);

// What the nurse is told of `report`: a box's text and caption (text ""
// when no box is shown) and the status line's words.
constexpr int PRINT_WORDS_CAPACITY = 192;
void print_report_words(const PrintReport& report, wchar_t* box, const wchar_t** caption, wchar_t* status,
                        int capacity);
