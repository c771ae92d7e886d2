// The Print command: the last result through the suite's print dialog
// (common/win32/print_sheet.cpp), laid out by print_pages.cpp and drawn by
// print_draw.cpp, and the nurse told what became of the page.
#include "app/win32/print_job.h"

namespace {

void draw_job_page(HDC dc, int number) { printing::draw_page(printing::the_job, dc, number); }

}  // namespace

void print_result() {
    MainWindowState& s = main_window_state;
    if (!result_is_current(L"请先点击“计算”生成结果。") || !patient_allows(true)) return;
    const PrintSheet sheet = {s.tool.title, print_layout, draw_job_page, print_layout_release};
    PrintReport report;
    print_sheet(s.main_window, sheet, &report);
    wchar_t box[PRINT_WORDS_CAPACITY], status[PRINT_WORDS_CAPACITY];
    const wchar_t* caption;
    print_report_words(report, box, &caption, status, PRINT_WORDS_CAPACITY);
    if (status[0]) set_status(status);
    if (box[0]) tell(box, caption, MB_ICONWARNING);
}
