// The main window of an assessment filled from lists (the Braden scale is
// this program's descriptor): filled with the mouse or the keyboard alone,
// never calculated with an item unchosen, and the chosen options in the
// copy and the record.
#include <windows.h>

#include <imm.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "common/win32/hospital_policy.h"
#include "common/win32/suite_messages.h"
#include "app/win32/main_window.h"
#include "delivery/delivery.h"
#include "store/store.h"
#include "support/file_bytes.h"
#include "suite/catalogue.h"
#include "support/suite_tool.h"
#include "support/window_driver.h"

namespace {

const wchar_t LOWEST_RISK[] =
    L"感知能力：4 分：无损害\r\n潮湿程度：4 分：罕见潮湿\r\n活动能力：4 分：经常步行\r\n"
    L"移动能力：4 分：不受限\r\n营养摄取能力：4 分：丰富\r\n摩擦力和剪切力：3 分：无明显问题\r\n总分：23 分\r\n"
    // No risk: no interval, never "not due".
    L"下次评估：病情变化、转科、术后随时复评\r\n";

// Braden's record file.
std::wstring braden_record() {
    wchar_t folder[RECORD_PATH_CAPACITY], path[RECORD_PATH_CAPACITY];
    platform_calls.user_data_folder(folder, RECORD_PATH_CAPACITY);
    text_format(path, RECORD_PATH_CAPACITY, L"%ls\\OrvoMedSuite\\records\\T018.csv", folder);
    return path;
}

std::string utf8(const wchar_t* text) {
    char bytes[2048];
    utf8_from_wide(text, bytes, sizeof bytes);
    return bytes;
}

class ListWindow : public WindowTest {
protected:
    void SetUp() override { open(tool_builtin()); }
    void TearDown() override {
        run_print_dialog = PrintDlgW;
        list_printers = EnumPrintersW;
        WindowTest::TearDown();
    }
    LRESULT chosen(int input) { return SendMessageW(s.input_controls[input], CB_GETCURSEL, 0, 0); }
    // Every item at its best level, the last option of each list.
    void choose_lowest_risk() {
        for (int i = 0; i < s.tool.input_count; i++) choose(i, s.tool.inputs[i].choice_count - 1);
    }
};

// Each list stands on its item's row, right of its label and left of the
// result side, nothing chosen.
TEST_F(ListWindow, ListsStandWhereFieldsWouldNothingChosen) {
    for (int i = 0; i < s.tool.input_count; i++) {
        HWND list = s.input_controls[i];
        wchar_t name[32];
        GetClassNameW(list, name, 32);
        EXPECT_EQ(0, _wcsicmp(L"ComboBox", name));
        EXPECT_EQ(IDC_INPUT_FIRST + i, GetDlgCtrlID(list));
        RECT r = rect_of(list), label = rect_of(FindWindowExW(s.input_view, nullptr, L"Static", s.tool.inputs[i].label));
        EXPECT_TRUE(label.right <= r.left && r.right < rect_of(s.verdict_label).left) << i;
        EXPECT_TRUE(label.top < r.bottom && r.top < label.bottom) << i;
        EXPECT_EQ(s.tool.inputs[i].choice_count, SendMessageW(list, CB_GETCOUNT, 0, 0));
        EXPECT_EQ(CB_ERR, chosen(i));
        wchar_t option[64];
        SendMessageW(list, CB_GETLBTEXT, 0, (LPARAM)option);
        EXPECT_STREQ(s.tool.inputs[i].choices[0].label, option);
    }
}

// The first list not chosen is asked for, with the focus on it, and nothing
// is calculated; Reset clears every choice again.
TEST_F(ListWindow, AnUnchosenItemStopsCalculate) {
    choose_lowest_risk();
    choose(2, -1);
    click(IDC_CALCULATE);
    ASSERT_EQ(1u, shown_boxes.size());
    EXPECT_EQ(L"第 3 项“活动能力”请选择。", shown_boxes[0].text);
    EXPECT_EQ(L"输入有误", shown_boxes[0].caption);
    EXPECT_EQ(s.input_controls[2], GetFocus());
    EXPECT_EQ(L"", text_of(s.result_edit));

    choose(2, 3);
    click(IDC_CALCULATE);
    EXPECT_EQ(LOWEST_RISK, text_of(s.result_edit));
    click(IDC_RESET);
    for (int i = 0; i < s.tool.input_count; i++) EXPECT_EQ(CB_ERR, chosen(i)) << i;
}

// Chosen with the mouse: the options are in the result, the copy and the
// record, the values in the record's "label=value"; a new choice after
// Calculate marks the result out of date.
TEST_F(ListWindow, ChosenOptionsAreInTheCopyAndTheRecord) {
    const std::wstring record = braden_record();
    const wchar_t* path = record.c_str();
    DeleteFileW(path);
    open(tool_builtin(), L"T018.exe --patient-id=2026001234 --patient-name=测试患者甲");
    choose_lowest_risk();
    click(IDC_CALCULATE);
    EXPECT_EQ(L"无明显风险（19–23 分）", text_of(s.verdict_label));
    click(IDC_COPY);
    EXPECT_EQ(std::wstring(L"测试患者甲\x3000住院号 2026001234\r\n压力性损伤风险评估（Braden）\r\n") + LOWEST_RISK +
                  L"—— 无明显风险（19–23 分）",
              clipboard_text());
    // A save repaints its status line alone, not the whole window.
    RECT client, update;
    GetClientRect(s.main_window, &client);
    const Box line = px(in_footer(STATUS_BOX, unscaled(client.bottom, s.dpi)));
    SendMessageW(s.main_window, WM_COMMAND, MAKEWPARAM(IDC_SAVE, BN_CLICKED), 0);
    GetUpdateRect(s.main_window, &update, FALSE);
    EXPECT_TRUE(update.top >= line.y && update.bottom <= line.y + line.height) << update.top << " " << update.bottom;
    pump();
    std::string row = file_bytes(path);
    DeleteFileW(path);
    EXPECT_NE(std::string::npos, row.find(utf8(L",感知能力=4,潮湿程度=4,活动能力=4,移动能力=4,营养摄取能力=4,摩擦力和剪切力=3,\"")));
    EXPECT_NE(std::string::npos, row.find(utf8(LOWEST_RISK)));

    choose(5, 1);
    EXPECT_EQ(VERDICT_OUT_OF_DATE, text_of(s.verdict_label));
}

// The keyboard alone: the first list has the focus, Down chooses, Tab goes
// to the next item and after the last to the buttons, F5 calculates. Enter
// on a dropped list chooses its highlighted option and closes it, without
// calculating.
TEST_F(ListWindow, FilledWithTheKeyboardAlone) {
    for (int i = 0; i < s.tool.input_count; i++) {
        ASSERT_EQ(s.input_controls[i], GetFocus()) << i;
        press(GetFocus(), VK_DOWN);  // the first option: the item's worst level
        press(GetFocus(), VK_TAB);
    }
    EXPECT_EQ(GetDlgItem(window, IDC_CALCULATE), GetFocus());
    press(GetFocus(), VK_F5);
    EXPECT_EQ(0u, text_of(s.result_edit).find(L"感知能力：1 分：完全受限\r\n"));
    EXPECT_EQ(L"极高危（≤9 分）：立即落实压力性损伤预防措施", text_of(s.verdict_label));

    SetFocus(s.input_controls[0]);
    SendMessageW(s.input_controls[0], CB_SHOWDROPDOWN, TRUE, 0);
    pump();
    press(s.input_controls[0], VK_DOWN);
    press(s.input_controls[0], VK_RETURN);
    EXPECT_FALSE(SendMessageW(s.input_controls[0], CB_GETDROPPEDSTATE, 0, 0));
    EXPECT_EQ(1, chosen(0));
    EXPECT_EQ(VERDICT_OUT_OF_DATE, text_of(s.verdict_label));  // chosen, not calculated
    press(s.input_controls[0], VK_F5);
    EXPECT_EQ(0u, text_of(s.result_edit).find(L"感知能力：2 分：大部分受限\r\n"));
}

// Whether the text drawn in `r` ends with "…": its last few columns of ink
// are dots on one low band, where a character, whole or cut, stands tall.
bool ends_with_dots(const Capture& c, RECT r) {
    InflateRect(&r, -3, -3);  // inside the list's border
    auto ink = [&](int x, int y) { return GetRValue(c.at(x, y)) < 110 && GetBValue(c.at(x, y)) < 130; };
    int right = -1;
    for (int x = r.left; x < r.right; x++)
        for (int y = r.top; y < r.bottom; y++)
            if (ink(x, y)) right = x;
    int top = r.bottom, bottom = r.top;
    for (int x = right - 10; x <= right && right >= 0; x++)
        for (int y = r.top; y < r.bottom; y++)
            if (ink(x, y)) top = y < top ? y : top, bottom = y > bottom ? y : bottom;
    return right >= 0 && bottom - top <= 4;
}

// An option too long for the closed list ends with "…" there; the dropped
// list is wide enough for every option whole.
TEST_F(ListWindow, LongOptionsAreMarkedWhereTheyAreCut) {
    open(suite_tool(21));  // NRS 2002's long nutrition options
    HWND list = s.input_controls[1];
    HDC dc = GetDC(list);
    HGDIOBJ old = SelectObject(dc, s.font_edit);
    for (int k = 0; k < s.tool.inputs[1].choice_count; k++) {
        choose(1, k);
        const wchar_t* option = s.tool.inputs[1].choices[k].label;
        SIZE whole;
        GetTextExtentPoint32W(dc, option, (int)wcslen(option), &whole);
        RECT closed;
        GetClientRect(list, &closed);
        MapWindowPoints(list, window, (POINT*)&closed, 2);
        closed.right -= GetSystemMetrics(SM_CXVSCROLL);  // the arrow
        Capture c = capture(window, px(CLIENT_WIDTH), px(CLIENT_HEIGHT));
        EXPECT_EQ(whole.cx > closed.right - closed.left - 8, ends_with_dots(c, closed)) << k;
        release(c);
        EXPECT_GT(SendMessageW(list, CB_GETDROPPEDWIDTH, 0, 0), whole.cx) << k;
    }
    SelectObject(dc, old);
    ReleaseDC(list, dc);
}

// Vital signs start empty, so one not measured is never scored as normal,
// and are empty again after Reset; a value the chart does not record so is
// refused by name.
TEST_F(ListWindow, VitalSignsStartEmptyAndTakeOnlyChartValues) {
    open(suite_tool(23));  // NEWS2: rr, spo2, oxygen, sbp, pulse, consciousness, temperature
    const int vitals[] = {0, 1, 3, 4, 6};
    const wchar_t* const cases[][6] = {
        {L"", L"", L"", L"", L"", L"第 1 项“呼吸频率”请填写数值。"},
        {L"8.5", L"97", L"120", L"75", L"36.8", L"第 1 项“呼吸频率”须为整数（当前 8.5）。"},
        {L"16", L"97", L"120", L"75", L"35.05", L"第 7 项“体温”最多 1 位小数（当前 35.05）。"},
        {L"16", L"97", L"120", L"75", L"36.8", L""},
    };
    choose(2, 0);
    choose(5, 0);
    for (int i : vitals) EXPECT_EQ(L"", text_of(s.input_controls[i])) << i;
    for (const auto& c : cases) {
        for (int k = 0; k < 5; k++) SetWindowTextW(s.input_controls[vitals[k]], c[k]);
        shown_boxes.clear();
        click(IDC_CALCULATE);
        EXPECT_EQ(c[5], shown_boxes.empty() ? L"" : shown_boxes[0].text);
    }
    EXPECT_EQ(L"0 分：常规监测，至少每 12 小时 1 次", text_of(s.verdict_label));
    click(IDC_RESET);
    for (int i : vitals) EXPECT_EQ(L"", text_of(s.input_controls[i])) << i;
}

// Whether the control shows whole inside the input view.
bool in_view(HWND control) {
    RECT r = rect_of(control), view = rect_of(main_window_state.input_view);
    return r.top >= view.top && r.bottom <= view.bottom;
}

void tap_space(HWND control) {
    PostMessageW(control, WM_KEYDOWN, VK_SPACE, 1);
    PostMessageW(control, WM_KEYUP, VK_SPACE, 0xC0000001);
    pump();
}

// Caprini's 37 factors do not fit the panel: the keyboard alone fills the
// age list and reaches every box, each scrolled into view, Space ticks it;
// the copy, the record and the page name every ticked factor; a click after
// Calculate stops Copy, Save and Print; the wheel and Page Down scroll;
// Reset unticks them all and goes back to the top.
TEST_F(ListWindow, ACheckListScrollsAndIsFilledByKeyboardOrMouse) {
    open(suite_tool(24), L"T024.exe --patient-id=2026001234 --patient-name=测试患者甲");
    const int last = s.tool.input_count - 1;
    ASSERT_EQ(38, s.tool.input_count);
    EXPECT_FALSE(in_view(s.input_controls[last]));
    for (int k = 0; k < 4; k++) press(s.input_controls[0], VK_DOWN);  // "3 分：≥75 岁"
    for (int i = 1; i <= last; i++) {
        press(GetFocus(), VK_TAB);
        ASSERT_EQ(s.input_controls[i], GetFocus()) << i;
        EXPECT_TRUE(in_view(s.input_controls[i])) << i;
        if (i == 1 || i == last) tap_space(GetFocus());
        if (i == 2) {  // the box shows that it has the focus
            Capture focused = capture(window, px(CLIENT_WIDTH), px(CLIENT_HEIGHT));
            SetFocus(s.input_controls[3]);
            Capture unfocused = capture(window, px(CLIENT_WIDTH), px(CLIENT_HEIGHT));
            SetFocus(s.input_controls[2]);
            EXPECT_FALSE(same_pixels(focused, unfocused, rect_of(s.input_controls[2])));
            release(focused);
            release(unfocused);
        }
    }
    press(GetFocus(), VK_F5);
    const wchar_t named[] = L"年龄：3 分：≥75 岁\r\n计划小手术：是（1 分）\r\n急性脊髓损伤（瘫痪，1 个月内）：是（5 分）\r\n总分：9 分\r\n";
    EXPECT_EQ(0u, text_of(s.result_edit).find(named));
    EXPECT_NE(std::wstring::npos, text_of(s.result_edit).find(L" 前（VTE 高危：每 72 小时；术后、转科、病情变化时随时复评）"));
    EXPECT_EQ(L"VTE 高危（≥5 分）：无禁忌时药物联合机械预防", text_of(s.verdict_label));
    click(IDC_COPY);
    EXPECT_NE(std::wstring::npos, clipboard_text().find(named));
    wchar_t folder[RECORD_PATH_CAPACITY], path[RECORD_PATH_CAPACITY];
    ASSERT_TRUE(platform_calls.user_data_folder(folder, RECORD_PATH_CAPACITY));
    text_format(path, RECORD_PATH_CAPACITY, L"%ls\\OrvoMedSuite\\records\\T024.csv", folder);
    DeleteFileW(path);
    click(IDC_SAVE);
    std::string row = file_bytes(path);
    DeleteFileW(path);
    EXPECT_EQ(38, std::count(row.begin(), row.end(), '='));  // a "label=value" field per input
    char expected[256];
    utf8_from_wide(L",计划小手术=1,1 个月内大手术史=0,", expected, sizeof expected);
    EXPECT_NE(std::string::npos, row.find(expected));
    std::wstring page;
    ASSERT_EQ(1, a4_pages(&page));
    EXPECT_NE(std::wstring::npos, page.find(L"1 分项\n计划小手术：是（1 分）\n5 分项\n急性脊髓损伤（瘫痪，1 个月内）：是（5 分）\n"));

    SendMessageW(s.input_controls[2], BM_CLICK, 0, 0);
    pump();
    EXPECT_EQ(VERDICT_OUT_OF_DATE, text_of(s.verdict_label));
    shown_boxes.clear();
    for (int id : {IDC_COPY, IDC_SAVE, IDC_PRINT}) click(id);
    ASSERT_EQ(3u, shown_boxes.size());
    for (const ShownBox& b : shown_boxes) EXPECT_EQ(L"输入已修改，请先点击“计算”重新计算。", b.text);

    click(IDC_RESET);
    for (int i = 1; i <= last; i++) EXPECT_EQ(BST_UNCHECKED, SendMessageW(s.input_controls[i], BM_GETCHECK, 0, 0)) << i;
    EXPECT_TRUE(in_view(s.input_controls[0]));
    RECT view = rect_of(s.input_view);
    POINT inside = {view.left + 50, view.top + 50};
    ClientToScreen(window, &inside);
    PostMessageW(s.input_controls[0], WM_MOUSEWHEEL, MAKEWPARAM(0, -WHEEL_DELTA), MAKELPARAM(inside.x, inside.y));
    pump();
    EXPECT_FALSE(in_view(s.input_controls[0]));
    SetFocus(s.input_controls[3]);
    for (int k = 0; k < 8; k++) press(GetFocus(), VK_NEXT);
    EXPECT_TRUE(in_view(s.input_controls[last]));
}

// NIHSS's fifteen lists scroll like the boxes and calculate as the first
// six scales' lists do; the last list, reached by Tab, shows whole.
TEST_F(ListWindow, FifteenListsScrollAndCalculate) {
    open(suite_tool(40));
    ASSERT_EQ(15, s.tool.input_count);
    EXPECT_FALSE(in_view(s.input_controls[14]));
    for (int i = 0; i < 15; i++) choose(i, 1);
    SetFocus(s.input_controls[13]);
    press(GetFocus(), VK_TAB);
    EXPECT_TRUE(in_view(s.input_controls[14]));
    click(IDC_CALCULATE);
    EXPECT_NE(std::wstring::npos, text_of(s.result_edit).find(L"总分：15 分"));
    EXPECT_EQ(L"中度卒中（5–15 分）：报告医师，密切观察", text_of(s.verdict_label));
}

std::wstring list_text(HWND list) {
    wchar_t text[RESULT_LINE_CAPACITY] = L"";
    LRESULT k = SendMessageW(list, CB_GETCURSEL, 0, 0);
    if (k >= 0) SendMessageW(list, CB_GETLBTEXT, (WPARAM)k, (LPARAM)text);
    return text;
}

// A list asked only when it applies: the swallow test's timing waits for
// the grade, must be chosen at grade 1 and is not asked beyond it. Not
// asked, a list is disabled and shows what stands for it, in the copy too.
TEST_F(ListWindow, AListAskedOnlyWhenItApplies) {
    open(suite_tool(32));
    HWND timing = s.input_controls[1];
    EXPECT_FALSE(IsWindowEnabled(timing));  // no grade yet
    EXPECT_EQ(L"", list_text(timing));
    choose(0, 0);  // 1 级
    EXPECT_TRUE(IsWindowEnabled(timing));
    EXPECT_EQ(2, SendMessageW(timing, CB_GETCOUNT, 0, 0));
    click(IDC_CALCULATE);
    ASSERT_EQ(1u, shown_boxes.size());
    EXPECT_EQ(L"第 2 项“饮完用时”请选择。", shown_boxes[0].text);
    EXPECT_EQ(L"", text_of(s.result_edit));
    choose(1, 1);
    click(IDC_CALCULATE);
    EXPECT_STREQ(L"可疑（1 级超过 5 秒或 2 级）：谨慎进食，进一步评估", s.last.verdict);
    choose(0, 1);  // 2 级: the timing is no longer asked
    EXPECT_FALSE(IsWindowEnabled(timing));
    EXPECT_EQ(L"不适用", list_text(timing));
    click(IDC_CALCULATE);
    click(IDC_COPY);
    EXPECT_NE(std::wstring::npos, clipboard_text().find(L"饮完用时：不适用\r\n"));
    choose(0, 0);  // asked again, it starts empty
    EXPECT_TRUE(IsWindowEnabled(timing));
    EXPECT_EQ(CB_ERR, SendMessageW(timing, CB_GETCURSEL, 0, 0));
    click(IDC_RESET);
    EXPECT_FALSE(IsWindowEnabled(timing));
    open(suite_tool(33));
    choose(0, 8);  // -4 分: the CAM-ICU features are not asked
    EXPECT_EQ(L"未评估", list_text(s.input_controls[3]));
}

// Where the rules say not to dose, the dose line names the reason, and no
// number of it reaches the copy or the record.
TEST_F(ListWindow, AWithheldDoseIsNeitherShownNorCopiedNorRecorded) {
    open(suite_tool(10));
    SetWindowTextW(s.input_controls[0], L"45");
    click(IDC_CALCULATE);
    const wchar_t line[] = L"校正剂量：不适用：血糖 ≥33.3 mmol/L，高血糖危象按医嘱静脉胰岛素治疗\r\n";
    EXPECT_EQ(line, text_of(s.result_edit));
    click(IDC_COPY);
    EXPECT_NE(std::wstring::npos, clipboard_text().find(line));
    wchar_t where[RECORD_PATH_CAPACITY];
    record_file_path(s.tool, where, RECORD_PATH_CAPACITY);
    DeleteFileW(where);
    click(IDC_SAVE);
    std::string row = file_bytes(where);
    DeleteFileW(where);
    EXPECT_NE(std::string::npos, row.find(utf8(line)));
    EXPECT_EQ(",\r\n", row.substr(row.size() - 3));  // the headline's column is empty
}

}  // namespace

namespace {

const wchar_t HIS_START[] =
    L"T018-Braden.exe --patient-id=2026001234 --patient-name=测试患者甲 --bed=12 --ward=普外一科 "
    L"--nurse-id=N0001 --nurse-name=测试护士 --set=sensory=3 --set=friction=1 --set=moisture=9 --set=weight=60";
const wchar_t PATIENT_LINE[] = L"测试患者甲\x3000住院号 2026001234\x3000" L"12 床\x3000普外一科";

// The clock, set by the test: a page printed later than its calculation.
LocalTime test_now;
void test_clock(LocalTime* now) { *now = test_now; }
std::wstring minute_of(const LocalTime& t) {
    wchar_t text[32];
    text_format(text, 32, L"%04d-%02d-%02d %02d:%02d", t.year, t.month, t.day, t.hour, t.minute);
    return text;
}

// The PC's print dialog, stood in for: how often Print opened it, the
// nurse cancelling it each time (a printer there is).
int print_dialogs;
BOOL WINAPI cancelled_print_dialog(PRINTDLGW*) { return print_dialogs++, FALSE; }
BOOL WINAPI one_printer(DWORD, LPWSTR, DWORD, LPBYTE, DWORD, LPDWORD needed, LPDWORD returned) {
    *needed = 256, *returned = 0;
    return FALSE;
}
bool amber(COLORREF c) { return GetRValue(c) > 220 && GetGValue(c) > 180 && GetBValue(c) < 140; }

}  // namespace

// Started as a hospital system starts it: the patient in the band, the
// inputs it knows chosen, every argument not taken named; the copy begins
// with the patient, the row names the patient and the nurse, and the next
// time the window shows the patient's last assessment.
TEST_F(ListWindow, StartedWithThePatientFromTheHospitalSystem) {
    const std::wstring path = braden_record();
    DeleteFileW(path.c_str());
    open(tool_builtin(), HIS_START);
    EXPECT_EQ(PATIENT_LINE, text_of(s.patient_label));
    EXPECT_EQ(RECORD_NO_LAST_ASSESSMENT, text_of(s.last_assessment_label));
    EXPECT_EQ(2, chosen(0));  // 3 分
    EXPECT_EQ(0, chosen(5));  // 1 分
    EXPECT_EQ(CB_ERR, chosen(1));
    ASSERT_EQ(1u, shown_boxes.size());
    EXPECT_EQ(L"启动参数有误", shown_boxes[0].caption);
    EXPECT_NE(std::wstring::npos, shown_boxes[0].text.find(L"--set=moisture=9：第 2 项“潮湿程度”可取 1、2、3、4"));
    EXPECT_NE(std::wstring::npos, shown_boxes[0].text.find(L"--set=weight=60：本工具没有这一项输入"));

    for (int i = 1; i < 5; i++) choose(i, s.tool.inputs[i].choice_count - 1);
    platform_system_calls.local_time(&test_now);
    const LocalTime calculated = test_now;
    platform_calls.local_time = test_clock;
    click(IDC_CALCULATE);
    click(IDC_COPY);
    EXPECT_EQ(0u, clipboard_text().find(std::wstring(PATIENT_LINE) +
                                        L"\r\n压力性损伤风险评估（Braden）\r\n感知能力：3 分：轻度受限\r\n"));
    click(IDC_SAVE);
    std::string row = file_bytes(path.c_str());
    EXPECT_NE(std::string::npos, row.find(utf8(L",2026001234,测试患者甲,12,普外一科,N0001,测试护士,")));
    EXPECT_EQ(0u, text_of(s.last_assessment_label).find(L"上次评估："));
    EXPECT_NE(std::wstring::npos, text_of(s.last_assessment_label).find(L"　总分 20 分　无明显风险　测试护士"))
        << text_of(s.last_assessment_label);
    // Printed a year on, the page still gives when it was assessed.
    test_now.year++;
    std::wstring page;
    ASSERT_EQ(1, a4_pages(&page));
    for (const std::wstring& pair : {L"评估时间：" + minute_of(calculated), L"打印时间：" + minute_of(test_now)})
        EXPECT_NE(std::wstring::npos, page.find(pair)) << pair << page;
    test_now = calculated;

    // The launcher has gone on to another patient: the band says in its
    // alarm colour whose the window still is, and Print or Save asks once,
    // naming her.
    const RECT subtitle = {px(SUBTITLE_BOX.x), px(SUBTITLE_BOX.y), px(SUBTITLE_BOX.x + SUBTITLE_BOX.width),
                           px(SUBTITLE_BOX.y + SUBTITLE_BOX.height)};
    for (bool moved_on : {false, true}) {
        if (moved_on) PostMessageW(window, RegisterWindowMessageW(SUITE_PATIENT_CHANGED_MESSAGE), 0, 0);
        pump();
        Capture band = capture(window, px(CLIENT_WIDTH), px(CLIENT_HEIGHT));
        EXPECT_EQ(moved_on, any_pixel_that(band, subtitle, amber));
        release(band);
    }
    run_print_dialog = cancelled_print_dialog;
    list_printers = one_printer;
    print_dialogs = 0;
    shown_boxes.clear();
    click(IDC_PRINT);
    ASSERT_EQ(1u, shown_boxes.size());
    EXPECT_EQ(L"工具箱已换患者。本窗口的结果属于 测试患者甲（2026001234），确定为该患者保存或打印吗？", shown_boxes[0].text);
    EXPECT_EQ(2, print_dialogs);  // the printer's default, then the one the nurse cancels
    click(IDC_SAVE);
    ASSERT_EQ(2u, shown_boxes.size());
    EXPECT_EQ(L"已保存：测试患者甲（2026001234）。本次结果已追加保存到本地记录（CSV，可用 Excel 打开）。", shown_boxes[1].text);
    EXPECT_EQ(L"已保存", shown_boxes[1].caption);

    // Another patient has no assessment here.
    open(tool_builtin(), L"T018-Braden.exe --patient-id=2026009999 --patient-name=测试患者乙");
    EXPECT_EQ(RECORD_NO_LAST_ASSESSMENT, text_of(s.last_assessment_label));
    EXPECT_TRUE(shown_boxes.empty());
    DeleteFileW(path.c_str());
}

// The patient window (Ctrl+I): the main window waits while it is open; a
// field at fault or a patient half given is refused with the reason; a new
// number clears what came with the old one, and a scan replaces the number
// whole; a new patient empties the form and names the window; Cancel
// changes nothing. A patient half given from the command line lets no
// result leave the window.
TEST_F(ListWindow, PatientWindowTakesOnlyAWholePatient) {
    open(tool_builtin(), L"T018-Braden.exe --bed=12 --visit-id=3 --admitted-at=2026-12-01T08:30");
    EXPECT_EQ(L"12 床", text_of(s.patient_label));
    choose_lowest_risk();
    click(IDC_CALCULATE);
    for (int command : {IDC_COPY, IDC_SAVE}) {
        shown_boxes.clear();
        click(command);
        ASSERT_EQ(1u, shown_boxes.size());
        EXPECT_EQ(0u, shown_boxes[0].text.find(PATIENT_HALF_GIVEN));
    }

    press(s.input_controls[0], 'I', VK_CONTROL);
    ASSERT_NE(nullptr, s.patient_dialog);
    EXPECT_FALSE(IsWindowEnabled(window));
    auto field = [&](int f) { return GetDlgItem(s.patient_dialog, IDC_PATIENT_FIELD_FIRST + f); };
    auto scan = [&](const std::wstring& digits) {
        for (wchar_t c : digits) PostMessageW(GetFocus(), WM_CHAR, c, 1);
        pump();
    };
    auto with_it = [&] {
        return text_of(field(PATIENT_BED)) + L"|" + text_of(field(PATIENT_VISIT_ID)) + L"|" +
               text_of(field(PATIENT_ADMITTED_AT));
    };
    EXPECT_EQ(L"12|3|2026-12-01T08:30", with_it());
    EXPECT_EQ(field(PATIENT_ID), GetFocus());
    // A scanner's keystrokes reach a number's field as typed: no input
    // method composes them. A name takes one.
    for (int f : {PATIENT_ID, PATIENT_BED, PATIENT_NAME}) {
        HIMC context = ImmGetContext(field(f));
        EXPECT_EQ(f == PATIENT_NAME, context != nullptr) << f;
        if (context) ImmReleaseContext(field(f), context);
    }
    // A scanner types the number and Enter: the bed and stay given without
    // it go, and the focus on to the name.
    scan(L"2026001234");
    EXPECT_EQ(L"||", with_it());
    press(field(PATIENT_ID), VK_RETURN);
    EXPECT_EQ(field(PATIENT_NAME), GetFocus());
    struct Case {
        const wchar_t* id;
        const wchar_t* name;
        const wchar_t* refusal;
    };
    const Case cases[] = {{L"2026001234", L"", PATIENT_HALF_GIVEN},
                          {L"2026001234", L"测试\t患者", L"姓名不得含控制字符"},
                          {L"202600123420260012342026001234999", L"测试患者", L"住院号最多 32 个字符"}};
    for (const Case& c : cases) {
        shown_boxes.clear();
        SetFocus(field(PATIENT_ID));
        scan(c.id);  // selected on focus: replaced whole, never appended to
        SetWindowTextW(field(PATIENT_NAME), c.name);
        SendMessageW(s.patient_dialog, WM_COMMAND, IDOK, 0);
        ASSERT_EQ(1u, shown_boxes.size()) << c.name;
        EXPECT_EQ(0u, shown_boxes[0].text.find(c.refusal)) << shown_boxes[0].text;
        ASSERT_NE(nullptr, s.patient_dialog);
    }
    SetFocus(field(PATIENT_ID));
    scan(L"2026001234");
    SetWindowTextW(field(PATIENT_NAME), L"=HYPERLINK(\"http://x\",\"点我\")");
    shown_boxes.clear();
    SendMessageW(s.patient_dialog, WM_COMMAND, IDOK, 0);
    ASSERT_EQ(nullptr, s.patient_dialog) << (shown_boxes.empty() ? L"" : shown_boxes[0].text) << text_of(field(PATIENT_ID));
    EXPECT_TRUE(IsWindowEnabled(window));
    EXPECT_EQ(L"=HYPERLINK(\"http://x\",\"点我\")\x3000住院号 2026001234", text_of(s.patient_label));
    EXPECT_EQ(L"压力性损伤风险评估（Braden）— =HYPERLINK(\"http://x\",\"点我\") 2026001234", text_of(window));
    // What was chosen for no one is not this patient's.
    EXPECT_EQ(VERDICT_PROMPT, text_of(s.verdict_label));
    EXPECT_EQ(CB_ERR, chosen(0));
    click(IDC_COPY);
    EXPECT_EQ(L"请先点击“计算”生成结果。", shown_boxes.back().text);

    click(IDC_PATIENT);  // the band opens it too
    ASSERT_NE(nullptr, s.patient_dialog);
    SetWindowTextW(field(PATIENT_NAME), L"测试患者丙");
    SendMessageW(s.patient_dialog, WM_COMMAND, IDCANCEL, 0);
    EXPECT_EQ(nullptr, s.patient_dialog);
    EXPECT_EQ(0u, text_of(s.patient_label).find(L"=HYPERLINK"));
    click(IDC_RESET);  // the inputs, not the patient
    EXPECT_EQ(0u, text_of(s.patient_label).find(L"=HYPERLINK"));
}

// An assessment is a nursing document: saved and printed for no one only
// where the hospital's policy says RequirePatient 0; a formula tool is,
// unless it says 1. Copied each still may be. A save tells the suite.
TEST_F(ListWindow, AnAssessmentNeedsAPatientUnlessThePolicySaysOtherwise) {
    // Every top-level window hears that a result was saved (the launcher
    // reads its ward list again on it): this one counts it.
    static int saved_heard;
    const WNDCLASSW ear_class = {0, [](HWND w, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
        if (m == RegisterWindowMessageW(SUITE_RESULTS_SAVED_MESSAGE)) saved_heard++;
        return DefWindowProcW(w, m, wp, lp);
    }, 0, 0, GetModuleHandleW(nullptr), nullptr, nullptr, nullptr, nullptr, L"GlyvantTestEar"};
    RegisterClassW(&ear_class);
    HWND ear =
        CreateWindowW(L"GlyvantTestEar", L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, ear_class.hInstance, nullptr);
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_LOCAL_MACHINE, POLICY_KEY, 0, nullptr, 0,
                                             KEY_SET_VALUE, nullptr, &key, nullptr));
    struct Case {
        int tool;    // 9: Glyvant, a formula tool; 18: Braden
        int policy;  // -1: not set
        bool filed;  // saved and printed
    };
    const Case cases[] = {{18, -1, false}, {18, 0, true}, {18, 1, false}, {9, -1, true}, {9, 1, false}};
    run_print_dialog = cancelled_print_dialog;
    list_printers = one_printer;
    for (const Case& c : cases) {
        RegDeleteValueW(key, L"RequirePatient");
        DWORD value = (DWORD)c.policy;
        if (c.policy >= 0) RegSetValueExW(key, L"RequirePatient", 0, REG_DWORD, (const BYTE*)&value, sizeof value);
        open(suite_tool(c.tool));
        wchar_t path[RECORD_PATH_CAPACITY];
        record_file_path(s.tool, path, RECORD_PATH_CAPACITY);
        DeleteFileW(path);
        for (int i = 0; i < s.tool.input_count; i++)
            if (s.tool.inputs[i].choice_count) choose(i, 0);
        click(IDC_CALCULATE);
        shown_boxes.clear();
        print_dialogs = 0;
        saved_heard = 0;
        for (int command : {IDC_SAVE, IDC_PRINT, IDC_COPY}) click(command);
        ASSERT_EQ(c.filed ? 1u : 2u, shown_boxes.size()) << c.tool << " " << c.policy;  // a cancelled print says nothing
        for (const ShownBox& b : shown_boxes)
            EXPECT_EQ(c.filed ? L"已保存" : L"需要患者身份", b.caption) << c.tool << " " << c.policy;
        EXPECT_EQ(c.filed ? 2 : 0, print_dialogs) << c.tool << " " << c.policy;
        EXPECT_EQ(c.filed ? 1 : 0, saved_heard) << c.tool << " " << c.policy;
        EXPECT_EQ(c.filed, file_bytes(path) != "(missing)") << c.tool << " " << c.policy;
        EXPECT_EQ(0u, clipboard_text().find(s.tool.title));
        DeleteFileW(path);
    }
    RegDeleteValueW(key, L"RequirePatient");
    RegCloseKey(key);
    DestroyWindow(ear);
}

// The result ends with when it is due again, at the band's interval as
// the hospital's policy sets it for this tool from the next result on, and
// the record keeps that time.
TEST_F(ListWindow, TheResultSaysWhenItIsDueAsThePolicySetsIt) {
    HKEY key;
    const std::wstring intervals = std::wstring(POLICY_KEY) + L"\\ReassessHours";
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_LOCAL_MACHINE, intervals.c_str(), 0, nullptr, 0, KEY_SET_VALUE,
                                             nullptr, &key, nullptr));
    struct Case {
        const wchar_t* name;  // the value's name, a tool's number
        const wchar_t* hours;
        int applies;
    };
    const Case cases[] = {
        {nullptr, nullptr, 24},  // Braden's own: very high risk, daily
        {L"18", L"12", 12},      {L"18", L" -, 6", 24}, {L"18", L"12,x", 24},
        {L"18", L"1,1,1,1,1,1", 24},  // more bands than Braden has
        {L"19", L"12", 24},           // Morse's
    };
    open(tool_builtin(), L"T018-Braden.exe --patient-id=2026001234 --patient-name=测试患者甲");
    for (const Case& c : cases) {
        RegDeleteValueW(key, L"18");
        RegDeleteValueW(key, L"19");
        if (c.name)
            RegSetValueExW(key, c.name, 0, REG_SZ, (const BYTE*)c.hours, (DWORD)((wcslen(c.hours) + 1) * sizeof(wchar_t)));
        DeleteFileW(braden_record().c_str());
        for (int i = 0; i < s.tool.input_count; i++) choose(i, 0);
        click(IDC_CALCULATE);
        const std::wstring result = text_of(s.result_edit);
        wchar_t interval[128];
        text_format(interval, 128, L"（极高危：每 %d 小时；病情变化、转科、术后随时复评）\r\n", c.applies);
        EXPECT_EQ(result.size() - wcslen(interval), result.find(interval)) << result;
        EXPECT_EQ(c.applies * 3600, reassess_moment(s.reassessment.due) - reassess_moment(s.calculated_at));
        click(IDC_SAVE);
        wchar_t due[RECORD_TIME_CAPACITY];
        record_time_text(s.reassessment.due, due, RECORD_TIME_CAPACITY);
        wchar_t ending[RECORD_TIME_CAPACITY + 4];
        text_format(ending, RECORD_TIME_CAPACITY + 4, L",%ls\r\n", due);
        char bytes[RECORD_TIME_CAPACITY * 3];
        utf8_from_wide(ending, bytes, (int)sizeof bytes);
        const std::string row = file_bytes(braden_record().c_str());
        EXPECT_EQ(row.size() - strlen(bytes), row.rfind(bytes)) << row;
    }
    DeleteFileW(braden_record().c_str());
    RegDeleteValueW(key, L"18");
    RegDeleteValueW(key, L"19");
    RegCloseKey(key);
}

// Saved with the hospital's database configured (run by the database
// session, which starts the server: tests/delivery/). The status line says
// a result is uploaded only once the database has committed it, and names
// why it waits when it cannot be.
// The rows of a record file: lines beginning with a save time.
int count_rows(const std::wstring& path) {
    const std::string bytes = file_bytes(path.c_str());
    int rows = 0;
    for (size_t at = bytes.find("\r\n20"); at != std::string::npos; at = bytes.find("\r\n20", at + 2)) rows++;
    return rows;
}

class DatabaseWindow : public ListWindow {
protected:
    HKEY key = nullptr;
    void set_database(const std::string& connection) {
        static wchar_t wide[4096];
        wide_from_utf8(connection.c_str(), wide, 4096);
        RegSetValueExW(key, L"RecordsDatabase", 0, REG_SZ, (const BYTE*)wide, (DWORD)((wcslen(wide) + 1) * sizeof(wchar_t)));
    }
    // Pumps until the delivery's thread has told the window.
    void wait_for_delivery() {
        for (int waited = 0; waited < 200 && s.delivery_pending_count; waited++) {
            pump();
            Sleep(50);
        }
    }
    void SetUp() override {
        ASSERT_NE(nullptr, getenv("GLYVANT_TEST_DATABASE"));
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_LOCAL_MACHINE, POLICY_KEY, 0, nullptr, 0,
                                                 KEY_SET_VALUE, nullptr, &key, nullptr));
        ListWindow::SetUp();
        // Whatever an earlier run left waiting is delivered first.
        wchar_t connection[1024];
        wide_from_utf8(getenv("GLYVANT_TEST_DATABASE"), connection, 1024);
        DeliveryReport report;
        delivery_pass(connection, &report);
    }
    void TearDown() override {
        RegDeleteValueW(key, L"RecordsDatabase");
        RegCloseKey(key);
        ListWindow::TearDown();
    }
};

TEST_F(DatabaseWindow, UploadedOnlyOnceCommitted) {
    DeleteFileW(braden_record().c_str());
    open(tool_builtin(), L"T018-Braden.exe --patient-id=2026001234 --patient-name=测试患者甲");
    choose_lowest_risk();
    click(IDC_CALCULATE);
    struct Case {
        std::string connection;
        const wchar_t* status;
        bool warning;
        int waiting;
    };
    // The writer, in a database of the server without the table.
    const std::string writer = getenv("GLYVANT_TEST_DATABASE");
    const size_t password = writer.find("Pwd=");
    const std::string wrong_password = writer.substr(0, password) + "Pwd=wrong;" + writer.substr(writer.find(';', password) + 1);
    std::string elsewhere = getenv("GLYVANT_TEST_DATABASE");
    elsewhere.replace(elsewhere.find("Database=orvomed"), 16, "Database=postgres");
    const Case cases[] = {
        {getenv("GLYVANT_TEST_DATABASE"), L"已保存；已上传医院数据库", false, 0},
        {"Driver={PostgreSQL Unicode};Server=127.0.0.1;Port=1;Database=orvomed;Uid=orvomed_writer;Pwd=x;",
         L"已保存到本机；医院数据库暂不可用，1 条待上传（将自动重试）：服务器无法连接", true, 1},
        {wrong_password,
         L"已保存到本机；医院数据库暂不可用，2 条待上传（将自动重试）：登录被拒绝", true, 2},
        {elsewhere,
         L"已保存到本机；医院数据库暂不可用，3 条待上传（将自动重试）：数据表不存在", true, 3},
        {"Driver={No Such Driver};Server=127.0.0.1;",
         L"已保存到本机；医院数据库暂不可用，4 条待上传（将自动重试）：未安装 ODBC 驱动", true, 4},
        // Longer than the policy allows: told, never read as "not set".
        {std::string(getenv("GLYVANT_TEST_DATABASE")) + std::string(DELIVERY_CONNECTION_LIMIT, 'x'),
         L"已保存到本机；医院数据库暂不可用，5 条待上传（将自动重试）：连接字符串过长", true, 5},
        // The five left waiting go with the next save's delivery.
        {getenv("GLYVANT_TEST_DATABASE"), L"已保存；已上传医院数据库", false, 0},
    };
    for (const Case& c : cases) {
        set_database(c.connection);
        click(IDC_SAVE);
        wait_for_delivery();
        EXPECT_EQ(c.status, std::wstring(s.status_text)) << c.connection;
        EXPECT_EQ(c.warning, s.status_warning);
        EXPECT_EQ(c.waiting, delivery_counts().waiting);
    }
    // Two saves while one pass runs: the line waits for the pass that takes
    // the second, and speaks of both.
    click(IDC_SAVE);
    click(IDC_SAVE);
    wait_for_delivery();
    EXPECT_STREQ(L"已保存；已上传医院数据库", s.status_text);
    EXPECT_EQ(0, delivery_counts().waiting);
    // A pass of its own that delivers what waited clears the warning.
    set_database("Driver={PostgreSQL Unicode};Server=127.0.0.1;Port=1;Database=orvomed;Uid=orvomed_writer;Pwd=x;");
    click(IDC_SAVE);
    wait_for_delivery();
    EXPECT_TRUE(s.status_warning);
    set_database(getenv("GLYVANT_TEST_DATABASE"));
    SendMessageW(s.main_window, WM_TIMER, DELIVERY_TIMER, 0);
    for (int waited = 0; waited < 200 && s.status_warning; waited++) {
        pump();
        Sleep(50);
    }
    EXPECT_STREQ(L"医院数据库：已全部上传", s.status_text);
    EXPECT_FALSE(s.status_warning);
    // Every save reached the local record, whatever became of its delivery.
    EXPECT_EQ(10, count_rows(braden_record()));
}
