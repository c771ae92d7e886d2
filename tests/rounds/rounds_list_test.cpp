// The ward's list with invented patients: each row's due state against
// the shift, the order a nurse reads it in, the admission's rows, and the
// list and a course read from this user's records.
#include <gtest/gtest.h>
#include <stdio.h>
#include <wchar.h>

#include <string>
#include <vector>

#include "rounds/rounds.h"
#include "store/store.h"
#include "suite/catalogue.h"
#include "support/prepared_tool.h"
#include "support/suite_tool.h"
#include "support/test_data_folder.h"

namespace {

constexpr int OFFSET = 480;
constexpr int64_t HOUR = 3600;

MomentSeconds at(const wchar_t* text) {
    MomentSeconds moment;
    EXPECT_TRUE(rounds_moment_of_text(text, OFFSET, &moment)) << text;
    return moment;
}

TEST(RoundsDue, StatesAgainstTheShift) {
    struct Case {
        const wchar_t* now;
        const wchar_t* shift_end;
        const wchar_t* due;  // nullptr: no interval
        RoundsDue state;
    } cases[] = {
        {L"2026-12-11T07:59:59+08:00", L"2026-12-11T08:00:00+08:00", L"2026-12-11T08:00:00+08:00", ROUNDS_DUE_IN_SHIFT},
        {L"2026-12-11T08:00:00+08:00", L"2026-12-11T16:00:00+08:00", L"2026-12-11T08:00:00+08:00", ROUNDS_OVERDUE},
        {L"2026-12-11T10:00:00+08:00", L"2026-12-11T16:00:00+08:00", L"2026-12-11T09:59:00+08:00", ROUNDS_OVERDUE},
        {L"2026-12-11T10:00:00+08:00", L"2026-12-11T16:00:00+08:00", L"2026-12-11T16:00:00+08:00", ROUNDS_DUE_IN_SHIFT},
        {L"2026-12-11T10:00:00+08:00", L"2026-12-11T16:00:00+08:00", L"2026-12-11T16:00:01+08:00", ROUNDS_DUE_LATER},
        {L"2026-12-11T23:30:00+08:00", L"2026-12-12T00:00:00+08:00", L"2026-12-11T23:59:00+08:00", ROUNDS_DUE_IN_SHIFT},
        {L"2026-12-11T16:00:00Z", L"2026-12-12T08:00:00+08:00", L"2026-12-12T08:00:01+08:00", ROUNDS_DUE_LATER},
        {L"2026-12-11T12:00:00+08:00", L"2026-12-11T16:00:00+08:00", nullptr, ROUNDS_EVENTS_ONLY},
    };
    for (const Case& c : cases) {
        MomentSeconds now = at(c.now);
        EXPECT_EQ(at(c.shift_end), rounds_shift_end(now, OFFSET)) << c.now;
        EXPECT_EQ(c.state, rounds_due_state(c.due ? at(c.due) : REASSESS_NO_TIME, now, OFFSET)) << c.now;
    }
}

TEST(RoundsTime, TextsOfEveryWriter) {
    const MomentSeconds nine = at(L"2026-12-11T09:12:00+08:00");
    struct {
        const wchar_t* text;
        MomentSeconds moment;
    } cases[] = {
        {L"2026-12-11 01:12:00+00", nine},
        {L"2026-12-11 09:12:00.1234567 +08:00", nine},
        {L"2026-12-11T01:12:00Z", nine},
        {L"2026-12-11 06:42:00+05:30", nine},
        {L"2026-12-11T09:12", nine},  // local time
        {L"2026-02-30T09:12:00+08:00", REASSESS_NO_TIME},
        {L"2026-12-11", REASSESS_NO_TIME},
        {L"infinity", REASSESS_NO_TIME},
        {L"2026-12-11 09:12:00+08 x", REASSESS_NO_TIME},
    };
    for (const auto& c : cases) {
        MomentSeconds moment;
        EXPECT_EQ(c.moment != REASSESS_NO_TIME, rounds_moment_of_text(c.text, OFFSET, &moment)) << c.text;
        EXPECT_EQ(c.moment, moment) << c.text;
    }
    wchar_t text[64];
    rounds_moment_text(nine, OFFSET, text, 64);
    EXPECT_STREQ(L"2026-12-11T09:12:00+08:00", text);
}

TEST(RoundsAdmission, ScalesOfThePolicy) {
    struct Case {
        const wchar_t* text;
        bool whole;
        std::vector<std::vector<int>> groups;
    } cases[] = {
        {L"18,19,21,24/22", true, {{18}, {19}, {21}, {24, 22}}},
        {L"", true, {}},
        {L" 18 , 37/39/18 ", true, {{18}, {37, 39, 18}}},
        {L"18,,x,19", false, {{18}, {19}}},
        {L"1000,0,18", false, {{18}}},
    };
    for (const Case& c : cases) {
        RoundsAdmissionScales scales;
        EXPECT_EQ(c.whole, rounds_admission_scales(c.text, &scales)) << c.text;
        std::vector<std::vector<int>> groups;
        for (int g = 0; g < scales.group_count; g++)
            groups.emplace_back(scales.tools[g], scales.tools[g] + scales.tool_count[g]);
        EXPECT_EQ(c.groups, groups) << c.text;
    }
}

Patient patient_of(const wchar_t* id, const wchar_t* name, const wchar_t* bed) {
    Patient p = {};
    patient_set_field(&p, PATIENT_ID, id);
    patient_set_field(&p, PATIENT_NAME, name);
    patient_set_field(&p, PATIENT_BED, bed);
    return p;
}

std::vector<std::string> described(const RoundsList& list) {
    std::vector<std::string> rows;
    const char* states[] = {"overdue", "in-shift", "later", "events"};
    for (int k = 0; k < list.count; k++) {
        const RoundsEntry& e = list.entries[k];
        char bed[64], text[128];
        utf8_from_wide(e.last.patient.fields[PATIENT_BED], bed, 64);
        snprintf(text, sizeof text, "%s t%d%s %s", bed, e.last.tool_id, e.admission_missing ? " missing" : "",
                 states[e.due]);
        rows.push_back(text);
    }
    return rows;
}

// Due first, earliest first; beds as numbers within a time; the scales an
// admission three hours ago still needs, one of Caprini and Padua done;
// those of admissions two days ago still not done, overdue since the day
// after; and a patient of whom nothing, not even the admission, is known
// still listed.
TEST(RoundsList, OrderAndTheAdmissionsRows) {
    const MomentSeconds now = at(L"2026-12-11T10:00:00+08:00");
    static RoundsList list;
    rounds_list_begin(&list, ROUNDS_CENSUS, now);
    struct Row {
        const wchar_t* bed;
        int tool;
        double assessed_hours_ago;
        double due_hours;  // from now; 0: no interval
    } rows[] = {
        {L"10", 18, 30, -6}, {L"2", 18, 30, -6}, {L"2", 19, 4, 0}, {L"加1", 23, 1, 3},
        {L"3", 22, 2, 70},   {L"3", 18, 20, 40}, {L"10", 19, 5, 0},
    };
    for (const Row& r : rows) {
        RoundsAssessment a = {};
        a.patient = patient_of(r.bed[0] == L'3' ? L"9003" : r.bed[0] == L'2' ? L"9002" : r.bed[0] == L'1' ? L"9010" : L"9011",
                               L"测试患者", r.bed);
        a.tool_id = r.tool;
        a.assessed_at = now - (int64_t)(r.assessed_hours_ago * HOUR);
        a.due_at = r.due_hours ? now + (int64_t)(r.due_hours * HOUR) : REASSESS_NO_TIME;
        ASSERT_TRUE(rounds_list_add(&list, a));
    }
    RoundsAdmissionScales scales;
    rounds_admission_scales(L"18,19,21,24/22", &scales);
    // Bed 3 came in 3 hours ago: its Braden was done before, Padua since.
    rounds_list_add_stay(&list, patient_of(L"9003", L"测试患者", L"3"), now - 3 * HOUR, scales);
    rounds_list_add_stay(&list, patient_of(L"9002", L"测试患者", L"2"), now - 48 * HOUR, scales);
    rounds_list_add_stay(&list, patient_of(L"9012", L"测试患者", L"12"), now - 48 * HOUR, scales);
    rounds_list_add_stay(&list, patient_of(L"9015", L"测试患者", L"15"), REASSESS_NO_TIME, scales);
    rounds_list_finish(&list, OFFSET);
    const std::vector<std::string> expected = {
        "2 t21 missing overdue",  "2 t24 missing overdue", "12 t18 missing overdue", "12 t19 missing overdue",
        "12 t21 missing overdue", "12 t24 missing overdue", "2 t18 overdue",         "10 t18 overdue",
        "加1 t23 in-shift",        "3 t18 missing later",   "3 t19 missing later",   "3 t21 missing later",
        "3 t18 later",            "3 t22 later",           "2 t19 events",          "10 t19 events",
        "15 t0 events"};
    EXPECT_EQ(expected, described(list));
    EXPECT_EQ(now - 24 * HOUR, list.entries[0].due_at);
    EXPECT_EQ(now + 21 * HOUR, list.entries[9].due_at);
    // A full list says so.
    while (list.count < ROUNDS_LIST_CAPACITY) rounds_list_add(&list, list.entries[0].last);
    EXPECT_FALSE(list.cut);
    EXPECT_FALSE(rounds_list_add(&list, list.entries[0].last));
    EXPECT_TRUE(list.cut);
}

// The list and a course from this user's records: every version of a
// tool's file, the ward's patients of the week, each scale's latest, the
// due time where the file has its column.
TEST(RoundsThisUser, ListAndCourseFromTheRecords) {
    use_test_data_folder();
    static const Prepared tool(suite_tool(18));
    // Only this test's rows: under Wine every test shares the folder.
    wchar_t first[RECORD_PATH_CAPACITY];
    if (record_file_path(tool, first, RECORD_PATH_CAPACITY) == RECORD_SAVED) platform_calls.remove_file(first);
    LocalTime clock;
    platform_system_calls.local_time(&clock);
    const MomentSeconds now = reassess_moment(clock);
    static LocalTime told;
    platform_calls.local_time = [](LocalTime* time) { *time = told; };
    struct {
        const wchar_t* id;
        const wchar_t* ward;
        double values[6];
        double hours_ago;
    } saves[] = {
        {L"9101", L"普外一科", {1, 1, 2, 2, 2, 2}, 200},  // 10, a week ago and more
        {L"9101", L"普外一科", {2, 2, 2, 2, 2, 2}, 100},  // 12
        {L"9101", L"普外一科", {4, 4, 4, 4, 4, 3}, 20},   // 23
        {L"9102", L"心内科", {2, 2, 2, 2, 2, 2}, 10},
        {L"9103", L"普外一科", {2, 2, 2, 2, 2, 2}, 9 * 24},
    };
    for (const auto& s : saves) {
        static Calculation calculation;
        tool_calculate(tool, s.values, &calculation);
        Patient patient = patient_of(s.id, L"测试患者", L"6");
        patient_set_field(&patient, PATIENT_WARD, s.ward);
        told = reassess_local(now - (int64_t)(s.hours_ago * HOUR), OFFSET);
        wchar_t where[RECORD_PATH_CAPACITY];
        ASSERT_EQ(RECORD_SAVED, record_save(tool, calculation, patient, where, RECORD_PATH_CAPACITY));
    }
    platform_calls.local_time = platform_system_calls.local_time;
    // A later version's file beside it, with a due column after 主要结果.
    wchar_t later[RECORD_PATH_CAPACITY], header[RECORD_HEADER_CAPACITY];
    ASSERT_GT(store_suite_path(L"records", later, RECORD_PATH_CAPACITY), 0);
    text_append(later, RECORD_PATH_CAPACITY, PLATFORM_PATH_SEPARATOR == L'/' ? L"/T018-2.csv" : L"\\T018-2.csv");
    record_header_line(tool, header, RECORD_HEADER_CAPACITY);
    wchar_t assessed[64], due_at[64], saved[32], result[RECORD_RESULT_LIMIT + 1], line[8192];
    rounds_moment_text(now - 2 * HOUR, OFFSET, assessed, 64);
    rounds_moment_text(now + 22 * HOUR, OFFSET, due_at, 64);
    LocalTime two_hours_ago = reassess_local(now - 2 * HOUR, OFFSET);
    text_format(saved, 32, L"%04d-%02d-%02d %02d:%02d:%02d", two_hours_ago.year, two_hours_ago.month,
                two_hours_ago.day, two_hours_ago.hour, two_hours_ago.minute, two_hours_ago.second);
    static Calculation eleven;
    const double values[] = {2, 2, 2, 2, 2, 1};
    tool_calculate(tool, values, &eleven);
    record_result_field(eleven, result, RECORD_RESULT_LIMIT + 1);
    header[text_length(header) - 2] = 0;
    text_format(line, 8192,
                L"\xFEFF%ls,下次评估\r\n%ls,%ls,a=2,b=2,c=2,d=2,e=2,f=1,\"%ls\",x,9104,测试患者,8,普外一科,,"
                L"测试护士,u,pc,%ls,,,%ls,11,%ls\r\n",
                header, saved, tool.title, result, assessed, assessed, due_at);
    static char bytes[3 * 8192];
    int n = utf8_from_wide(line, bytes, (int)sizeof bytes);
    ASSERT_TRUE(platform_replace_file(later, bytes, n));

    static RoundsList list;
    const ToolDef* tools[] = {&suite_tool(18)};
    ASSERT_EQ(ROUNDS_READ, rounds_read_this_user(tools, 1, L"普外一科", now, OFFSET, &list));
    EXPECT_EQ(ROUNDS_THIS_USER, list.source);
    // Due first: the later file's row with its due time, then one without.
    EXPECT_EQ((std::vector<std::string>{"8 t18 later", "6 t18 events"}), described(list));
    const RoundsAssessment& due = list.entries[0].last;
    EXPECT_EQ(now + 22 * HOUR, list.entries[0].due_at);
    EXPECT_TRUE(due.value == 11 && due.level == 3 && !wcscmp(due.band, L"高危") &&
                !wcscmp(due.patient.fields[NURSE_NAME], L"测试护士"));
    EXPECT_EQ(23, list.entries[1].last.value);

    RoundsAssessment points[2];
    int count = 0;
    const Patient patient = patient_of(L"9101", L"测试患者", L"");
    ASSERT_EQ(ROUNDS_READ, rounds_read_course(nullptr, tool, patient, now, OFFSET, points, 2, &count));
    ASSERT_EQ(2, count);  // the newest two, oldest first
    EXPECT_TRUE(points[0].value == 12 && points[1].value == 23 && points[0].assessed_at == now - 100 * HOUR);
}

}  // namespace
