// The main window of an assessment filled from lists (the Braden scale is
// this program's descriptor): filled with the mouse or the keyboard alone,
// never calculated with an item unchosen, and the chosen options in the
// copy and the record.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "app/win32/main_window.h"
#include "store/store.h"
#include "support/file_bytes.h"
#include "support/window_driver.h"

namespace {

const wchar_t LOWEST_RISK[] =
    L"感知能力：4 分：无损害\r\n潮湿程度：4 分：罕见潮湿\r\n活动能力：4 分：经常步行\r\n"
    L"移动能力：4 分：不受限\r\n营养摄取能力：4 分：丰富\r\n摩擦力和剪切力：3 分：无明显问题\r\n总分：23 分\r\n";

class ListWindow : public WindowTest {
protected:
    void SetUp() override { open(tool_builtin()); }
    LRESULT chosen(int input) { return SendMessageW(s.input_controls[input], CB_GETCURSEL, 0, 0); }
    // Every item at its best level, the last option of each list.
    void choose_lowest_risk() {
        for (int i = 0; i < s.tool.input_count; i++) choose(i, s.tool.inputs[i].choice_count - 1);
    }
};

TEST_F(ListWindow, ListsStandWhereFieldsWouldNothingChosen) {
    for (int i = 0; i < s.tool.input_count; i++) {
        HWND list = s.input_controls[i];
        wchar_t name[32];
        GetClassNameW(list, name, 32);
        EXPECT_EQ(0, _wcsicmp(L"ComboBox", name));
        EXPECT_EQ(IDC_INPUT_FIRST + i, GetDlgCtrlID(list));
        RECT r;
        GetWindowRect(list, &r);
        MapWindowPoints(nullptr, window, (POINT*)&r, 2);
        EXPECT_EQ(216, r.left);
        EXPECT_EQ(452, r.right);
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
    wchar_t folder[RECORD_PATH_CAPACITY], path[RECORD_PATH_CAPACITY];
    ASSERT_TRUE(platform_calls.user_data_folder(folder, RECORD_PATH_CAPACITY));
    text_format(path, RECORD_PATH_CAPACITY, L"%ls\\OrvoMedSuite\\records\\T018.csv", folder);
    DeleteFileW(path);
    choose_lowest_risk();
    click(IDC_CALCULATE);
    EXPECT_EQ(L"无明显风险（19–23 分）", text_of(s.verdict_label));
    click(IDC_COPY);
    EXPECT_EQ(std::wstring(L"压力性损伤风险评估（Braden）\r\n") + LOWEST_RISK + L"—— 无明显风险（19–23 分）",
              clipboard_text());
    click(IDC_SAVE);
    std::string row = file_bytes(path);
    DeleteFileW(path);
    char expected[1024];
    utf8_from_wide(L",感知能力=4,潮湿程度=4,活动能力=4,移动能力=4,营养摄取能力=4,摩擦力和剪切力=3,\"", expected,
                   sizeof expected);
    EXPECT_NE(std::string::npos, row.find(expected));
    utf8_from_wide(LOWEST_RISK, expected, sizeof expected);
    EXPECT_NE(std::string::npos, row.find(expected));

    choose(5, 1);
    EXPECT_EQ(VERDICT_OUT_OF_DATE, text_of(s.verdict_label));
}

// The keyboard alone: the first list has the focus, Down chooses, Tab goes
// to the next item, F5 calculates. Enter on a dropped list chooses its
// highlighted option and closes it, without calculating.
TEST_F(ListWindow, FilledWithTheKeyboardAlone) {
    for (int i = 0; i < s.tool.input_count; i++) {
        ASSERT_EQ(s.input_controls[i], GetFocus()) << i;
        press(GetFocus(), VK_DOWN);  // the first option: the item's worst level
        press(GetFocus(), VK_TAB);
    }
    EXPECT_EQ(s.input_controls[0], GetFocus());  // round the form
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

}  // namespace
