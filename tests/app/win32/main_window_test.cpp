// The real main window in this process, driven with the messages a user's
// clicks and keys produce: its controls, commands, colours, painted pixels,
// the clipboard and the record file.
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/win32/main_window.h"
#include "glyvant_version.h"
#include "store/store.h"
#include "support/file_bytes.h"
#include "support/window_driver.h"

namespace {

#define DEFAULT_LINES L"餐时胰岛素：6.0 U\r\n抽取体积：0.060 ml\r\n"

HGLOBAL WINAPI no_memory(UINT, SIZE_T) { return nullptr; }

// The real local application-data folder's records.
std::wstring records_folder() {
    wchar_t base[MAX_PATH];
    SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, 0, base);
    return std::wstring(base) + L"\\OrvoMedSuite\\records";
}


class MainWindow : public WindowTest {
protected:
    void SetUp() override { open(tool_builtin()); }
    void type(int input, const wchar_t* text) { SetWindowTextW(s.input_controls[input], text); }
};

TEST_F(MainWindow, FixedSizeCentredNeverOffScreen) {
    RECT r;
    GetWindowRect(window, &r);
    EXPECT_EQ(WINDOW_WIDTH, r.right - r.left);
    EXPECT_EQ(WINDOW_HEIGHT, r.bottom - r.top);
    RECT adjusted = {0, 0, CLIENT_WIDTH, CLIENT_HEIGHT};
    AdjustWindowRect(&adjusted, WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, FALSE);
    int x = (GetSystemMetrics(SM_CXSCREEN) - (adjusted.right - adjusted.left)) / 2;
    int y = (GetSystemMetrics(SM_CYSCREEN) - (adjusted.bottom - adjusted.top)) / 2;
    EXPECT_EQ(x < 0 ? 0 : x, r.left);
    EXPECT_EQ(y < 0 ? 0 : y, r.top);
#ifdef GLYVANT_SMALL_SCREEN
    // An 800 x 600 screen: the window starts at its edge, never beyond it.
    ASSERT_LT(GetSystemMetrics(SM_CXSCREEN), WINDOW_WIDTH);
    EXPECT_EQ(0, r.left);
    EXPECT_EQ(0, r.top);
#endif

    wchar_t name[64];
    GetClassNameW(window, name, 64);
    EXPECT_STREQ(L"OrvoMedToolWnd", name);
    EXPECT_EQ(L"Glyvant", text_of(window));
    LONG style = GetWindowLongW(window, GWL_STYLE);
    EXPECT_EQ(WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX,
              style & (WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME));

    // Neither a larger nor a smaller size sticks.
    MINMAXINFO info = {};
    SendMessageW(window, WM_GETMINMAXINFO, 0, (LPARAM)&info);
    EXPECT_EQ(WINDOW_WIDTH, info.ptMinTrackSize.x);
    EXPECT_EQ(WINDOW_HEIGHT, info.ptMaxTrackSize.y);
    SetWindowPos(window, nullptr, 0, 0, 1400, 1000, SWP_NOMOVE | SWP_NOZORDER);
    GetWindowRect(window, &r);
    EXPECT_EQ(WINDOW_WIDTH, r.right - r.left);
    EXPECT_EQ(WINDOW_HEIGHT, r.bottom - r.top);
}

TEST_F(MainWindow, ChildControlsAsLaidOut) {
    struct Expected {
        const wchar_t* window_class;
        DWORD ex_style, style;
        const wchar_t* text;
        int id, x, y, width, height;
        HFONT font;
    };
    const DWORD child = WS_CHILD | WS_VISIBLE;
    const Expected controls[] = {
        {L"Static", 0, child | SS_RIGHT, L"本餐碳水", 0, 24, 151, 184, 22, s.font_label},
        {L"Edit", WS_EX_CLIENTEDGE, child | ES_AUTOHSCROLL, L"60", 2000, 216, 146, 152, 27, s.font_edit},
        {L"Static", 0, child, L"g", 0, 374, 150, 78, 22, s.font_small},
        {L"Static", 0, child | SS_RIGHT, L"碳水系数", 0, 24, 185, 184, 22, s.font_label},
        {L"Edit", WS_EX_CLIENTEDGE, child | ES_AUTOHSCROLL, L"10", 2001, 216, 180, 152, 27, s.font_edit},
        {L"Static", 0, child, L"g/U", 0, 374, 184, 78, 22, s.font_small},
        {L"Static", 0, child | SS_RIGHT, L"规格", 0, 24, 219, 184, 22, s.font_label},
        {L"Edit", WS_EX_CLIENTEDGE, child | ES_AUTOHSCROLL, L"100", 2002, 216, 214, 152, 27, s.font_edit},
        {L"Static", 0, child, L"U/ml", 0, 374, 218, 78, 22, s.font_small},
        {L"Static", 0, child, L"填写左侧参数，点击“计算”", 0, 492, 142, 492, 46, s.font_verdict},
        {L"Edit", WS_EX_CLIENTEDGE, child | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_READONLY,
         L"", 3000, 492, 196, 492, 232, s.font_result},
        {L"Static", 0, child, L"需结合校正剂量与运动量；夜间与饮酒后低血糖风险升高。", 0, 492, 444, 492, 120,
         s.font_small},
        {L"Static", 0, child, L"参考依据：糖尿病胰岛素强化治疗：ICR 碳水胰岛素比值", 0, 492, 576, 492, 56,
         s.font_small},
        {L"Button", 0, child | BS_OWNERDRAW, L"计算 (F5)", 1001, 20, 668, 152, 40, nullptr},
        {L"Button", 0, child | BS_OWNERDRAW, L"保存记录", 1002, 184, 668, 132, 40, nullptr},
        {L"Button", 0, child | BS_OWNERDRAW, L"复制结果", 1003, 328, 668, 132, 40, nullptr},
        {L"Button", 0, child | BS_OWNERDRAW, L"清空重填", 1004, 472, 668, 132, 40, nullptr},
        {L"Button", 0, child | BS_OWNERDRAW, L"关于", 1005, 616, 668, 110, 40, nullptr},
        {L"Button", 0, child | BS_OWNERDRAW, L"打印", 1006, 738, 668, 96, 40, nullptr},
    };
    // Children come in creation order, which is the table's.
    std::vector<HWND> children;
    for (HWND c = GetWindow(window, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) children.push_back(c);
    ASSERT_EQ(sizeof controls / sizeof controls[0], children.size());
    for (size_t i = 0; i < children.size(); i++) {
        const Expected& e = controls[i];
        HWND c = children[i];
        wchar_t name[64];
        GetClassNameW(c, name, 64);
        EXPECT_EQ(0, _wcsicmp(e.window_class, name)) << i;
        DWORD style = (DWORD)GetWindowLongW(c, GWL_STYLE);
        EXPECT_EQ(e.style, style & (e.style | WS_TABSTOP | WS_BORDER)) << i;
        EXPECT_EQ(e.ex_style, (DWORD)GetWindowLongW(c, GWL_EXSTYLE) & WS_EX_CLIENTEDGE) << i;
        EXPECT_EQ(e.text, text_of(c)) << i;
        EXPECT_EQ(e.id, GetDlgCtrlID(c)) << i;
        RECT r;
        GetWindowRect(c, &r);
        MapWindowPoints(nullptr, window, (POINT*)&r, 2);
        EXPECT_EQ(e.x, r.left) << i;
        EXPECT_EQ(e.y, r.top) << i;
        EXPECT_EQ(e.width, r.right - r.left) << i;
        EXPECT_EQ(e.height, r.bottom - r.top) << i;
        EXPECT_EQ(e.font, (HFONT)SendMessageW(c, WM_GETFONT, 0, 0)) << i;
    }
    EXPECT_EQ(s.input_controls[0], GetFocus());
    EXPECT_STREQ(L"就绪：填写参数后按 F5 或点击“计算”", s.status_text);
}

TEST_F(MainWindow, FontsAsSpecified) {
    struct Expected {
        HFONT font;
        const wchar_t* face;
        int height, weight;
    };
    const Expected fonts[] = {
        {s.font_title, L"Microsoft YaHei UI", -27, 700}, {s.font_subtitle, L"Microsoft YaHei UI", -14, 400},
        {s.font_label, L"Microsoft YaHei UI", -14, 400}, {s.font_edit, L"Microsoft YaHei UI", -15, 400},
        {s.font_verdict, L"Microsoft YaHei UI", -21, 700}, {s.font_result, L"Consolas", -15, 400},
        {s.font_button, L"Microsoft YaHei UI", -15, 400}, {s.font_small, L"Microsoft YaHei UI", -12, 400},
    };
    for (const Expected& e : fonts) {
        LOGFONTW f = {};
        ASSERT_EQ((int)sizeof f, GetObjectW(e.font, sizeof f, &f));
        EXPECT_STREQ(e.face, f.lfFaceName);
        EXPECT_EQ(e.height, f.lfHeight);
        EXPECT_EQ(e.weight, f.lfWeight);
        EXPECT_EQ(CLEARTYPE_QUALITY, f.lfQuality);
        EXPECT_EQ(DEFAULT_CHARSET, f.lfCharSet);
    }
}

TEST_F(MainWindow, CalculateFromButtonEnterAndF5) {
    click(IDC_CALCULATE);
    EXPECT_EQ(L"餐时胰岛素：6.0 U\r\n抽取体积：0.060 ml\r\n", text_of(s.result_edit));
    EXPECT_EQ(L"按碳水系数计算完成", text_of(s.verdict_label));
    EXPECT_EQ(0, s.last.level);
    EXPECT_STREQ(L"计算完成  Glyvant", s.status_text);
    EXPECT_EQ(window, GetFocus());

    // Enter in an input field, F5 in the result box.
    type(0, L"250");
    press(s.input_controls[0], VK_RETURN);
    EXPECT_EQ(L"单次餐时剂量较大，建议复核对碳水与比值", text_of(s.verdict_label));
    EXPECT_EQ(2, s.last.level);
    type(0, L"200");
    press(s.result_edit, VK_F5);
    EXPECT_EQ(L"餐时胰岛素：20.0 U\r\n抽取体积：0.200 ml\r\n", text_of(s.result_edit));
    EXPECT_EQ(0, s.last.level);

    // On a focused button Enter calculates; it does not run the button.
    set_clipboard(L"untouched");
    type(0, L"60");
    press(s.copy_button, VK_RETURN);
    EXPECT_EQ(L"untouched", clipboard_text());
    EXPECT_STREQ(L"计算完成  Glyvant", s.status_text);
    EXPECT_EQ(L"餐时胰岛素：6.0 U\r\n抽取体积：0.060 ml\r\n", text_of(s.result_edit));

    // Keys to the main window itself are not routed.
    type(0, L"250");
    press(window, VK_F5);
    EXPECT_EQ(0, s.last.level);
}

// A field that is not a number stops Calculate with its message, focused,
// and nothing else changes: the last result keeps the inputs it came from.
TEST_F(MainWindow, BadFieldsAreRefusedAndChangeNothing) {
    click(IDC_CALCULATE);
    struct Case {
        const wchar_t* fields[3];
        const wchar_t* message;
        int focused;
    };
    const Case cases[] = {
        {{L"6O", L"10", L"100"}, L"第 1 项“本餐碳水”请输入数字。", 0},
        {{L"60", L"1,5", L"100"}, L"第 2 项“碳水系数”请输入数字。", 1},
        {{L"60", L"10", L"abc"}, L"第 3 项“规格”请输入数字。", 2},
        {{L"60", L"inf", L"nan"}, L"第 2 项“碳水系数”请输入数字。", 1},  // the first only
        {{L"1e999", L"10", L"100"}, L"第 1 项“本餐碳水”请输入数字。", 0},
    };
    for (const Case& c : cases) {
        for (int i = 0; i < 3; i++) type(i, c.fields[i]);
        shown_boxes.clear();
        click(IDC_CALCULATE);
        ASSERT_EQ(1u, shown_boxes.size());
        EXPECT_EQ(c.message, shown_boxes[0].text);
        EXPECT_EQ(L"输入有误", shown_boxes[0].caption);
        EXPECT_EQ((UINT)(MB_OK | MB_ICONWARNING), shown_boxes[0].flags);
        EXPECT_EQ(s.input_controls[c.focused], GetFocus());
        EXPECT_EQ(L"餐时胰岛素：6.0 U\r\n抽取体积：0.060 ml\r\n", text_of(s.result_edit));
        EXPECT_STREQ(L"计算完成  Glyvant", s.status_text);
        EXPECT_EQ(60, s.last.inputs[0]);
        EXPECT_EQ(10, s.last.inputs[1]);
        EXPECT_EQ(100, s.last.inputs[2]);
    }
    // Blank fields count as 0.
    for (int i = 0; i < 3; i++) type(i, L"  ");
    shown_boxes.clear();
    click(IDC_CALCULATE);
    EXPECT_TRUE(shown_boxes.empty());
    EXPECT_EQ(0, s.last.inputs[0]);
}

// A field is judged on its whole text, pasted as a nurse would paste it: a
// text longer than the field's read buffer is refused, not read by its head.
TEST_F(MainWindow, LongFieldsAreJudgedWhole) {
    click(IDC_CALCULATE);
    const std::wstring spaces(INPUT_TEXT_CAPACITY - 2, L' ');
    struct Case {
        std::wstring text;
        const wchar_t* result;  // nullptr: refused
    };
    const Case cases[] = {
        {L"6" + spaces, L"餐时胰岛素：0.6 U\r\n抽取体积：0.006 ml\r\n"},  // fits the buffer exactly
        {L"6" + spaces + L"O", nullptr},  // the letter O lies beyond the buffer
        {L"1" + std::wstring(INPUT_TEXT_CAPACITY, L'0'), nullptr},  // a number longer than the buffer
    };
    for (const Case& c : cases) {
        set_clipboard(c.text.c_str());
        SendMessageW(s.input_controls[0], EM_SETSEL, 0, -1);
        SendMessageW(s.input_controls[0], WM_PASTE, 0, 0);
        ASSERT_EQ(c.text, text_of(s.input_controls[0]));
        const std::wstring before = text_of(s.result_edit);
        shown_boxes.clear();
        press(s.input_controls[0], VK_F5);
        if (c.result) {
            EXPECT_TRUE(shown_boxes.empty());
            EXPECT_EQ(c.result, text_of(s.result_edit));
            continue;
        }
        ASSERT_EQ(1u, shown_boxes.size()) << c.text.size();
        EXPECT_EQ(L"第 1 项“本餐碳水”请输入数字。", shown_boxes[0].text);
        EXPECT_EQ(L"输入有误", shown_boxes[0].caption);
        EXPECT_EQ(s.input_controls[0], GetFocus());
        EXPECT_EQ(before, text_of(s.result_edit));
    }
}

TEST_F(MainWindow, ControlColoursFollowTheLevel) {
    HDC dc = CreateCompatibleDC(nullptr);
    struct Case {
        int level;
        HWND control;
        COLORREF colour;
    };
    const Case cases[] = {
        {0, s.verdict_label, RGB(0, 128, 96)},   {1, s.verdict_label, RGB(176, 132, 0)},
        {2, s.verdict_label, RGB(214, 108, 0)},  {3, s.verdict_label, RGB(190, 30, 45)},
        {7, s.verdict_label, RGB(0, 128, 96)},   {2, s.result_edit, RGB(44, 56, 66)},
        {2, s.caution_label, RGB(44, 56, 66)},   {2, nullptr, RGB(120, 132, 142)},
    };
    s.result_state = RESULT_CURRENT;
    for (const Case& c : cases) {
        s.last.level = c.level;
        LRESULT brush = SendMessageW(window, WM_CTLCOLORSTATIC, (WPARAM)dc, (LPARAM)c.control);
        EXPECT_EQ((LRESULT)s.white_brush, brush);
        EXPECT_EQ(c.colour, GetTextColor(dc)) << c.level;
        EXPECT_EQ(TRANSPARENT, GetBkMode(dc));
    }
    LRESULT brush = SendMessageW(window, WM_CTLCOLOREDIT, (WPARAM)dc, (LPARAM)s.input_controls[0]);
    EXPECT_EQ((LRESULT)s.white_brush, brush);
    EXPECT_EQ(RGB(44, 56, 66), GetTextColor(dc));
    EXPECT_EQ(RGB(255, 255, 255), GetBkColor(dc));
    DeleteDC(dc);
}

// The verdict as it appears on screen: drawn in its level's colour.
TEST_F(MainWindow, VerdictIsRedrawnInItsLevelColour) {
    const RECT verdict = {492, 142, 984, 188};
    type(0, L"250");
    click(IDC_CALCULATE);
    Capture c = capture(window, CLIENT_WIDTH, CLIENT_HEIGHT);
    EXPECT_TRUE(any_pixel(c, verdict, RGB(214, 108, 0)));
    EXPECT_FALSE(any_pixel(c, verdict, RGB(0, 128, 96)));
    release(c);
    type(0, L"60");
    click(IDC_CALCULATE);
    c = capture(window, CLIENT_WIDTH, CLIENT_HEIGHT);
    EXPECT_TRUE(any_pixel(c, verdict, RGB(0, 128, 96)));
    EXPECT_FALSE(any_pixel(c, verdict, RGB(214, 108, 0)));
    release(c);
}

// An input edited after Calculate leaves a result that was not computed from
// it: the verdict says so in no level's colour, and Copy and Save refuse
// until the next Calculate. The same number written another way is no edit.
TEST_F(MainWindow, EditedInputsMarkTheResultOutOfDate) {
    const std::wstring path = records_folder() + L"\\T009.csv";
    DeleteFileW(path.c_str());
    const RECT verdict = {492, 142, 984, 188};
    type(0, L"250");
    click(IDC_CALCULATE);
    type(0, L"250.0");
    EXPECT_EQ(L"单次餐时剂量较大，建议复核对碳水与比值", text_of(s.verdict_label));

    type(0, L"60");
    EXPECT_EQ(VERDICT_OUT_OF_DATE, text_of(s.verdict_label));
    Capture c = capture(window, CLIENT_WIDTH, CLIENT_HEIGHT);
    EXPECT_FALSE(any_pixel(c, verdict, RGB(214, 108, 0)));
    EXPECT_TRUE(any_pixel(c, verdict, RGB(120, 132, 142)));
    release(c);
    set_clipboard(L"before");
    shown_boxes.clear();
    click(IDC_COPY);
    click(IDC_SAVE);
    click(IDC_PRINT);
    ASSERT_EQ(3u, shown_boxes.size());
    for (const ShownBox& box : shown_boxes) {
        EXPECT_EQ(L"输入已修改，请先点击“计算”重新计算。", box.text);
        EXPECT_EQ(L"提示", box.caption);
        EXPECT_EQ((UINT)(MB_OK | MB_ICONINFORMATION), box.flags);
    }
    EXPECT_EQ(L"before", clipboard_text());
    EXPECT_EQ("(missing)", file_bytes(path.c_str()));

    // Changed back, it is still not the calculation on screen until F5.
    type(0, L"250");
    EXPECT_EQ(VERDICT_OUT_OF_DATE, text_of(s.verdict_label));
    type(0, L"60");
    press(s.input_controls[0], VK_F5);
    EXPECT_EQ(L"按碳水系数计算完成", text_of(s.verdict_label));
    click(IDC_COPY);
    EXPECT_EQ(L"Glyvant\r\n" DEFAULT_LINES L"—— 按碳水系数计算完成", clipboard_text());
}

TEST_F(MainWindow, CopyPutsTitleResultAndVerdictOnTheClipboard) {
    set_clipboard(L"before");
    click(IDC_COPY);
    ASSERT_EQ(1u, shown_boxes.size());
    EXPECT_EQ(L"请先点击“计算”生成结果。", shown_boxes[0].text);
    EXPECT_EQ(L"提示", shown_boxes[0].caption);
    EXPECT_EQ(L"before", clipboard_text());

    click(IDC_CALCULATE);
    click(IDC_COPY);
    EXPECT_EQ(L"Glyvant\r\n餐时胰岛素：6.0 U\r\n抽取体积：0.060 ml\r\n—— 按碳水系数计算完成", clipboard_text());
    EXPECT_STREQ(L"结果已复制到剪贴板", s.status_text);

    // No memory for the block: the status must not claim a copy.
    allocate_global_block = no_memory;
    click(IDC_COPY);
    allocate_global_block = GlobalAlloc;
    EXPECT_EQ(L"(none)", clipboard_text());
    EXPECT_STREQ(L"复制失败，请重试", s.status_text);
}

// The PC's printers, stood in for: whether one is the default and whether
// there is any; the paper they have; and what the dialog showed. A printer
// takes no document: its device context is a memory DC, on which no job
// can start.
struct StandInPrinters {
    bool has_default, any;
    PageSize paper;
    int dialog_pages;  // the last page the dialog offered, 0 for none; -1 when it did not open
} printers;

BOOL WINAPI stand_in_dialog(PRINTDLGW* dialog) {
    if (!(dialog->Flags & PD_RETURNDEFAULT))
        printers.dialog_pages = dialog->Flags & PD_NOPAGENUMS ? 0 : dialog->nMaxPage;
    else if (!printers.has_default)
        return FALSE;
    dialog->hDC = CreateCompatibleDC(nullptr);
    return TRUE;
}

// Asked for no more than the list's size, as Print asks.
BOOL WINAPI stand_in_printer_list(DWORD, LPWSTR, DWORD, LPBYTE, DWORD, LPDWORD needed, LPDWORD returned) {
    *needed = printers.any ? 256 : 0;
    *returned = 0;
    return !printers.any;
}

PageSize stand_in_paper(HDC) { return printers.paper; }

// Print tells the nurse what became of the page, never "sent" when it was
// not: a job that does not go out, paper too small for a page (a label
// printer's), no default printer (the dialog lets her choose one), none at all.
TEST_F(MainWindow, PrintSaysWhatBecameOfThePage) {
    const PageSize a4 = {794, 1123, 794, 1123, 0, 0, 96, 96}, label = {354, 236, 354, 236, 0, 0, 300, 300};
    struct Case {
        bool has_default, any;
        PageSize paper;
        int dialog_pages;
        const wchar_t *caption, *text, *status;
    };
    const wchar_t* job_failed = L"打印未能完成，页面没有打印出来。请检查打印机（是否开机、缺纸或脱机）后重试。";
    const Case cases[] = {
        {true, true, a4, 1, L"打印失败", job_failed, L"打印失败："},
        {true, true, label, 0, L"打印",
         L"当前打印机的纸张为 30 × 20 mm，无法排版打印结果。请选择 A4 或 A5 纸张的打印机。", L"未打印：纸张过小"},
        {false, true, a4, 0, L"打印失败", job_failed, L"打印失败："},
        {false, false, a4, -1, L"打印", L"未找到可用的打印机，请先在系统中添加打印机。", L"未打印：未找到打印机"},
    };
    click(IDC_CALCULATE);
    run_print_dialog = stand_in_dialog;
    list_printers = stand_in_printer_list;
    measure_page = stand_in_paper;
    for (const Case& c : cases) {
        printers = {c.has_default, c.any, c.paper, -1};
        shown_boxes.clear();
        click(IDC_PRINT);
        EXPECT_EQ(c.dialog_pages, printers.dialog_pages) << c.status;
        ASSERT_EQ(1u, shown_boxes.size()) << c.status;  // a job tried on the stand-in would fail with a box
        EXPECT_EQ(c.caption, shown_boxes[0].caption);
        EXPECT_EQ(c.text, shown_boxes[0].text);
        EXPECT_EQ(0, wcsncmp(c.status, s.status_text, wcslen(c.status))) << s.status_text;
    }
    run_print_dialog = PrintDlgW;
    list_printers = EnumPrintersW;
    measure_page = page_size_of;
}

TEST_F(MainWindow, ResetRestoresDefaultsAndForgetsTheResult) {
    type(0, L"250");
    click(IDC_CALCULATE);
    type(1, L"never calculated");
    SetWindowTextW(s.caution_label, L"changed");
    click(IDC_RESET);
    EXPECT_EQ(L"60", text_of(s.input_controls[0]));
    EXPECT_EQ(L"10", text_of(s.input_controls[1]));
    EXPECT_EQ(L"100", text_of(s.input_controls[2]));
    EXPECT_EQ(L"", text_of(s.result_edit));
    EXPECT_EQ(VERDICT_PROMPT, text_of(s.verdict_label));
    EXPECT_EQ(L"需结合校正剂量与运动量；夜间与饮酒后低血糖风险升高。", text_of(s.caution_label));
    EXPECT_STREQ(L"已恢复默认值", s.status_text);
    Capture c = capture(window, CLIENT_WIDTH, CLIENT_HEIGHT);  // the prompt in the level-0 colour
    EXPECT_TRUE(any_pixel(c, {492, 142, 984, 188}, RGB(0, 128, 96)));
    release(c);
    click(IDC_COPY);
    click(IDC_SAVE);
    ASSERT_EQ(2u, shown_boxes.size());
    EXPECT_EQ(L"请先点击“计算”生成结果。", shown_boxes[0].text);
    EXPECT_EQ(L"请先点击“计算”生成结果，再保存记录。", shown_boxes[1].text);
}

TEST_F(MainWindow, AboutNamesTheToolAndTheMaker) {
    click(IDC_ABOUT);
    ASSERT_EQ(1u, shown_boxes.size());
    EXPECT_EQ(L"Glyvant\r\n\r\n分类：内分泌\r\n参考依据：糖尿病胰岛素强化治疗：ICR 碳水胰岛素比值\r\n\r\n"
              L"本工具为临床辅助计算/记录工具，结果不能替代医师诊疗判断，\r\n"
              L"具体用药与处置请结合患者实际情况及本院规范执行。\r\n\r\n"
              L"版本 V" GLYVANT_VERSION_TEXT L"    官网：www.orvomed.example",
              shown_boxes[0].text);
    EXPECT_EQ(L"关于本工具", shown_boxes[0].caption);
    EXPECT_EQ((UINT)(MB_OK | MB_ICONINFORMATION), shown_boxes[0].flags);
}

// A button held down shows its pressed fill; released, its normal fill.
TEST_F(MainWindow, ButtonsShowThePressedFillWhileHeld) {
    struct Case {
        HWND button;
        int x, y;  // its top left corner in the client area
        COLORREF fill, pressed, border;
    };
    const Case cases[] = {
        {s.calculate_button, 20, 668, RGB(0, 122, 168), RGB(0, 100, 138), RGB(0, 106, 148)},
        {s.about_button, 616, 668, RGB(255, 255, 255), RGB(226, 234, 240), RGB(206, 216, 224)},
    };
    for (const Case& c : cases) {
        SendMessageW(c.button, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(4, 4));
        pump();
        Capture held = capture(window, CLIENT_WIDTH, CLIENT_HEIGHT);
        EXPECT_EQ(c.pressed, held.at(c.x + 3, c.y + 3));
        EXPECT_EQ(c.border, held.at(c.x, c.y));
        release(held);
        SendMessageW(c.button, WM_LBUTTONUP, 0, MAKELPARAM(4, 4));
        pump();
        Capture up = capture(window, CLIENT_WIDTH, CLIENT_HEIGHT);
        EXPECT_EQ(c.fill, up.at(c.x + 3, c.y + 3));
        EXPECT_EQ(c.border, up.at(c.x + 39, c.y));
        release(up);
    }
    ReleaseCapture();
}

// Painted pixels of every band, panel, outline and rule, away from the
// controls drawn on top.
TEST_F(MainWindow, PaintingPutsEveryBandPanelAndRuleInPlace) {
    struct Point {
        int x, y;
        COLORREF colour;
        const char* what;
    };
    const Point points[] = {
        {10, 300, RGB(244, 247, 249), "page"},          {1010, 300, RGB(244, 247, 249), "page, right"},
        {4, 40, RGB(0, 132, 176), "accent strip"},      {7, 87, RGB(0, 132, 176), "accent strip corner"},
        {8, 40, RGB(0, 108, 150), "header band"},       {900, 80, RGB(0, 108, 150), "header band"},
        {500, 88, RGB(244, 247, 249), "below the band"}, {300, 500, RGB(255, 255, 255), "left panel"},
        {20, 300, RGB(218, 226, 232), "left outline"},  {459, 300, RGB(218, 226, 232), "left outline"},
        {200, 96, RGB(218, 226, 232), "left outline"},  {200, 647, RGB(218, 226, 232), "left outline"},
        {21, 300, RGB(255, 255, 255), "inside left"},   {700, 640, RGB(255, 255, 255), "right panel"},
        {476, 300, RGB(218, 226, 232), "right outline"}, {999, 300, RGB(218, 226, 232), "right outline"},
        {468, 300, RGB(244, 247, 249), "between panels"}, {100, 133, RGB(228, 234, 238), "left rule"},
        {443, 133, RGB(228, 234, 238), "left rule end"}, {444, 133, RGB(255, 255, 255), "after left rule"},
        {600, 133, RGB(228, 234, 238), "right rule"},   {100, 134, RGB(255, 255, 255), "under the rule"},
        {900, 680, RGB(236, 241, 244), "footer"},       {10, 719, RGB(236, 241, 244), "footer bottom"},
        {10, 659, RGB(244, 247, 249), "above footer"},
    };
    Capture c = capture(window, CLIENT_WIDTH + 40, CLIENT_HEIGHT);
    for (const Point& p : points) EXPECT_EQ(p.colour, c.at(p.x, p.y)) << p.what << " at " << p.x << "," << p.y;
    EXPECT_TRUE(any_pixel(c, {26, 12, 726, 50}, RGB(255, 255, 255))) << "title";
    EXPECT_TRUE(any_pixel(c, {36, 104, 336, 134}, RGB(0, 108, 150))) << "left heading";
    EXPECT_TRUE(any_pixel(c, {28, 48, 748, 76}, RGB(214, 236, 246))) << "category and summary";
    RECT client;
    GetClientRect(window, &client);  // the website keeps to the right edge, whatever the width
    EXPECT_TRUE(any_pixel(c, {client.right - 240, 8, client.right - 26, 34}, RGB(190, 220, 235)))
        << "website";
    release(c);
}

// The footer shows each command's status text: the window's pixels equal
// the status painted on its own.
TEST_F(MainWindow, FooterShowsTheStatusOfEachCommand) {
    auto footer_matches = [&](const wchar_t* status) {
        Capture shown = capture(window, CLIENT_WIDTH, CLIENT_HEIGHT);
        HDC dc = CreateCompatibleDC(shown.dc);
        HBITMAP bitmap = CreateCompatibleBitmap(shown.dc, CLIENT_WIDTH, CLIENT_HEIGHT);
        HGDIOBJ old = SelectObject(dc, bitmap);
        fill_box(dc, {0, 660, CLIENT_WIDTH, 60}, RGB(236, 241, 244));
        const Box b = STATUS_BOX;  // beside the buttons
        draw_text_box(dc, b, status, RGB(120, 132, 142), s.font_small, DT_RIGHT);
        bool same = true;
        for (int y = b.y; y < b.y + b.height && same; y++)
            for (int x = b.x; x < b.x + b.width && same; x++) same = shown.at(x, y) == GetPixel(dc, x, y);
        bool drawn =
            any_pixel(shown, {b.x, b.y, b.x + b.width, b.y + b.height}, RGB(120, 132, 142)) || !*status;
        SelectObject(dc, old);
        DeleteObject(bitmap);
        DeleteDC(dc);
        release(shown);
        return same && drawn;
    };
    EXPECT_TRUE(footer_matches(L"就绪：填写参数后按 F5 或点击“计算”"));
    click(IDC_CALCULATE);
    EXPECT_TRUE(footer_matches(L"计算完成  Glyvant"));
    click(IDC_COPY);
    EXPECT_TRUE(footer_matches(L"结果已复制到剪贴板"));
    click(IDC_RESET);
    EXPECT_TRUE(footer_matches(L"已恢复默认值"));
    click(IDC_CALCULATE);
    click(IDC_SAVE);  // a long path: right-aligned, ending in an ellipsis
    EXPECT_EQ(0, wcsncmp(L"记录已保存：", s.status_text, 6));
    EXPECT_TRUE(footer_matches(s.status_text));
}

std::string utf8(const std::wstring& text) {
    char bytes[8192];
    utf8_from_wide(text.c_str(), bytes, sizeof bytes);
    return bytes;
}

TEST_F(MainWindow, SaveAppendsRowsToTheToolsRecordFile) {
    const std::wstring folder = records_folder(), path = folder + L"\\T009.csv";
    DeleteFileW(path.c_str());
    RemoveDirectoryW(folder.c_str());
    RemoveDirectoryW((folder.substr(0, folder.size() - 8)).c_str());

    click(IDC_SAVE);
    EXPECT_EQ("(missing)", file_bytes(path.c_str()));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(folder.c_str()));

    type(0, L"1234567");
    click(IDC_CALCULATE);
    shown_boxes.clear();
    click(IDC_SAVE);
    click(IDC_SAVE);
    ASSERT_EQ(2u, shown_boxes.size());
    EXPECT_EQ(L"本次结果已追加保存到本地记录（CSV，可用 Excel 打开）。", shown_boxes[0].text);
    EXPECT_EQ(L"已保存", shown_boxes[0].caption);
    EXPECT_EQ(L"记录已保存：" + path, std::wstring(s.status_text));

    std::string bytes = file_bytes(path.c_str());
    const std::string header = "\xEF\xBB\xBF" + utf8(L"时间,工具,本餐碳水,碳水系数,规格,结果\r\n");
    ASSERT_EQ(header, bytes.substr(0, header.size()));
    const std::string row_tail =
        utf8(L",Glyvant,本餐碳水=1.23457e+06,碳水系数=10,规格=100,"
             L"\"餐时胰岛素：123456.7 U\r\n抽取体积：1234.567 ml\r\n\"\r\n");
    std::string rows = bytes.substr(header.size());
    ASSERT_EQ(2 * (19 + row_tail.size()), rows.size()) << rows;
    for (int i = 0; i < 2; i++) EXPECT_EQ(row_tail, rows.substr(i * (19 + row_tail.size()) + 19, row_tail.size()));
}

// A Save that cannot write says so: no "saved" message, no "saved" status.
TEST_F(MainWindow, SaveThatCannotWriteReportsTheFailure) {
    const std::wstring folder = records_folder(), suite = folder.substr(0, folder.size() - 8);
    DeleteFileW((folder + L"\\T009.csv").c_str());
    RemoveDirectoryW(folder.c_str());
    RemoveDirectoryW(suite.c_str());
    // A file where the suite's folder belongs.
    HANDLE blocker = CreateFileW(suite.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, blocker);
    CloseHandle(blocker);

    click(IDC_CALCULATE);
    shown_boxes.clear();
    click(IDC_SAVE);
    DeleteFileW(suite.c_str());
    ASSERT_EQ(1u, shown_boxes.size());
    EXPECT_EQ(L"本次结果未能写入本地记录，请检查磁盘空间与文件夹权限。", shown_boxes[0].text);
    EXPECT_EQ(L"保存失败", shown_boxes[0].caption);
    EXPECT_EQ((UINT)(MB_OK | MB_ICONWARNING), shown_boxes[0].flags);
    EXPECT_EQ(L"记录保存失败：" + folder + L"\\T009.csv", std::wstring(s.status_text));

    // Once the way is clear, the next Save succeeds.
    shown_boxes.clear();
    click(IDC_SAVE);
    ASSERT_EQ(1u, shown_boxes.size());
    EXPECT_EQ(L"已保存", shown_boxes[0].caption);
}

// An owner-drawn button also notifies a double click; only the click runs a
// command, so a quick double click on 保存记录 saves one row.
TEST_F(MainWindow, DoubleClickNotificationsRunNoCommand) {
    const std::wstring path = records_folder() + L"\\T009.csv";
    DeleteFileW(path.c_str());
    click(IDC_CALCULATE);
    click(IDC_SAVE);
    const std::string saved = file_bytes(path.c_str());
    const std::wstring status = s.status_text, result = text_of(s.result_edit);
    shown_boxes.clear();
    for (int id : {IDC_SAVE, IDC_CALCULATE, IDC_COPY, IDC_RESET, IDC_ABOUT}) {
        SendMessageW(window, WM_COMMAND, MAKEWPARAM(id, BN_DOUBLECLICKED), (LPARAM)GetDlgItem(window, id));
        pump();
    }
    EXPECT_TRUE(shown_boxes.empty());
    EXPECT_EQ(saved, file_bytes(path.c_str()));
    EXPECT_EQ(status, std::wstring(s.status_text));
    EXPECT_EQ(result, text_of(s.result_edit));
}

// Excel holds a CSV it shows with writers refused. Another process holds the
// record file so: Save says why it failed and writes nothing, and the next
// Save after the file is closed appends the row once.
TEST_F(MainWindow, SaveWhileAnotherProgramHoldsTheRecordFile) {
    const std::wstring path = records_folder() + L"\\T009.csv";
    DeleteFileW(path.c_str());
    click(IDC_CALCULATE);
    click(IDC_SAVE);
    const std::string one_row = file_bytes(path.c_str());
    const size_t row_size = one_row.size() - one_row.find("\r\n") - 2;

    HANDLE held = CreateEventW(nullptr, TRUE, FALSE, L"GlyvantTestFileHeld");
    HANDLE release = CreateEventW(nullptr, TRUE, FALSE, L"GlyvantTestFileRelease");
    wchar_t holder[MAX_PATH];
    GetModuleFileNameW(nullptr, holder, MAX_PATH);
    wcscpy(wcsrchr(holder, L'\\') + 1, L"glyvant_file_holder.exe");
    std::wstring command = L"holder \"" + path + L"\" GlyvantTestFileHeld GlyvantTestFileRelease";
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    ASSERT_TRUE(CreateProcessW(holder, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                               &startup, &process));
    HANDLE waits[] = {held, process.hProcess};
    ASSERT_EQ(WAIT_OBJECT_0, WaitForMultipleObjects(2, waits, FALSE, 30000)) << "the file was not held";

    shown_boxes.clear();
    click(IDC_SAVE);
    const std::string while_held = file_bytes(path.c_str());
    SetEvent(release);
    DWORD holder_exit = 1;
    WaitForSingleObject(process.hProcess, 30000);
    GetExitCodeProcess(process.hProcess, &holder_exit);
    for (HANDLE h : {held, release, process.hProcess, process.hThread}) CloseHandle(h);
    EXPECT_EQ(0u, holder_exit);

    ASSERT_EQ(1u, shown_boxes.size());
    EXPECT_EQ(L"记录文件正被其他程序（如 Excel）打开，本次结果未能写入。请关闭该文件后再点击“保存记录”。",
              shown_boxes[0].text);
    EXPECT_EQ(L"保存失败", shown_boxes[0].caption);
    EXPECT_EQ((UINT)(MB_OK | MB_ICONWARNING), shown_boxes[0].flags);
    EXPECT_EQ(L"记录保存失败：" + path, std::wstring(s.status_text));
    EXPECT_EQ(one_row, while_held);

    shown_boxes.clear();
    click(IDC_SAVE);
    ASSERT_EQ(1u, shown_boxes.size());
    EXPECT_EQ(L"已保存", shown_boxes[0].caption);
    const std::string two_rows = file_bytes(path.c_str());
    EXPECT_EQ(one_row.size() + row_size, two_rows.size());
    EXPECT_EQ(one_row, two_rows.substr(0, one_row.size()));
    DeleteFileW(path.c_str());
}

}  // namespace
