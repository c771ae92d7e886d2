// Braden's window (this program's descriptor): the patient's earlier results
// read back from its pixels and its page, and words where there are none.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "app/win32/main_window.h"
#include "common/win32/hospital_policy.h"
#include "delivery/delivery.h"
#include "store/store.h"
#include "support/window_driver.h"

namespace {

const wchar_t PATIENT[] = L"T018-Braden.exe --patient-id=2026001234 --patient-name=测试患者甲 --nurse-name=测试护士";

// A point as the eye finds it: a dark blue square, solid; and the first
// pale shade beside it, its band's.
bool point_blue(COLORREF c) { return GetRValue(c) < 40 && GetGValue(c) < 100 && GetBValue(c) > GetRValue(c) + 60; }
bool pale(COLORREF c) { return std::min({GetRValue(c), GetGValue(c), GetBValue(c)}) > 195 && c != RGB(255, 255, 255); }
struct Seen { int x, y, size; COLORREF behind; };
std::vector<Seen> points_in(const Capture& c, RECT area) {
    std::vector<Seen> found;
    for (int x = area.left; x < area.right; x++)
        for (int y = area.top; y < area.bottom; y++) {
            if (!point_blue(c.at(x, y)) || point_blue(c.at(x - 1, y)) || point_blue(c.at(x, y - 1))) continue;
            int w = 0, h = 0;
            while (point_blue(c.at(x + w, y))) w++;
            while (point_blue(c.at(x, y + h))) h++;
            COLORREF behind = 0;
            for (int d = 2; d < 40 && !behind; d++)
                for (int bx : {x + w - 1 + d, x - d})
                    if (!behind && pale(c.at(bx, y + h / 2))) behind = c.at(bx, y + h / 2);
            found.push_back({x + w / 2, y + h / 2, w, behind});
        }
    return found;
}
// A shade's level as a nurse names its colour: red, orange, yellow, green.
int level_of_shade(COLORREF c) {
    const int r = GetRValue(c), g = GetGValue(c), b = GetBValue(c);
    return g > r ? 0 : r - g > 20 && abs(g - b) < 12 ? 3 : r - g > 15 ? 2 : 1;
}

class CourseWindow : public WindowTest {
protected:
    wchar_t record[RECORD_PATH_CAPACITY];
    void SetUp() override { open(tool_builtin()), record_file_path(s.tool, record, RECORD_PATH_CAPACITY), DeleteFileW(record); }
    void TearDown() override { DeleteFileW(record), WindowTest::TearDown(); }
    // A result saved as Save does, `hours` ago; queued for the hospital's
    // database when `sent`.
    void save_earlier(const wchar_t* command_line, const double (&items)[6], int hours, bool sent = false) {
        StartRequest start;
        start_request_read(&s.tool, command_line, &start);
        static Calculation calculation;
        tool_calculate(s.tool, items, &calculation);
        LocalTime now, assessed = (platform_calls.local_time(&now), reassess_local(reassess_moment(now) - hours * 3600, now.utc_offset_minutes));
        wchar_t where[RECORD_PATH_CAPACITY];
        RecordStamp stamp;
        ASSERT_EQ(RECORD_SAVED, record_save(s.tool, calculation, start.patient, where, RECORD_PATH_CAPACITY, &stamp, &assessed));
        static DeliveryRow row;
        delivery_row_of(s.tool, calculation, stamp, &row);
        EXPECT_TRUE(!sent || delivery_queue(row));
    }
    void expect_caption(const wchar_t* expected) {  // within two seconds
        for (int waited = 0; waited < 100 && text_of(s.course_chart) != expected; waited++) Sleep(20), pump();
        EXPECT_EQ(expected, text_of(s.course_chart));
    }
    std::vector<Seen> points() {
        Capture c = capture(window, px(CLIENT_WIDTH), px(CLIENT_HEIGHT));
        std::vector<Seen> seen = points_in(c, rect_of(s.course_chart));
        return release(c), seen;
    }
};

// Five earlier results, oldest first: hours ago, the items, their total.
struct Earlier { int hours_ago; double items[6]; int total; };
const Earlier EARLIER[] = {
    {8 * 24, {3, 3, 2, 2, 2, 2}, 14}, {6 * 24, {2, 2, 2, 1, 1, 1}, 9}, {4 * 24, {2, 2, 2, 2, 2, 1}, 11},
    {2 * 24, {4, 4, 4, 3, 3, 3}, 21}, {1 * 24, {3, 3, 3, 3, 3, 2}, 17},
};
// Each at its value (a higher total higher up, evenly), at its time (the
// days evenly along), on its band's shade; the latest marked larger.
void expect_the_five(const std::vector<Seen>& seen) {
    ASSERT_EQ(5u, seen.size());
    const double per_point = (double)(seen[1].y - seen[0].y) / (EARLIER[1].total - EARLIER[0].total);
    const double per_hour = (double)(seen[4].x - seen[0].x) / (EARLIER[0].hours_ago - EARLIER[4].hours_ago);
    EXPECT_LT(per_point, 0);
    for (int k = 0; k < 5; k++) {
        EXPECT_NEAR(seen[0].y + per_point * (EARLIER[k].total - EARLIER[0].total), seen[k].y, 1.5) << k;
        EXPECT_NEAR(seen[0].x + per_hour * (EARLIER[0].hours_ago - EARLIER[k].hours_ago), seen[k].x, 1.5) << k;
        const int total = EARLIER[k].total, level = total <= 12 ? 3 : total <= 14 ? 2 : total <= 18 ? 1 : 0;
        EXPECT_EQ(level, level_of_shade(seen[k].behind)) << k << " " << std::hex << seen[k].behind;
        EXPECT_EQ(k == 4, seen[k].size > seen[0].size) << k;
    }
}

// No patient: said in words, no chart. With the patient, the course on the
// screen and on paper; a Save adds to it at once, another patient has none.
TEST_F(CourseWindow, FiveEarlierResultsShowTheirCourse) {
    for (const Earlier& e : EARLIER) save_earlier(PATIENT, e.items, e.hours_ago);
    expect_caption(L"指定患者后，此处显示其本量表的既往评估趋势");
    EXPECT_EQ(0u, points().size());
    RECT chart = rect_of(s.course_chart), view = rect_of(s.input_view), inside;
    EXPECT_TRUE(!IntersectRect(&inside, &chart, &view) && rect_of(s.input_controls[5]).bottom <= view.bottom);
    open(tool_builtin(), PATIENT);
    expect_caption(L"总分趋势：近 30 天 5 次（本机本用户记录）");
    expect_the_five(points());
    for (int i = 0; i < s.tool.input_count; i++) choose(i, 0);
    click(IDC_CALCULATE);
    click(IDC_SAVE);
    expect_caption(L"总分趋势：近 30 天 6 次（本机本用户记录）");
    std::vector<Seen> seen = points();
    ASSERT_EQ(6u, seen.size());
    EXPECT_TRUE(seen[5].y > seen[1].y && seen[5].size > seen[4].size);  // 6, below the 9, the latest

    // The page lists the five before this result, oldest first (spaces aside).
    std::wstring rows;
    ASSERT_EQ(1, a4_pages(&rows));
    rows.erase(std::remove_if(rows.begin(), rows.end(), [](wchar_t c) { return c == L' ' || c == L'\x3000'; }), rows.end());
    size_t at = rows.find(L"既往评估（最近5次，本机本用户记录）\n评估时间总分分级评估护士\n");
    ASSERT_NE(std::wstring::npos, at) << rows;
    for (const wchar_t* row : {L"14分中危", L"9分极高危", L"11分高危", L"21分无明显风险", L"17分低危"}) {
        at = rows.find(std::wstring(row) + L"测试护士\n", at);
        EXPECT_NE(std::wstring::npos, at) << row << "\n" << rows;
    }
    EXPECT_EQ(std::wstring::npos, rows.find(L"6分极高危")) << rows;
    click(IDC_PATIENT);
    SetWindowTextW(GetDlgItem(s.patient_dialog, IDC_PATIENT_FIELD_FIRST + (int)PATIENT_ID), L"2026005678");
    SetWindowTextW(GetDlgItem(s.patient_dialog, IDC_PATIENT_FIELD_FIRST + (int)PATIENT_NAME), L"测试患者乙");
    SendMessageW(s.patient_dialog, WM_COMMAND, IDOK, 0);
    expect_caption(L"既往评估：本机本用户记录中无此患者近 30 天的评估");
    EXPECT_EQ(0u, points().size());
}

// From the hospital's database, sent by the writer's login, read by the ward
// reader's. Run by the database session (tests/delivery/).
TEST_F(CourseWindow, DatabaseCourse) {
    const char *writer = getenv("GLYVANT_TEST_DATABASE"), *reader = getenv("GLYVANT_TEST_READING_DATABASE");
    ASSERT_TRUE(writer && reader);
    const wchar_t patient[] = L"T018.exe --patient-id=2026007777 --patient-name=测试患者丁 --ward=普外一科 --nurse-name=测试护士";
    for (const Earlier& e : EARLIER) save_earlier(patient, e.items, e.hours_ago, true);
    static wchar_t text[4096];
    DeliveryReport report;
    delivery_pass((wide_from_utf8(writer, text, 4096), text), &report);
    ASSERT_EQ(DELIVERY_DONE, report.problem);
    DeleteFileW(record);  // none of this PC's
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_LOCAL_MACHINE, POLICY_KEY, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr));
    for (const char* connection : {reader, "Driver={PostgreSQL Unicode};Server=127.0.0.1;Port=1;Database=orvomed;"}) {
        wide_from_utf8(connection, text, 4096);
        RegSetValueExW(key, L"ReadingDatabase", 0, REG_SZ, (const BYTE*)text, (DWORD)((wcslen(text) + 1) * sizeof(wchar_t)));
        open(tool_builtin(), patient);
        // Out of reach, the course last read stays, with the reason.
        expect_caption(connection == reader ? L"总分趋势：近 30 天 5 次（医院数据库）" : L"总分趋势：近 30 天 5 次（医院数据库，未能读取：服务器无法连接）");
        expect_the_five(points());
    }
    RegDeleteValueW(key, L"ReadingDatabase"), RegCloseKey(key);
}

}  // namespace
