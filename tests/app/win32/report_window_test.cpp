// The main window of a report tool (the drug compatibility tool is this
// program's descriptor): the verdict's colour follows the report's level,
// and Copy carries the title and the report without a verdict line. The
// longest report, a 40-nurse rota, is shown, copied and saved whole.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "app/win32/main_window.h"
#include "platform/text_format.h"
#include "store/store.h"
#include "support/file_bytes.h"
#include "support/window_driver.h"

namespace {

const InputDef rota_inputs[] = {
    {.key = "nurses", .label = L"护士人数", .unit = L"人", .default_value = 40},
    {.key = "days", .label = L"排班天数", .unit = L"天", .default_value = 31},
};
const ToolDef rota_tool = {
    .id = 101,
    .title = L"三班轮转排班",
    .category = L"护理管理",
    .input_count = 2,
    .inputs = rota_inputs,
    .report_kind = REPORT_NURSE_ROTA,
};

class ReportWindow : public WindowTest {
protected:
    // Two typed numbers (the rota), or two options picked by index (the drugs).
    void calculate(const wchar_t* first, const wchar_t* second) {
        SetWindowTextW(s.input_controls[0], first);
        SetWindowTextW(s.input_controls[1], second);
        click(IDC_CALCULATE);
    }
    void calculate(int first, int second) {
        choose(0, first);
        choose(1, second);
        click(IDC_CALCULATE);
    }
};

TEST_F(ReportWindow, ContraindicatedPairShowsInRed) {
    open(tool_builtin());
    EXPECT_NE(nullptr, FindWindowExW(s.input_view, nullptr, L"Static", L"药物甲编号"));
    calculate(8, 1);  // 9 碳酸氢钠, 2 葡萄糖酸钙
    EXPECT_EQ(3, s.last.level);
    EXPECT_EQ(L"禁忌：不可同瓶输注，需间隔冲管", text_of(s.verdict_label));
    std::wstring result = text_of(s.result_edit);
    EXPECT_EQ(0u, result.find(L"待查：9 号 碳酸氢钠  +  2 号 葡萄糖酸钙\r\n"));
    const RECT verdict = rect_of(s.verdict_label);
    Capture c = capture(window, px(CLIENT_WIDTH), px(CLIENT_HEIGHT));
    EXPECT_TRUE(any_pixel_that(c, verdict, red));
    EXPECT_FALSE(any_pixel_that(c, verdict, green));
    release(c);

    // Copy: the title and the report, and no verdict line after it.
    click(IDC_COPY);
    EXPECT_EQ(L"两药配伍速查\r\n" + result, clipboard_text());
    EXPECT_STREQ(L"结果已复制到剪贴板", s.status_text);

    // The drugs are chosen from the list; one not chosen is asked for.
    choose(1, -1);
    shown_boxes.clear();
    click(IDC_CALCULATE);
    ASSERT_EQ(1u, shown_boxes.size());
    EXPECT_EQ(L"第 2 项“药物乙编号”请选择。", shown_boxes[0].text);
    EXPECT_EQ(s.input_controls[1], GetFocus());

    // An unlisted pair goes back to the level-0 colour.
    calculate(7, 1);  // 8 胰岛素, 2 葡萄糖酸钙
    EXPECT_EQ(0, s.last.level);
    c = capture(window, px(CLIENT_WIDTH), px(CLIENT_HEIGHT));
    EXPECT_TRUE(any_pixel_that(c, verdict, green));
    EXPECT_FALSE(any_pixel_that(c, verdict, red));
    release(c);
}

TEST_F(ReportWindow, LongestReportIsWholeOnScreenOnTheClipboardAndInTheRecord) {
    open(rota_tool);
    wchar_t folder[RECORD_PATH_CAPACITY], path[RECORD_PATH_CAPACITY];
    ASSERT_TRUE(platform_calls.user_data_folder(folder, RECORD_PATH_CAPACITY));
    text_format(path, RECORD_PATH_CAPACITY, L"%ls\\OrvoMedSuite\\records\\T101.csv", folder);
    DeleteFileW(path);
    calculate(L"40", L"31");
    std::wstring shown = text_of(s.result_edit);
    EXPECT_EQ(6390u, shown.size());
    EXPECT_EQ(L"提示：连续夜班不超过 2 个，夜班后应安排休息；请按科室实际人数与能级调整。\r\n",
              shown.substr(shown.rfind(L"提示：")));
    click(IDC_COPY);
    EXPECT_EQ(L"三班轮转排班\r\n" + shown, clipboard_text());

    click(IDC_SAVE);
    std::string bytes = file_bytes(path);
    DeleteFileW(path);
    const std::wstring field = shown + L"结论：已生成轮转排班表，可复制到排班本或表格\r\n提示等级：绿色（完成）\r\n";
    char whole[utf8_capacity_for(8192)];
    ASSERT_GT(utf8_from_wide(field.c_str(), whole, sizeof whole), 0);
    // The report and its verdict in one quoted field (it holds no quote to
    // double), and the record's number after it.
    EXPECT_NE(std::string::npos, bytes.find(",\"" + std::string(whole) + "\",")) << bytes.size();
}

// The rota's pages as the printed routine lays them out on A4 and on A5 (at
// 96 dots an inch, into a memory DC): more pages on the smaller paper, every
// nurse's line on one of them, and a line too wide for the paper wrapped,
// never cut.
TEST_F(ReportWindow, TheRotaFlowsOverThePagesOfEitherPaper) {
    open(rota_tool);
    calculate(L"40", L"31");
    HDC dc = CreateCompatibleDC(nullptr);
    const PageSize a4 = {794, 1123, 794, 1123, 0, 0, 96, 96}, a5 = {559, 794, 559, 794, 0, 0, 96, 96};
    int pages[2] = {};
    for (int paper = 0; paper < 2; paper++) {
        pages[paper] = print_layout(dc, paper == 0 ? a4 : a5);
        std::wstring all;
        static wchar_t page[16384];
        for (int n = 1; n <= pages[paper]; n++) {
            print_page_text(dc, n, page, 16384);
            all += page;
        }
        for (int nurse = 1; nurse <= 40; nurse++) {
            wchar_t name[16];
            text_format(name, 16, L"护士%02d：\n", nurse);
            EXPECT_NE(std::wstring::npos, all.find(name)) << paper << " " << nurse;
        }
        // The cells of every nurse, wrapped or not, are all there.
        std::wstring cells = all;
        cells.erase(std::remove(cells.begin(), cells.end(), L'\n'), cells.end());
        size_t thirty_first = 0;
        for (size_t at = cells.find(L"31日"); at != std::wstring::npos; at = cells.find(L"31日", at + 1)) thirty_first++;
        EXPECT_EQ(40u, thirty_first) << paper;
        // A nurse's month is wider than either paper: no row holds all of it.
        EXPECT_EQ(std::wstring::npos, all.find(L"  1日D 2日R 3日N 4日D 5日R 6日N 7日D 8日R 9日N 10日D 11日R 12日N 13日D "
                                                L"14日R 15日N 16日D 17日R 18日N 19日D 20日R 21日N 22日D 23日R 24日N "
                                                L"25日D 26日R 27日N 28日D 29日R 30日N 31日D"))
            << paper;
    }
    EXPECT_GT(pages[0], 1);
    EXPECT_GT(pages[1], pages[0]);
    print_layout_release();
    DeleteDC(dc);
}

// The patient on a rota of one page and of several: the block (blanks without a patient) heads
// the first, name and number every later one, the signature ends the last; names print as typed.
TEST_F(ReportWindow, EveryPageNamesThePatientTheLastCarriesTheSignature) {
    open(rota_tool);
    const struct {
        const wchar_t* fields[PATIENT_FIELD_COUNT];  // 住院号, 姓名, 床号, 科室, 护士工号, 护士姓名
        const wchar_t *block, *head, *signature;
    } cases[] = {
        {{L"2026001234", L"测试患者甲", L"12", L"普外一科", L"N0123", L"测试护士"},
         L"姓名：测试患者甲    住院号：2026001234    床号：12\n科室：普外一科    评估时间：",
         L"姓名：测试患者甲    住院号：2026001234\n", L"\n评估护士签名：________（测试护士）\n"},
        {{}, L"姓名：__________    住院号：__________    床号：__________\n科室：__________    评估时间：",
         L"姓名：__________    住院号：__________\n", L"\n评估护士签名：________\n"},
        {{L"2026000001", L"=HYPERLINK(\"http://x\",\"点我\")", L"", L"普外&骨科", L"N0123", L""},
         L"姓名：=HYPERLINK(\"http://x\",\"点我\")    住院号：2026000001    床号：__________\n科室：普外&骨科    ",
         L"姓名：=HYPERLINK(\"http://x\",\"点我\")    住院号：2026000001\n", L"\n评估护士签名：________（护士工号：N0123）\n"},
    };
    HDC dc = CreateCompatibleDC(nullptr);
    static wchar_t page[16384];
    for (const auto& c : cases)
        for (const wchar_t* nurses : {L"3", L"40"}) {
            for (int f = 0; f < PATIENT_FIELD_COUNT; f++)
                text_copy(s.patient.fields[f], PATIENT_FIELD_CAPACITY, c.fields[f]);
            calculate(nurses, L"31");
            int pages = print_layout(dc, {794, 1123, 794, 1123, 0, 0, 96, 96});
            for (int n = 1; n <= pages; n++) {
                std::wstring text = (print_page_text(dc, n, page, 16384), page);
                EXPECT_EQ(n == 1, text.find(c.block) != std::wstring::npos) << c.block << n;
                EXPECT_EQ(n > 1, text.find(c.head) == 0) << c.head << n;
                EXPECT_EQ(n == pages, text.find(c.signature) != std::wstring::npos) << c.signature << n;
            }
            EXPECT_EQ(nurses[1] != 0, pages > 1);
        }
    print_layout_release();
    DeleteDC(dc);
}

}  // namespace
