// The real main window in this process, driven with the messages a user's
// clicks and keys produce: its controls, commands, colours, painted pixels,
// the clipboard and the record file.
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <regex>
#include <string>
#include <vector>

#include "app/win32/main_window.h"
#include "glyvant_version.h"
#include "store/store.h"
#include "support/test_data_folder.h"
#include "support/file_bytes.h"
#include "suite/catalogue.h"
#include "support/window_driver.h"
#include "support/screen_capture.h"

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
    // Every control lies inside the client area and none over another; the
    // input view's rows, where they are scrolled into view.
    void expect_inside_and_apart(const std::string& where) {
        std::vector<RECT> boxes;
        RECT inside, client, view = rect_of(s.input_view);
        for (HWND c = GetWindow(window, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
            if (c != s.input_view) boxes.push_back(rect_of(c));
        for (HWND c = GetWindow(s.input_view, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
            if (RECT r = rect_of(c); IntersectRect(&inside, &r, &view)) boxes.push_back(r);
        GetClientRect(window, &client);
        for (size_t i = 0; i < boxes.size(); i++) {
            EXPECT_TRUE(IntersectRect(&inside, &boxes[i], &client) && EqualRect(&inside, &boxes[i])) << where << " " << i;
            for (size_t k = 0; k < i; k++)
                EXPECT_FALSE(IntersectRect(&inside, &boxes[i], &boxes[k])) << where << " " << i << " " << k;
        }
    }
};

// The window keeps its fixed size, centred in the work area (the screen less
// a taskbar), for Caprini's 38 inputs as for Glyvant: whole inside 1280 x 680
// units or more, at any display scaling; else from the left edge, its
// buttons inside, no higher than they need. Run on each desktop
// GLYVANT_WINE_DESKTOP names ("1920x1020-144dpi": at 144 DPI), if Wine gave
// it.
TEST_F(MainWindow, FixedSizeCentredNeverOffScreen) {
    RECT r;
    GetWindowRect(window, &r);
    EXPECT_EQ(px(WINDOW_WIDTH), r.right - r.left);
    EXPECT_EQ(px(WINDOW_HEIGHT), r.bottom - r.top);
    char asked[32] = "", screen[32];
    GetEnvironmentVariableA("GLYVANT_WINE_DESKTOP", asked, sizeof asked);
    snprintf(screen, sizeof screen, "%dx%d", GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    ASSERT_TRUE(!*asked || !strncmp(asked, screen, strcspn(asked, "-"))) << screen;
    if (const char* dpi = strchr(asked, '-')) {
        ASSERT_EQ(atoi(dpi + 1), s.dpi);
    }
    RECT before, w, b;
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &before, 0);
    for (int taskbar : {0, 40}) {
        for (const ToolDef* tool : {*std::find_if(suite_tools, suite_tools + suite_tool_count, [](auto t) { return t->id == 24; }), &tool_builtin()}) {
            w = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN) - px(taskbar)};
            SystemParametersInfoW(SPI_SETWORKAREA, 0, &w, 0);
            DestroyWindow(window);
            open(*tool);
            SystemParametersInfoW(SPI_SETWORKAREA, 0, &before, 0);
            GetWindowRect(window, &r);
            const bool wide = r.right - r.left > w.right, tall = r.bottom - r.top > w.bottom;
            EXPECT_TRUE((wide ? r.left == 0 : abs(r.left - (w.right - r.right)) <= 1) && (tall || abs(r.top - (w.bottom - r.bottom)) <= 1) &&
                        (unscaled(w.right, s.dpi) < 1280 || unscaled(w.bottom, s.dpi) < 680 || !(wide || tall)))
                << screen << " less " << taskbar << " T" << tool->id;
            for (int id = IDC_CALCULATE; id <= IDC_PRINT; id++) {
                GetWindowRect(GetDlgItem(window, id), &b);
                EXPECT_TRUE(b.top >= 0 && b.bottom <= w.bottom && (!tall || b.bottom >= w.bottom - px(12)) && (wide || b.right <= w.right))
                    << screen << " less " << taskbar << " T" << tool->id << " " << id;
            }
        }
    }

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
    EXPECT_EQ(px(WINDOW_WIDTH), info.ptMinTrackSize.x);
    EXPECT_EQ(px(WINDOW_HEIGHT), info.ptMaxTrackSize.y);
    SetWindowPos(window, nullptr, 0, 0, px(1400), px(1000), SWP_NOMOVE | SWP_NOZORDER);
    GetWindowRect(window, &r);
    EXPECT_EQ(px(WINDOW_WIDTH), r.right - r.left);
    EXPECT_EQ(px(WINDOW_HEIGHT), r.bottom - r.top);
}

// Where a user looks for each control: every input's label, field and unit
// on one row, the rows in input order, the buttons in a row below them in
// their order, every control inside the client area and none over another.
TEST_F(MainWindow, ControlsAreWhereAUserLooksForThem) {
    const wchar_t* const rows[][3] = {{L"本餐碳水", L"60", L"g"}, {L"碳水系数", L"10", L"g/U"}, {L"规格", L"100", L"U/ml"}};
    for (int i = 0; i < 3; i++) {
        RECT label = rect_of(FindWindowExW(s.input_view, nullptr, L"Static", rows[i][0])), field = rect_of(s.input_controls[i]),
             unit = rect_of(FindWindowExW(s.input_view, nullptr, L"Static", rows[i][2]));
        EXPECT_EQ(rows[i][1], text_of(s.input_controls[i]));
        EXPECT_TRUE(label.right <= field.left && field.right <= unit.left && label.top < field.bottom &&
                    field.top < label.bottom && unit.top < field.bottom) << i;
        EXPECT_TRUE(i == 0 || field.top > rect_of(s.input_controls[i - 1]).bottom) << i;
    }
    const wchar_t* const captions[] = {L"计算 (F5)", L"保存记录", L"复制结果", L"清空重填", L"关于", L"打印"};
    for (int id = IDC_CALCULATE; id <= IDC_PRINT; id++) {
        EXPECT_EQ(captions[id - IDC_CALCULATE], text_of(GetDlgItem(window, id)));
        EXPECT_TRUE(id == IDC_CALCULATE || rect_of(GetDlgItem(window, id)).left > rect_of(GetDlgItem(window, id - 1)).right);
        EXPECT_GT(rect_of(GetDlgItem(window, id)).top, rect_of(s.result_edit).bottom) << id;
    }
    EXPECT_NE(nullptr, FindWindowExW(window, nullptr, L"Static", L"参考依据：糖尿病胰岛素强化治疗：ICR 碳水胰岛素比值"));
    expect_inside_and_apart("Glyvant");
    EXPECT_EQ(s.input_controls[0], GetFocus());
    EXPECT_STREQ(L"就绪：填写参数后按 F5 或点击“计算”", s.status_text);
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

    // Keys to the main window itself are not routed.
    type(0, L"250");
    press(window, VK_F5);
    EXPECT_EQ(0, s.last.level);
}

// A field that is not a number, is left blank or lies outside its input's
// limits stops Calculate with its message, focused, and nothing else
// changes: the last result keeps the inputs it came from, marked out of date.
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
        {{L"-60", L"10", L"100"}, L"第 1 项“本餐碳水”须在 0–300 g 之间（当前 -60）。", 0},
        {{L" 300.5 ", L"10", L"100"}, L"第 1 项“本餐碳水”须在 0–300 g 之间（当前 300.5）。", 0},
        {{L"60", L"  ", L"100"}, L"第 2 项“碳水系数”请填写数值。", 1},
        {{L"60.25", L"10", L"100"}, L"第 1 项“本餐碳水”最多 1 位小数（当前 60.25）。", 0},
        {{L"60", L"10", L"100.5"}, L"第 3 项“规格”须为整数（当前 100.5）。", 2},
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
        EXPECT_EQ(VERDICT_OUT_OF_DATE, text_of(s.verdict_label));
        EXPECT_STREQ(L"计算完成  Glyvant", s.status_text);
        EXPECT_EQ(60, s.last.inputs[0]);
        EXPECT_EQ(10, s.last.inputs[1]);
        EXPECT_EQ(100, s.last.inputs[2]);
    }
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

// The verdict as it appears on screen: drawn in its level's colour.
TEST_F(MainWindow, VerdictIsRedrawnInItsLevelColour) {
    const RECT verdict = rect_of(s.verdict_label);
    type(0, L"250");
    click(IDC_CALCULATE);
    Capture c = capture(window, px(CLIENT_WIDTH), px(CLIENT_HEIGHT));
    EXPECT_TRUE(any_pixel_that(c, verdict, orange));
    EXPECT_FALSE(any_pixel_that(c, verdict, green));
    release(c);
    type(0, L"60");
    click(IDC_CALCULATE);
    c = capture(window, px(CLIENT_WIDTH), px(CLIENT_HEIGHT));
    EXPECT_TRUE(any_pixel_that(c, verdict, green));
    EXPECT_FALSE(any_pixel_that(c, verdict, orange));
    release(c);
}

// An input edited after Calculate leaves a result that was not computed from
// it: the verdict says so in no level's colour, and Copy and Save refuse
// until the next Calculate. The same number written another way is no edit.
TEST_F(MainWindow, EditedInputsMarkTheResultOutOfDate) {
    const std::wstring path = records_folder() + L"\\T009.csv";
    DeleteFileW(path.c_str());
    const RECT verdict = rect_of(s.verdict_label);
    type(0, L"250");
    click(IDC_CALCULATE);
    type(0, L"250.0");
    EXPECT_EQ(L"单次餐时剂量较大，建议复核对碳水与比值", text_of(s.verdict_label));

    type(0, L"60");
    EXPECT_EQ(VERDICT_OUT_OF_DATE, text_of(s.verdict_label));
    Capture c = capture(window, px(CLIENT_WIDTH), px(CLIENT_HEIGHT));
    EXPECT_FALSE(any_pixel_that(c, verdict, orange));
    EXPECT_TRUE(any_pixel_that(c, verdict, grey));
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
    // Kept out of the clipboard history and the cloud clipboard, as the
    // formats a clipboard manager reads say.
    ASSERT_TRUE(OpenClipboard(nullptr));
    for (const wchar_t* format : {L"CanIncludeInClipboardHistory", L"CanUploadToCloudClipboard",
                                  L"ExcludeClipboardContentFromMonitorProcessing"}) {
        HANDLE data = GetClipboardData(RegisterClipboardFormatW(format));
        EXPECT_TRUE(data && *(const DWORD*)GlobalLock(data) == 0) << format;
        if (data) GlobalUnlock(data);
    }
    CloseClipboard();

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
    Capture c = capture(window, px(CLIENT_WIDTH), px(CLIENT_HEIGHT));  // the prompt in the level-0 colour
    EXPECT_TRUE(any_pixel_that(c, rect_of(s.verdict_label), green));
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
    EXPECT_EQ(L"Glyvant\r\n\r\n分类：内分泌\r\n参考依据：糖尿病胰岛素强化治疗：ICR 碳水胰岛素比值\r\n"
              ABOUT_METHOD_LINE L"\r\n\r\n"
              L"本工具为临床辅助计算/记录工具，结果不能替代医师诊疗判断，\r\n"
              L"具体用药与处置请结合患者实际情况及本院规范执行。\r\n\r\n"
              L"版本 V" GLYVANT_VERSION_TEXT L"    官网：www.orvomed.example",
              shown_boxes[0].text);
    EXPECT_EQ(L"关于本工具", shown_boxes[0].caption);
    EXPECT_EQ((UINT)(MB_OK | MB_ICONINFORMATION), shown_boxes[0].flags);
}

// A button held down looks pressed; released, it looks as before.
TEST_F(MainWindow, ButtonsLookPressedWhileHeld) {
    for (int id : {IDC_CALCULATE, IDC_ABOUT}) {
        HWND button = GetDlgItem(window, id);
        const RECT r = rect_of(button);
        Capture before = capture(window, px(CLIENT_WIDTH), px(CLIENT_HEIGHT));
        SendMessageW(button, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(4, 4));
        pump();
        Capture held = capture(window, px(CLIENT_WIDTH), px(CLIENT_HEIGHT));
        SendMessageW(button, WM_LBUTTONUP, 0, MAKELPARAM(4, 4));
        SetFocus(window);  // the click focused it: its focus mark is another matter
        pump();
        Capture after = capture(window, px(CLIENT_WIDTH), px(CLIENT_HEIGHT));
        EXPECT_FALSE(same_pixels(before, held, r)) << id;
        EXPECT_TRUE(same_pixels(before, after, r)) << id;
        for (Capture* c : {&before, &held, &after}) release(*c);
    }
    ReleaseCapture();
}

// The footer beside the buttons shows each command's status as it comes:
// painted anew after every command whose status differs.
TEST_F(MainWindow, FooterShowsTheStatusOfEachCommand) {
    const RECT last_button = rect_of(GetDlgItem(window, IDC_PRINT));
    const RECT footer = {last_button.right, last_button.top, px(CLIENT_WIDTH), last_button.bottom};
    Capture shown = capture(window, px(CLIENT_WIDTH), px(CLIENT_HEIGHT));
    const int commands[] = {IDC_CALCULATE, IDC_COPY, IDC_RESET, IDC_CALCULATE, IDC_SAVE};
    for (int id : commands) {
        std::wstring before = s.status_text;
        click(id);
        Capture next = capture(window, px(CLIENT_WIDTH), px(CLIENT_HEIGHT));
        EXPECT_NE(before, s.status_text) << id;
        EXPECT_FALSE(same_pixels(shown, next, footer)) << id << " " << s.status_text;
        release(shown);
        shown = next;
    }
    EXPECT_EQ(0, wcsncmp(L"记录已保存：", s.status_text, 6));
    release(shown);
}

// The keyboard alone reaches everything: Tab goes through every input, then
// the buttons, in the order shown, and round again; Shift+Tab goes back. A
// focused button shows a focus mark and runs on Space or Enter.
TEST_F(MainWindow, KeyboardReachesEveryInputAndButton) {
    std::vector<HWND> order(s.input_controls, s.input_controls + 3);
    for (int id = IDC_CALCULATE; id <= IDC_PRINT; id++) order.push_back(GetDlgItem(window, id));
    for (size_t k = 1; k <= order.size(); k++) {
        press(GetFocus(), VK_TAB);
        EXPECT_EQ(order[k % order.size()], GetFocus()) << k;
    }
    EXPECT_EQ(MAKELRESULT(0, 2), SendMessageW(s.input_controls[0], EM_GETSEL, 0, 0));  // "60", to type over
    // Ctrl+A selects a field's whole text, as the common controls of version 6 do.
    SendMessageW(s.input_controls[0], EM_SETSEL, 0, 0);
    press(s.input_controls[0], 'A', VK_CONTROL);
    EXPECT_EQ(MAKELRESULT(0, 2), SendMessageW(s.input_controls[0], EM_GETSEL, 0, 0));
    press(GetFocus(), VK_TAB, VK_SHIFT);
    EXPECT_EQ(order.back(), GetFocus());

    // The focus mark: the same button looks other focused than not.
    HWND copy = GetDlgItem(window, IDC_COPY);
    Capture unfocused = capture(window, px(CLIENT_WIDTH), px(CLIENT_HEIGHT));
    SetFocus(copy);
    Capture focused = capture(window, px(CLIENT_WIDTH), px(CLIENT_HEIGHT));
    EXPECT_FALSE(same_pixels(unfocused, focused, rect_of(copy)));
    release(unfocused);
    release(focused);

    // Space and Enter on a focused button run it; Enter in a field calculates.
    set_clipboard(L"before");
    press(s.input_controls[0], VK_RETURN);
    SetFocus(copy);
    PostMessageW(copy, WM_KEYDOWN, VK_SPACE, 1);
    PostMessageW(copy, WM_KEYUP, VK_SPACE, 0xC0000001);
    pump();
    EXPECT_EQ(L"Glyvant\r\n" DEFAULT_LINES L"—— 按碳水系数计算完成", clipboard_text());
    set_clipboard(L"before");
    press(copy, VK_RETURN);
    EXPECT_EQ(L"Glyvant\r\n" DEFAULT_LINES L"—— 按碳水系数计算完成", clipboard_text());
    press(GetDlgItem(window, IDC_RESET), VK_RETURN);
    EXPECT_STREQ(L"已恢复默认值", s.status_text);
}

// Sharp and whole at the display scaling the test runs at (its prefix's
// LogPixels) and after a move to a monitor of another: Glyvant, Caprini's
// scrolling form and NRS 2002's lists with a two-line verdict lie inside
// the window and apart, their text in proportion (the display-scaling run
// compares the title's ink across scalings and keeps the pictures), and
// the move keeps what was typed, chosen, shown and focused, and the result
// current: Copy takes it. A move while the window is being made makes its
// controls once.
TEST_F(MainWindow, SharpAndWholeAtThisScaling) {
    for (auto [id, name] : {std::pair{9, "glyvant"}, {24, "caprini"}, {21, "nrs2002"}}) {
        open(**std::find_if(suite_tools, suite_tools + suite_tool_count, [&](auto tool) { return tool->id == id; }));
        const int dpi = s.dpi, last = s.tool.input_count - 1;
        ASSERT_EQ(window_dpi(window), dpi);
        if (id == 9) type(0, L"80");
        if (id == 21) choose(0, 3), choose(1, 3);
        if (id == 24) choose(0, 2), SendMessageW(s.input_controls[30], BM_SETCHECK, BST_CHECKED, 0);
        click(IDC_CALCULATE);
        ASSERT_EQ(RESULT_CURRENT, s.result_state) << name;
        expect_inside_and_apart(name);
        Capture c = capture(window, px(CLIENT_WIDTH), px(CLIENT_HEIGHT));
        const Box t = px(TITLE_BOX);
        note_ink_height(name, dpi, ink_height(c.dc, {t.x, t.y, t.x + t.width, t.y + t.height})), release(c);
        save_window_picture(window, name, dpi);
        const std::wstring shown = text_of(s.result_edit) + text_of(s.verdict_label);
        HDC dc = GetDC(window);
        SIZE before, after;
        SelectObject(dc, s.font_label), GetTextExtentPoint32W(dc, L"评估", 2, &before);
        for (int other : {dpi == 144 ? 96 : 144, dpi}) {
            show_input(last), SetFocus(s.input_controls[last]);
            RECT r, suggested;
            GetWindowRect(window, &r);
            suggested = {r.left, r.top, r.left + scaled(WINDOW_WIDTH, other), r.top + scaled(WINDOW_HEIGHT, other)};
            SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(other, other), (LPARAM)&suggested);
            pump();
            GetWindowRect(window, &r);
            expect_inside_and_apart(std::string(name) + " moved to " + std::to_string(other));
            SelectObject(dc, s.font_label), GetTextExtentPoint32W(dc, L"评估", 2, &after);
            EXPECT_NEAR(before.cy * other / dpi, after.cy, 1) << name << " at " << other;
            EXPECT_TRUE(EqualRect(&r, &suggested) && s.result_state == RESULT_CURRENT &&
                        s.input_controls[last] == GetFocus()) << name << " at " << other;
            EXPECT_EQ(shown, text_of(s.result_edit) + text_of(s.verdict_label)) << name;
        }
        ReleaseDC(window, dc);
        set_clipboard(L"before");
        click(IDC_COPY);
        EXPECT_TRUE(shown_boxes.empty()) << name;
        EXPECT_EQ(0u, clipboard_text().rfind(s.tool.title, 0)) << name;
        EXPECT_TRUE(id != 9 || text_of(s.input_controls[0]) == L"80");
        EXPECT_TRUE(id != 21 || SendMessageW(s.input_controls[1], CB_GETCURSEL, 0, 0) == 3);
        EXPECT_TRUE(id != 24 || SendMessageW(s.input_controls[30], BM_GETCHECK, 0, 0) == BST_CHECKED);
    }
    auto controls = [](HWND parent) {
        int n = 0;
        EnumChildWindows(parent, [](HWND, LPARAM count) { return ++*(int*)count, TRUE; }, (LPARAM)&n);
        return n;
    };
    open(tool_builtin());
    const int once = controls(window), other = s.dpi == 144 ? 96 : 144;
    DestroyWindow(window), window = nullptr;
    static int moved_to;
    moved_to = other;
    HHOOK hook = SetWindowsHookExW(WH_CALLWNDPROCRET, [](int code, WPARAM w, LPARAM l) -> LRESULT {
        const CWPRETSTRUCT& m = *(const CWPRETSTRUCT*)l;
        // As the system may send it while the window is being made, before
        // any control of it exists.
        if (m.message == WM_CREATE && !(GetWindowLongW(m.hwnd, GWL_STYLE) & WS_CHILD)) {
            RECT r = {0, 0, scaled(WINDOW_WIDTH, moved_to), scaled(WINDOW_HEIGHT, moved_to)};
            SendMessageW(m.hwnd, WM_DPICHANGED, MAKEWPARAM(moved_to, moved_to), (LPARAM)&r);
        }
        return CallNextHookEx(nullptr, code, w, l);
    }, nullptr, GetCurrentThreadId());
    open(tool_builtin());
    UnhookWindowsHookEx(hook);
    EXPECT_EQ(once, controls(window));
    expect_inside_and_apart("moved while being made");
}

// Every verdict of every tool of the suite shows whole in the verdict box,
// in the window's own font: measured as the box wraps it.
TEST_F(MainWindow, EveryVerdictOfTheSuiteShowsWhole) {
    RECT box;
    GetClientRect(s.verdict_label, &box);
    HDC dc = GetDC(s.verdict_label);
    HGDIOBJ old = SelectObject(dc, s.font_verdict);
    int messages = 0;
    for (int t = 0; t < suite_tool_count; t++) {
        for (int k = 0; k < suite_tools[t]->rule_count; k++, messages++) {
            show_verdict(suite_tools[t]->rules[k].message);
            RECT needed = box;
            DrawTextW(dc, text_of(s.verdict_label).c_str(), -1, &needed,
                      DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS | DT_NOPREFIX);
            EXPECT_TRUE(needed.bottom <= box.bottom && needed.right <= box.right)
                << suite_tools[t]->id << " rules[" << k << "] needs " << needed.right << "x" << needed.bottom;
        }
    }
    SelectObject(dc, old);
    ReleaseDC(s.verdict_label, dc);
    EXPECT_GT(messages, 40);
}

// Every tool's caution and basis show whole in their boxes, in the window's
// small font, as the boxes wrap them (the basis after the window's words).
TEST_F(MainWindow, EveryCautionAndBasisOfTheSuiteShowsWhole) {
    HWND basis = GetWindow(s.caution_label, GW_HWNDNEXT);  // made right after the caution
    const std::wstring shown = text_of(basis), before = shown.substr(0, shown.find(s.tool.basis));
    ASSERT_EQ(shown, before + s.tool.basis);
    HDC dc = GetDC(basis);
    SelectObject(dc, s.font_small);
    for (int k = 0; k < 2 * suite_tool_count; k++) {
        const ToolDef& tool = *suite_tools[k / 2];
        const std::wstring text = k % 2 ? before + tool.basis : tool.caution ? tool.caution : L"";
        RECT box, needed;
        GetClientRect(k % 2 ? basis : s.caution_label, &box);
        needed = box;
        DrawTextW(dc, text.c_str(), -1, &needed, DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS | DT_NOPREFIX);
        EXPECT_TRUE(needed.bottom <= box.bottom && needed.right <= box.right) << tool.id << " needs " << needed.bottom;
    }
    ReleaseDC(basis, dc);
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

    type(0, L"250");
    click(IDC_CALCULATE);
    shown_boxes.clear();
    click(IDC_SAVE);
    click(IDC_SAVE);
    ASSERT_EQ(2u, shown_boxes.size());
    EXPECT_EQ(L"本次结果已追加保存到本地记录（CSV，可用 Excel 打开）。", shown_boxes[0].text);
    EXPECT_EQ(L"已保存", shown_boxes[0].caption);
    EXPECT_EQ(L"记录已保存：" + path, std::wstring(s.status_text));

    std::string bytes = file_bytes(path.c_str());
    const std::string header = "\xEF\xBB\xBF" + utf8(L"时间,工具,本餐碳水,碳水系数,规格,结果,记录编号,住院号,姓名,床号,科室,"
                                                      L"护士工号,护士姓名,Windows 用户,计算机名,保存时间,就诊号,入院时间,"
                                                      L"评估时间,主要结果,下次评估\r\n");
    ASSERT_EQ(header, bytes.substr(0, header.size()));
    // Each row: the time, the calculation, then its record number, no
    // patient (none was given) and who saved it where and when.
    const std::regex row(utf8(L"\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d,Glyvant,本餐碳水=250,碳水系数=10,规格=100,"
                              L"\"餐时胰岛素：25.0 U\r\n抽取体积：0.250 ml\r\n"
                              L"结论：单次餐时剂量较大，建议复核对碳水与比值\r\n提示等级：橙色（需关注）\r\n\","
                              L"[0-9a-f-]{36},,,,,,,[^,\r\n]+,[^,\r\n]+,\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d[+-]\\d\\d:\\d\\d,,,"
                              L"\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d[+-]\\d\\d:\\d\\d,25.0,\r\n"));  // a formula tool is due for nothing
    std::string rows = bytes.substr(header.size());
    std::smatch first;
    ASSERT_TRUE(std::regex_search(rows, first, row, std::regex_constants::match_continuous)) << rows;
    EXPECT_TRUE(std::regex_match(first.suffix().str(), row)) << rows;
}

// A Save that cannot write says so: no "saved" message, no "saved" status.
TEST_F(MainWindow, SaveThatCannotWriteReportsTheFailure) {
    // A data folder of this test's own: the suite's folder it removes holds
    // nothing of another test's.
    use_test_data_folder();
    wchar_t records[MAX_PATH];
    store_suite_path(L"records", records, MAX_PATH);
    const std::wstring folder = records, suite = folder.substr(0, folder.size() - 8);
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
