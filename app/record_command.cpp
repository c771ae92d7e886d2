// The Save command: the last result and the inputs that produced it, appended
// to the tool's record file, and the outcome told truthfully.
#include "app/main_window.h"

#include "store/store.h"

void save_record() {
    MainWindowState& s = main_window_state;
    if (!s.last_result[0]) {
        show_message_box(s.main_window, L"请先点击“计算”生成结果，再保存记录。", L"提示",
                         MB_OK | MB_ICONINFORMATION);
        return;
    }
    wchar_t where[RECORD_PATH_CAPACITY];
    RecordOutcome outcome = record_save(*s.tool, s.input_values, s.last_result, where,
                                        RECORD_PATH_CAPACITY);
    bool saved = outcome == RECORD_SAVED;
    text_format(s.status_text, STATUS_TEXT_CAPACITY, saved ? L"记录已保存：%ls" : L"记录保存失败：%ls",
                where);
    InvalidateRect(s.main_window, nullptr, FALSE);
    if (saved)
        show_message_box(s.main_window, L"本次结果已追加保存到本地记录（CSV，可用 Excel 打开）。",
                         L"已保存", MB_OK | MB_ICONINFORMATION);
    else
        show_message_box(s.main_window, L"本次结果未能写入本地记录，请检查磁盘空间与文件夹权限。",
                         L"保存失败", MB_OK | MB_ICONWARNING);
}
