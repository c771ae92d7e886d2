// The quality program's window: the month, the wards and the file, one
// button that makes the workbook on a thread of its own while the window
// tells how far it is, and one that cancels it.
#include <shlobj.h>
#include <windows.h>
#include <commctrl.h>

#include "common/win32/display_scale.h"
#include "common/win32/suite_look.h"
#include "common/win32/suite_window.h"
#include "platform/text_format.h"
#include "quality/win32/quality_program.h"

namespace {

const wchar_t CLASS_NAME[] = L"OrvoMedQualityWindow";
constexpr UINT WM_QUALITY_DONE = WM_APP + 1;
constexpr UINT_PTR PROGRESS_TIMER = 1;
enum Control { ID_MONTH = 100, ID_WARDS, ID_OUT, ID_BROWSE, ID_MAKE, ID_CANCEL, ID_STATUS, ID_PROGRESS };

// The layout, in units (a pixel at 96 DPI).
constexpr int CLIENT_W = 640, CLIENT_H = 300, MARGIN = 20, LABEL_W = 150, ROW_H = 26, ROW_GAP = 14;
constexpr int STEPS = QUALITY_MONTHS + QUALITY_SHEET_COUNT;

struct QualityWindow {
    HWND window;
    HWND month, wards, out, browse, make, cancel, status, progress;
    HFONT font;
    int dpi;
    HANDLE worker;
    QualityStart start;
    QualityRequestRoom room;
    QualityRequest request;
    QualityProgress progress_state;
    QualityResult result;
    QualityFigures figures;
};
QualityWindow w;
HBRUSH page_brush;

void set_status(const wchar_t* text) { SetWindowTextW(w.status, text); }

// The file a new month's workbook goes to unless another is typed: the
// user's documents, named by the month.
void default_out(QualityMonth month, wchar_t* path, int capacity) {
    wchar_t documents[MAX_PATH] = L"";
    if (SHGetFolderPathW(nullptr, CSIDL_PERSONAL, nullptr, SHGFP_TYPE_CURRENT, documents) != S_OK) documents[0] = 0;
    wchar_t text[16];
    quality_month_text(month, text, 16);
    if (documents[0])
        text_format(path, capacity, L"%ls\\护理质量月报-%ls.xlsx", documents, text);
    else
        text_format(path, capacity, L"护理质量月报-%ls.xlsx", text);
}

DWORD WINAPI work(void*) {
    w.result = quality_make(w.request, &w.figures, &w.progress_state);
    PostMessageW(w.window, WM_QUALITY_DONE, 0, 0);
    return 0;
}

void running(bool on) {
    for (HWND field : {w.month, w.wards, w.out, w.browse, w.make}) EnableWindow(field, !on);
    EnableWindow(w.cancel, on);
}

void start_making() {
    wchar_t text[QUALITY_PATH_CAPACITY];
    GetWindowTextW(w.month, text, QUALITY_PATH_CAPACITY);
    if (!quality_month_parse(text, &w.start.month)) {
        set_status(L"月份请写成 年-月，如 2026-11");
        SetFocus(w.month);
        return;
    }
    GetWindowTextW(w.wards, w.start.wards, QUALITY_WARDS_TEXT_CAPACITY);
    GetWindowTextW(w.out, w.start.out, QUALITY_PATH_CAPACITY);
    if (!w.start.out[0]) {
        default_out(w.start.month, w.start.out, QUALITY_PATH_CAPACITY);
        SetWindowTextW(w.out, w.start.out);
    }
    if (!quality_prepare(w.start, &w.room, &w.request, &w.result)) {
        set_status(quality_result_words(w.result));
        return;
    }
    w.progress_state.rows = 0;
    w.progress_state.months = 0;
    w.progress_state.sheets = 0;
    w.progress_state.cancel = false;
    SendMessageW(w.progress, PBM_SETPOS, 0, 0);
    w.worker = CreateThread(nullptr, 0, work, nullptr, 0, nullptr);
    if (!w.worker) {
        set_status(L"无法开始生成（系统资源不足）");
        return;
    }
    running(true);
    set_status(L"正在连接医院数据库…");
    SetTimer(w.window, PROGRESS_TIMER, 200, nullptr);
}

void show_progress() {
    const int months = w.progress_state.months, sheets = w.progress_state.sheets;
    SendMessageW(w.progress, PBM_SETPOS, (WPARAM)(months + sheets), 0);
    wchar_t text[160];
    if (w.progress_state.cancel)
        text_format(text, 160, L"正在取消…");
    else if (months < QUALITY_MONTHS)
        text_format(text, 160, L"正在读取：第 %d/%d 个月，已读 %ld 行", months + (months < QUALITY_MONTHS), QUALITY_MONTHS,
                    (long)w.progress_state.rows);
    else
        text_format(text, 160, L"正在写入工作表 %d/%d（共读 %ld 行）", sheets, QUALITY_SHEET_COUNT,
                    (long)w.progress_state.rows);
    set_status(text);
}

void finished() {
    KillTimer(w.window, PROGRESS_TIMER);
    WaitForSingleObject(w.worker, INFINITE);
    CloseHandle(w.worker);
    w.worker = nullptr;
    running(false);
    wchar_t text[QUALITY_PATH_CAPACITY + 64];
    if (w.result.outcome == QUALITY_WRITTEN) {
        SendMessageW(w.progress, PBM_SETPOS, STEPS, 0);
        text_format_marked(text, QUALITY_PATH_CAPACITY + 64, L"已生成：%ls", w.start.out);
        set_status(text);
    } else {
        SendMessageW(w.progress, PBM_SETPOS, 0, 0);
        set_status(quality_result_words(w.result));
    }
}

void browse() {
    wchar_t path[QUALITY_PATH_CAPACITY];
    GetWindowTextW(w.out, path, QUALITY_PATH_CAPACITY);
    OPENFILENAMEW dialog = {};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = w.window;
    dialog.lpstrFilter = L"Excel 工作簿 (*.xlsx)\0*.xlsx\0";
    dialog.lpstrFile = path;
    dialog.nMaxFile = QUALITY_PATH_CAPACITY;
    dialog.lpstrDefExt = L"xlsx";
    dialog.Flags = OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR;
    if (GetSaveFileNameW(&dialog)) SetWindowTextW(w.out, path);
}

HWND control(const wchar_t* kind, const wchar_t* text, DWORD style, int id, DWORD ex_style = 0) {
    HWND made = CreateWindowExW(ex_style, kind, text, WS_CHILD | WS_VISIBLE | style, 0, 0, 0,
                                0, w.window, (HMENU)(INT_PTR)id, GetModuleHandleW(nullptr), nullptr);
    SendMessageW(made, WM_SETFONT, (WPARAM)w.font, TRUE);
    return made;
}

void lay_out() {
    const int d = w.dpi;
    auto place = [d](HWND h, int x, int y, int width, int height) {
        MoveWindow(h, scaled(x, d), scaled(y, d), scaled(x + width, d) - scaled(x, d), scaled(y + height, d) - scaled(y, d),
                   TRUE);
    };
    const int field_x = MARGIN + LABEL_W, field_w = CLIENT_W - field_x - MARGIN;
    HWND labels[3];
    int i = 0;
    for (HWND child = GetWindow(w.window, GW_CHILD); child && i < 3; child = GetWindow(child, GW_HWNDNEXT))
        if (GetDlgCtrlID(child) == 0) labels[i++] = child;
    for (int r = 0; r < i; r++) place(labels[r], MARGIN, MARGIN + r * (ROW_H + ROW_GAP) + 4, LABEL_W, ROW_H);
    place(w.month, field_x, MARGIN, 120, ROW_H);
    place(w.wards, field_x, MARGIN + (ROW_H + ROW_GAP), field_w, ROW_H);
    place(w.out, field_x, MARGIN + 2 * (ROW_H + ROW_GAP), field_w - 90, ROW_H);
    place(w.browse, CLIENT_W - MARGIN - 80, MARGIN + 2 * (ROW_H + ROW_GAP), 80, ROW_H);
    const int buttons_y = MARGIN + 3 * (ROW_H + ROW_GAP) + 6;
    place(w.make, field_x, buttons_y, 130, ROW_H + 4);
    place(w.cancel, field_x + 142, buttons_y, 90, ROW_H + 4);
    place(w.progress, MARGIN, buttons_y + ROW_H + 24, CLIENT_W - 2 * MARGIN, 16);
    place(w.status, MARGIN, buttons_y + ROW_H + 50, CLIENT_W - 2 * MARGIN, 48);
}

void make_font() {
    if (w.font) DeleteObject(w.font);
    w.font = CreateFontW(-scaled(14, w.dpi), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                         CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, DEFAULT_PITCH, SUITE_FACE);
    for (HWND child = GetWindow(w.window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        SendMessageW(child, WM_SETFONT, (WPARAM)w.font, TRUE);
}

void create_controls() {
    make_font();
    control(WC_STATICW, L"月份（年-月）", 0, 0);
    control(WC_STATICW, L"病区（空为全部）", 0, 0);
    control(WC_STATICW, L"保存到", 0, 0);
    wchar_t month[16];
    quality_month_text(w.start.month, month, 16);
    w.month = control(WC_EDITW, month, WS_TABSTOP | ES_AUTOHSCROLL, ID_MONTH, WS_EX_CLIENTEDGE);
    w.wards = control(WC_EDITW, w.start.wards, WS_TABSTOP | ES_AUTOHSCROLL, ID_WARDS, WS_EX_CLIENTEDGE);
    SendMessageW(w.wards, EM_SETCUEBANNER, TRUE, (LPARAM)L"多个病区以逗号分隔");
    w.out = control(WC_EDITW, w.start.out, WS_TABSTOP | ES_AUTOHSCROLL, ID_OUT, WS_EX_CLIENTEDGE);
    SendMessageW(w.out, EM_SETCUEBANNER, TRUE, (LPARAM)L"空为“文档”文件夹中的 护理质量月报-年-月.xlsx");
    w.browse = control(WC_BUTTONW, L"浏览…", WS_TABSTOP, ID_BROWSE);
    w.make = control(WC_BUTTONW, L"生成工作簿", WS_TABSTOP | BS_DEFPUSHBUTTON, ID_MAKE);
    w.cancel = control(WC_BUTTONW, L"取消", WS_TABSTOP | WS_DISABLED, ID_CANCEL);
    w.progress = control(PROGRESS_CLASSW, L"", 0, ID_PROGRESS);
    SendMessageW(w.progress, PBM_SETRANGE32, 0, STEPS);
    w.status = control(WC_STATICW, L"从医院数据库读取本月、上月和去年同月的各病区指标，写成一个 Excel 工作簿。", 0, ID_STATUS);
    lay_out();
}

LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
    case WM_CREATE:
        w.window = window;
        create_controls();
        return 0;
    case WM_DPICHANGED: {
        w.dpi = HIWORD(wparam);
        make_font();
        const RECT* suggested = (const RECT*)lparam;
        SetWindowPos(window, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                     suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
        lay_out();
        return 0;
    }
    case WM_COMMAND:
        switch (LOWORD(wparam)) {
        case ID_MAKE: start_making(); return 0;
        case ID_CANCEL:
            // Only a workbook on its way: "正在取消…" never stands for nothing.
            if (w.worker) w.progress_state.cancel = true, show_progress();
            return 0;
        case ID_BROWSE: browse(); return 0;
        case IDCANCEL: if (!w.worker) DestroyWindow(window); return 0;
        }
        break;
    case WM_TIMER:
        if (wparam == PROGRESS_TIMER) show_progress();
        return 0;
    case WM_QUALITY_DONE: finished(); return 0;
    case WM_CTLCOLORSTATIC:
        SetBkColor((HDC)wparam, palette.page);
        SetTextColor((HDC)wparam, palette.text);
        return (LRESULT)page_brush;
    case WM_CLOSE:
        // A workbook on its way is cancelled, and its file removed, first.
        if (w.worker) {
            w.progress_state.cancel = true;
            WaitForSingleObject(w.worker, INFINITE);
        }
        DestroyWindow(window);
        return 0;
    case WM_DESTROY: PostQuitMessage(0); return 0;
    }
    return DefWindowProcW(window, message, wparam, lparam);
}

}  // namespace

int quality_window_run(HINSTANCE instance, const QualityStart& start) {
    load_common_controls();
    w.start = start;
    if (!page_brush) page_brush = CreateSolidBrush(palette.page);
    register_suite_window_class(instance, CLASS_NAME, procedure, page_brush, true);
    w.dpi = window_dpi(nullptr);
    RECT frame = {0, 0, scaled(CLIENT_W, w.dpi), scaled(CLIENT_H, w.dpi)};
    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    window_rect_for_client(&frame, style, 0, w.dpi);
    HWND window = CreateWindowExW(0, CLASS_NAME, QUALITY_TITLE, style, CW_USEDEFAULT, CW_USEDEFAULT,
                                  frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr, instance, nullptr);
    if (!window) return 1;
    ShowWindow(window, SW_SHOWNORMAL);
    UpdateWindow(window);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (IsDialogMessageW(window, &message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}
