// Braden's window (this program's descriptor) with the patient's earlier
// results: their course at the foot of the inputs, read back from the
// window's pixels, and said in words where there is none to draw.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/win32/main_window.h"
#include "common/win32/hospital_policy.h"
#include "delivery/delivery.h"
#include "store/store.h"
#include "support/window_driver.h"

namespace {

const wchar_t PATIENT[] = L"T018-Braden.exe --patient-id=2026001234 --patient-name=测试患者甲 --nurse-name=测试护士";
const wchar_t OTHER_PATIENT[] = L"T018-Braden.exe --patient-id=2026005678 --patient-name=测试患者乙";

// A point of the chart as the eye finds it: a dark blue square.
bool point_blue(COLORREF c) { return GetRValue(c) < 40 && GetGValue(c) < 100 && GetBValue(c) > GetRValue(c) + 60; }

struct Seen {
    int x, y, size;
    COLORREF behind;  // the shade beside it
};

// The squares inside `area`, left to right, each with the first light
// shade left of it.
std::vector<Seen> points_in(const Capture& c, RECT area) {
    std::vector<Seen> found;
    std::vector<bool> taken((size_t)(area.right - area.left) * (area.bottom - area.top));
    auto index = [&](int x, int y) { return (size_t)(y - area.top) * (area.right - area.left) + (x - area.left); };
    for (int y = area.top; y < area.bottom; y++)
        for (int x = area.left; x < area.right; x++) {
            if (taken[index(x, y)] || !point_blue(c.at(x, y))) continue;
            RECT box = {x, y, x + 1, y + 1};
            std::vector<POINT> todo = {{x, y}};
            taken[index(x, y)] = true;
            while (!todo.empty()) {
                POINT p = todo.back();
                todo.pop_back();
                box = {std::min(box.left, p.x), std::min(box.top, p.y), std::max(box.right, p.x + 1), std::max(box.bottom, p.y + 1)};
                for (POINT n : {POINT{p.x + 1, p.y}, POINT{p.x - 1, p.y}, POINT{p.x, p.y + 1}, POINT{p.x, p.y - 1}})
                    if (n.x >= area.left && n.x < area.right && n.y >= area.top && n.y < area.bottom && !taken[index(n.x, n.y)] &&
                        point_blue(c.at(n.x, n.y)))
                        taken[index(n.x, n.y)] = true, todo.push_back(n);
            }
            COLORREF behind = 0;
            for (int d = 2; d < 40 && !behind; d++)
                for (int bx : {(int)box.right - 1 + d, (int)box.left - d}) {
                    COLORREF b = c.at(bx, (box.top + box.bottom) / 2);
                    if (!behind && GetRValue(b) > 195 && GetGValue(b) > 195 && GetBValue(b) > 195 &&
                        std::min({GetRValue(b), GetGValue(b), GetBValue(b)}) < 245)
                        behind = b;
                }
            found.push_back({(box.left + box.right) / 2, (box.top + box.bottom) / 2, (int)(box.right - box.left), behind});
        }
    std::sort(found.begin(), found.end(), [](const Seen& a, const Seen& b) { return a.x < b.x; });
    return found;
}

// A shade's level as a nurse names its colour: red, orange, yellow, green.
int level_of_shade(COLORREF c) {
    const int r = GetRValue(c), g = GetGValue(c), b = GetBValue(c);
    if (g > r) return 0;
    if (r - g > 20 && abs(g - b) < 12) return 3;
    return r - g > 15 ? 2 : 1;
}

class CourseWindow : public WindowTest {
protected:
    wchar_t record[RECORD_PATH_CAPACITY];
    void SetUp() override {
        open(tool_builtin());
        record_file_path(s.tool, record, RECORD_PATH_CAPACITY);
        DeleteFileW(record);
    }
    void TearDown() override {
        DeleteFileW(record);
        WindowTest::TearDown();
    }
    // A result of the patient's saved as Save does, `hours` ago, and queued
    // for the hospital's database when `sent`.
    void save_earlier(const wchar_t* command_line, const double (&items)[6], int hours, bool sent = false) {
        StartRequest start;
        start_request_read(&s.tool, command_line, &start);
        static Calculation calculation;
        tool_calculate(s.tool, items, &calculation);
        LocalTime now;
        platform_calls.local_time(&now);
        const LocalTime assessed = reassess_local(reassess_moment(now) - hours * 3600, now.utc_offset_minutes);
        wchar_t where[RECORD_PATH_CAPACITY];
        RecordStamp stamp;
        ASSERT_EQ(RECORD_SAVED, record_save(s.tool, calculation, start.patient, where, RECORD_PATH_CAPACITY, &stamp, &assessed));
        static DeliveryRow row;
        delivery_row_of(s.tool, calculation, stamp, &row);
        if (sent) {
            ASSERT_TRUE(delivery_queue(row));
        }
    }
    // The chart's caption says `expected`, within two seconds.
    void expect_caption(const wchar_t* expected) {
        for (int waited = 0; waited < 100 && text_of(s.course_chart) != expected; waited++) {
            Sleep(20);
            pump();
        }
        pump();
        EXPECT_EQ(expected, text_of(s.course_chart));
    }
    std::vector<Seen> points() {
        RECT client, area = rect_of(s.course_chart);
        GetClientRect(window, &client);
        Capture c = capture(window, client.right, client.bottom);
        std::vector<Seen> seen = points_in(c, area);
        release(c);
        return seen;
    }
};

// Five earlier results, oldest first: days ago and the items that total them.
struct Earlier {
    int hours_ago;
    double items[6];
    int total;
};
const Earlier EARLIER[] = {
    {8 * 24, {3, 3, 2, 2, 2, 2}, 14}, {6 * 24, {2, 2, 2, 1, 1, 1}, 9}, {4 * 24, {2, 2, 2, 2, 2, 1}, 11},
    {2 * 24, {4, 4, 4, 3, 3, 3}, 21}, {1 * 24, {3, 3, 3, 3, 3, 2}, 17},
};

// Each point of the five at its value (a higher total higher up, evenly),
// at its time (the days evenly along), on its band's shade; the latest
// marked larger.
void expect_the_five_earlier(const std::vector<Seen>& seen) {
    ASSERT_EQ(5u, seen.size());
    const Seen &first = seen[0], &last = seen[4];
    const double per_point = (double)(seen[1].y - first.y) / (EARLIER[1].total - EARLIER[0].total);
    const double per_hour = (double)(last.x - first.x) / (EARLIER[0].hours_ago - EARLIER[4].hours_ago);
    EXPECT_LT(per_point, 0);  // higher up for a higher total
    for (int k = 0; k < 5; k++) {
        EXPECT_NEAR(first.y + per_point * (EARLIER[k].total - EARLIER[0].total), seen[k].y, 1.5) << k;
        EXPECT_NEAR(first.x + per_hour * (EARLIER[0].hours_ago - EARLIER[k].hours_ago), seen[k].x, 1.5) << k;
        const int level = EARLIER[k].total <= 12 ? 3 : EARLIER[k].total <= 14 ? 2 : EARLIER[k].total <= 18 ? 1 : 0;
        EXPECT_EQ(level, level_of_shade(seen[k].behind)) << k << " " << std::hex << seen[k].behind;
        EXPECT_EQ(k == 4, seen[k].size > first.size) << k;
    }
}

// Five earlier results: their course, the caption naming the source and
// the count.
TEST_F(CourseWindow, FiveEarlierResultsShowTheirCourse) {
    for (const Earlier& e : EARLIER) save_earlier(PATIENT, e.items, e.hours_ago);
    open(tool_builtin(), PATIENT);
    expect_caption(L"总分趋势：近 30 天 5 次（本机本用户记录）");
    std::vector<Seen> seen = points();
    expect_the_five_earlier(seen);
    // A Save adds the result at once; another patient's course is not
    // this one's.
    for (int i = 0; i < s.tool.input_count; i++) choose(i, 0);
    click(IDC_CALCULATE);
    click(IDC_SAVE);
    expect_caption(L"总分趋势：近 30 天 6 次（本机本用户记录）");
    seen = points();
    ASSERT_EQ(6u, seen.size());
    EXPECT_GT(seen[5].y, seen[1].y);  // 6, below the 9 that was the least
    EXPECT_GT(seen[5].size, seen[4].size);

    // On paper, as a ward's form: the five before this one, oldest first,
    // each with its time, total, band and nurse.
    HDC dc = CreateCompatibleDC(nullptr);
    ASSERT_EQ(1, print_layout(dc, {794, 1123, 794, 1123, 0, 0, 96, 96}));
    static wchar_t page[16384];
    print_page_text(dc, 1, page, 16384);
    print_layout_release();
    DeleteDC(dc);
    // Read as the eye reads the columns: their spaces aside.
    std::wstring rows;
    for (const wchar_t* c = page; *c; c++)
        if (*c != L' ' && *c != L'\x3000') rows += *c;
    const size_t table = rows.find(L"既往评估（最近5次，本机本用户记录）\n评估时间总分分级评估护士\n");
    ASSERT_NE(std::wstring::npos, table) << rows;
    rows = rows.substr(table);
    const wchar_t* const bands[] = {L"14分中危", L"9分极高危", L"11分高危", L"21分无明显风险", L"17分低危"};
    size_t at = 0;
    for (const wchar_t* band : bands) {
        at = rows.find(std::wstring(band) + L"测试护士\n", at);
        EXPECT_NE(std::wstring::npos, at) << band << "\n" << rows;
    }
    EXPECT_EQ(std::wstring::npos, rows.find(L"6分极高危")) << rows;  // this result is not an earlier one

    click(IDC_PATIENT);
    ASSERT_NE(nullptr, s.patient_dialog);
    SetWindowTextW(GetDlgItem(s.patient_dialog, IDC_PATIENT_FIELD_FIRST + (int)PATIENT_ID), L"2026005678");
    SetWindowTextW(GetDlgItem(s.patient_dialog, IDC_PATIENT_FIELD_FIRST + (int)PATIENT_NAME), L"测试患者乙");
    SendMessageW(s.patient_dialog, WM_COMMAND, IDOK, 0);
    pump();
    expect_caption(L"既往评估：本机本用户记录中无此患者近 30 天的评估");
    EXPECT_EQ(0u, points().size());
}

// No patient, or no earlier result: said in words, and no chart.
TEST_F(CourseWindow, WithoutACourseItIsSaidInWords) {
    save_earlier(PATIENT, EARLIER[0].items, 24);
    struct Case {
        const wchar_t* command_line;
        const wchar_t* caption;
    };
    const Case cases[] = {
        {nullptr, L"指定患者后，此处显示其本量表的既往评估趋势"},
        {OTHER_PATIENT, L"既往评估：本机本用户记录中无此患者近 30 天的评估"},
    };
    for (const Case& c : cases) {
        open(tool_builtin(), c.command_line);
        expect_caption(c.caption);
        EXPECT_EQ(0u, points().size());
    }
    // The inputs' rows lie above it, none hidden behind it.
    RECT chart = rect_of(s.course_chart), view = rect_of(s.input_view), inside;
    EXPECT_FALSE(IntersectRect(&inside, &chart, &view));
    EXPECT_LE(rect_of(s.input_controls[s.tool.input_count - 1]).bottom, view.bottom);
}


// The same course from the hospital's database: the results sent there by
// the writer's login as Save sends them, read through the ward reader's;
// with the server out of reach, said so. Run by the database session
// (tests/delivery/), which starts the server.
class DatabaseCourse : public CourseWindow {
protected:
    HKEY key = nullptr;
    void set_reading(const char* connection) {
        static wchar_t wide[4096];
        wide_from_utf8(connection, wide, 4096);
        RegSetValueExW(key, L"ReadingDatabase", 0, REG_SZ, (const BYTE*)wide, (DWORD)((wcslen(wide) + 1) * sizeof(wchar_t)));
    }
    void SetUp() override {
        ASSERT_NE(nullptr, getenv("GLYVANT_TEST_DATABASE"));
        ASSERT_NE(nullptr, getenv("GLYVANT_TEST_READING_DATABASE"));
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_LOCAL_MACHINE, POLICY_KEY, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr));
        CourseWindow::SetUp();
    }
    void TearDown() override {
        RegDeleteValueW(key, L"ReadingDatabase");
        RegCloseKey(key);
        CourseWindow::TearDown();
    }
};

TEST_F(DatabaseCourse, FiveEarlierResultsFromTheDatabase) {
    const wchar_t patient[] =
        L"T018-Braden.exe --patient-id=2026007777 --patient-name=测试患者丁 --ward=普外一科 --nurse-name=测试护士";
    for (const Earlier& e : EARLIER) save_earlier(patient, e.items, e.hours_ago, true);
    wchar_t writer[1024];
    wide_from_utf8(getenv("GLYVANT_TEST_DATABASE"), writer, 1024);
    DeliveryReport report;
    delivery_pass(writer, &report);
    ASSERT_EQ(DELIVERY_DONE, report.problem);
    DeleteFileW(record);  // not this PC's records: the database's
    set_reading(getenv("GLYVANT_TEST_READING_DATABASE"));
    open(tool_builtin(), patient);
    expect_caption(L"总分趋势：近 30 天 5 次（医院数据库）");
    expect_the_five_earlier(points());

    set_reading("Driver={PostgreSQL Unicode};Server=127.0.0.1;Port=1;Database=orvomed;Uid=orvomed_ward_reader;Pwd=x;");
    open(tool_builtin(), patient);
    expect_caption(L"既往评估：医院数据库暂不可读（服务器无法连接）");
    EXPECT_EQ(0u, points().size());
}

}  // namespace
