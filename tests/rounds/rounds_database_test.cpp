// The ward's list and a patient's course read back from a real PostgreSQL
// server (tests/rounds/rounds_session_test.sh starts it): results saved as
// Save saves them and delivered by the writer (GLYVANT_TEST_DATABASE), read
// through the reading login (GLYVANT_TEST_READING_DATABASE); the owner
// (GLYVANT_TEST_DATABASE_ADMIN) sets their due times and, for the census,
// stands in for the hospital system with a table orvomed.stays.
#include <gtest/gtest.h>
#include <math.h>
#include <stdio.h>
#include <stdlib.h>

#include <string>
#include <tuple>
#include <vector>

#include "delivery/delivery.h"
#include "rounds/rounds.h"
#include "support/prepared_tool.h"
#include "support/suite_tool.h"
#include "support/test_data_folder.h"

namespace {

constexpr int OFFSET = 480;
constexpr int64_t HOUR = 3600;
const wchar_t WARD[] = L"普外一科";

std::wstring environment(const char* name) {
    const char* value = getenv(name);
    wchar_t wide[1024] = L"";
    if (value) wide_from_utf8(value, wide, 1024);
    return wide;
}

// The clock a save reads: the moment it is told.
LocalTime save_clock;
void told_time(LocalTime* time) { *time = save_clock; }

struct Result {
    const wchar_t* id;
    const wchar_t* name;
    const wchar_t* ward;
    const wchar_t* bed;
    int tool;
    int total;          // Braden's total; another scale keeps its defaults
    double hours_ago;   // when it was assessed and saved
    double due_hours;   // its due time from now; NAN: no interval
    const wchar_t* visit;
    double admitted_hours_ago;  // NAN: not given
};

// The owner's statement, committed.
bool as_owner(const wchar_t* sql, const DatabaseParameter* parameters = nullptr, int count = 0) {
    DatabaseAnswer answer;
    DatabaseLink link = database_calls.connect(environment("GLYVANT_TEST_DATABASE_ADMIN").c_str(), 5, &answer);
    if (link == DATABASE_NO_LINK) return false;
    database_calls.execute(link, sql, parameters, count, 25, &answer);
    bool done = answer.outcome == DATABASE_DONE;
    if (!done) ADD_FAILURE() << "the owner's statement failed: " << answer.state;
    database_calls.end_transaction(link, done, 25, &answer);
    database_calls.disconnect(link);
    return done && answer.outcome == DATABASE_DONE;
}

std::wstring moment_text(MomentSeconds moment) {
    wchar_t text[64];
    rounds_moment_text(moment, OFFSET, text, 64);
    return text;
}

// Saves the result as Save does, queues and delivers it with the writer,
// then gives it its due time as the owner.
void save(const Result& r, MomentSeconds now) {
    static Prepared braden(suite_tool(18));
    static Prepared morse(suite_tool(19));
    const PreparedTool& tool = r.tool == 18 ? (const PreparedTool&)braden : (const PreparedTool&)morse;
    double values[TOOL_MAX_INPUTS];
    for (int i = 0; i < tool.input_count; i++) values[i] = tool.inputs[i].default_value;
    if (r.tool == 18)
        for (int i = 0, deficit = 23 - r.total; i < tool.input_count && deficit > 0; i++) {
            int less = (int)values[i] - 1 < deficit ? (int)values[i] - 1 : deficit;
            values[i] -= less, deficit -= less;
        }
    static Calculation calculation;
    tool_calculate(tool, values, &calculation);
    Patient patient = {};
    patient_set_field(&patient, PATIENT_ID, r.id);
    patient_set_field(&patient, PATIENT_NAME, r.name);
    patient_set_field(&patient, PATIENT_WARD, r.ward);
    patient_set_field(&patient, PATIENT_BED, r.bed);
    patient_set_field(&patient, NURSE_NAME, L"测试护士");
    if (r.visit) patient_set_field(&patient, PATIENT_VISIT_ID, r.visit);
    if (!isnan(r.admitted_hours_ago)) {
        std::wstring admitted = moment_text(now - (int64_t)(r.admitted_hours_ago * HOUR));
        ASSERT_TRUE(patient_set_field(&patient, PATIENT_ADMITTED_AT, admitted.c_str())) << admitted;
    }
    save_clock = reassess_local(now - (int64_t)(r.hours_ago * HOUR), OFFSET);
    platform_calls.local_time = told_time;
    RecordStamp stamp;
    wchar_t where[RECORD_PATH_CAPACITY];
    // The due time the row goes with, as the window's Save passes its own.
    const LocalTime due = reassess_local(now + (int64_t)(r.due_hours * HOUR), OFFSET);
    RecordOutcome saved = record_save(tool, calculation, patient, where, RECORD_PATH_CAPACITY, &stamp, nullptr,
                                      isnan(r.due_hours) ? nullptr : &due);
    platform_calls.local_time = platform_system_calls.local_time;
    ASSERT_EQ(RECORD_SAVED, saved);
    static DeliveryRow row;
    delivery_row_of(tool, calculation, stamp, &row);
    ASSERT_TRUE(delivery_queue(row));
    DeliveryReport report;
    delivery_pass(environment("GLYVANT_TEST_DATABASE").c_str(), &report);
    ASSERT_EQ(DELIVERY_DONE, report.problem);
    ASSERT_EQ(1, report.delivered);
}

// What a row of the list reads as, for comparing whole lists.
std::string described(const RoundsEntry& e) {
    char id[64], band[64], text[256];
    utf8_from_wide(e.last.patient.fields[PATIENT_ID], id, 64);
    utf8_from_wide(e.last.band, band, 64);
    const char* states[] = {"overdue", "in-shift", "later", "events"};
    if (e.last.has_value && e.last.tool_id == 18)
        snprintf(text, sizeof text, "%s t%d %d %s %s", id, e.last.tool_id, (int)e.last.value, band, states[e.due]);
    else
        snprintf(text, sizeof text, "%s t%d%s %s", id, e.last.tool_id, e.admission_missing ? " missing" : "",
                 states[e.due]);
    return text;
}

std::vector<std::string> described(const RoundsList& list) {
    std::vector<std::string> rows;
    for (int k = 0; k < list.count; k++) rows.push_back(described(list.entries[k]));
    return rows;
}

MomentSeconds now;

class RoundsDatabase : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        use_test_data_folder();
        LocalTime clock;
        platform_system_calls.local_time(&clock);
        now = reassess_moment(clock);
        const double none = NAN;
        const Result results[] = {
            {L"8001001", L"王测甲", WARD, L"3", 18, 14, 80, -50, nullptr, none},
            {L"8001001", L"王测甲", WARD, L"3", 18, 11, 30, -6, nullptr, none},
            {L"8001001", L"王测甲", WARD, L"3", 19, 0, 10, none, nullptr, none},
            {L"8001002", L"李测乙", WARD, L"12", 18, 16, 20, 30, nullptr, none},
            {L"8001003", L"赵测丙", WARD, L"5", 18, 9, 240, 2, nullptr, none},
            {L"8001004", L"钱测丁", L"心内科", L"1", 18, 12, 2, 20, nullptr, none},
            {L"8001005", L"孙测戊", WARD, L"7", 18, 20, 480, none, L"V4", 500},
            {L"8001005", L"孙测戊", WARD, L"7", 18, 21, 40 * 24, none, L"V3", 41 * 24},
            {L"8001005", L"孙测戊", WARD, L"7", 18, 18, 96, 1, L"V5", 120},
            {L"8001005", L"孙测戊", WARD, L"7", 18, 15, 72, 1, L"V5", 120},
            {L"8001005", L"孙测戊", WARD, L"7", 18, 13, 48, 1, L"V5", 120},
            {L"8001005", L"孙测戊", WARD, L"7", 18, 11, 24, 1, L"V5", 120},
            {L"8001005", L"孙测戊", WARD, L"7", 18, 10, 2, 50, L"V5", 120},
            {L"8001008", L"吴测庚", WARD, L"9", 18, 12, 1, 23, L"V8", 3},
        };
        for (const Result& r : results) save(r, now);
    }
};

// Without the hospital's stays: the patients assessed on the ward within a
// week, each scale's latest result, in the order they are due; a patient
// of another ward or seen only ten days ago is not there.
TEST_F(RoundsDatabase, WardAssessedLatestPerScaleInDueOrder) {
    static RoundsList list;
    ASSERT_EQ(ROUNDS_READ, rounds_read_ward(environment("GLYVANT_TEST_READING_DATABASE").c_str(), WARD, L"18,19,21,24/22",
                                            nullptr, 0, now, OFFSET, &list));
    EXPECT_EQ(ROUNDS_WARD_ASSESSED, list.source);
    EXPECT_FALSE(list.cut);
    // 吴测庚 came in 3 hours ago: Morse, NRS 2002 and Caprini or Padua are
    // still to do, due 21 hours from now, and his Braden in 23. 孙测戊's,
    // five days in, are overdue since the day after his admission.
    const std::vector<std::string> expected = {
        "8001005 t19 missing overdue", "8001005 t21 missing overdue", "8001005 t24 missing overdue",
        "8001001 t18 11 高危 overdue",  "8001008 t19 missing later",   "8001008 t21 missing later",
        "8001008 t24 missing later",    "8001008 t18 12 高危 later",    "8001002 t18 16 低危 later",
        "8001005 t18 10 高危 later",     "8001001 t19 events"};
    EXPECT_EQ(expected, described(list));
    EXPECT_EQ(now - 96 * HOUR, list.entries[0].due_at);
    const RoundsEntry& first = list.entries[3];
    EXPECT_STREQ(L"王测甲", first.last.patient.fields[PATIENT_NAME]);
    EXPECT_STREQ(L"3", first.last.patient.fields[PATIENT_BED]);
    EXPECT_STREQ(L"测试护士", first.last.patient.fields[NURSE_NAME]);
    EXPECT_EQ(3, first.last.level);
    EXPECT_EQ(now - 30 * HOUR, first.last.assessed_at);
    EXPECT_EQ(now - 6 * HOUR, first.due_at);
    EXPECT_FALSE(first.last.unsound);
    EXPECT_EQ(2, list.entries[6].admission_tool_count);
    EXPECT_EQ(22, list.entries[6].admission_tools[1]);
}

// The census: every patient in hospital on the ward and nobody discharged;
// one admitted three hours ago and not yet assessed has a row for each of
// the admission's scales, as has one in since January of whom nothing is
// on record, those overdue; so have the others for each they lack.
TEST_F(RoundsDatabase, CensusEveryoneInHospitalNobodyDischarged) {
    std::wstring admitted_3h = moment_text(now - 3 * HOUR), admitted_3d = moment_text(now - 72 * HOUR),
                 admitted_5d = moment_text(now - 120 * HOUR), discharged = moment_text(now - HOUR);
    ASSERT_TRUE(as_owner(L"CREATE TABLE orvomed.stays (patient_id varchar(32), visit_id varchar(32), "
                         L"patient_name varchar(64), ward varchar(32), bed varchar(16), admitted_at timestamptz, "
                         L"discharged_at timestamptz); ALTER TABLE orvomed.stays OWNER TO orvomed_owner; "
                         L"GRANT SELECT ON orvomed.stays TO orvomed_ward_reader"));
    const DatabaseParameter times[] = {{DATABASE_TEXT, admitted_3d.c_str(), 0, 0},
                                       {DATABASE_TEXT, discharged.c_str(), 0, 0},
                                       {DATABASE_TEXT, admitted_5d.c_str(), 0, 0},
                                       {DATABASE_TEXT, admitted_3h.c_str(), 0, 0}};
    ASSERT_TRUE(as_owner(L"INSERT INTO orvomed.stays VALUES "
                         L"('8001001', 'V1', '王测甲', '普外一科', '3', CAST(? AS timestamptz), NULL), "
                         L"('8001002', 'V2', '李测乙', '普外一科', '12', '2026-01-01', CAST(? AS timestamptz)), "
                         L"('8001005', 'V5', '孙测戊', '普外一科', '7', CAST(? AS timestamptz), NULL), "
                         L"('8001006', 'V6', '周测己', '普外一科', '加2', CAST(? AS timestamptz), NULL), "
                         L"('8001007', 'V7', '郑测辛', '普外一科', '10', '2026-01-01', NULL), "
                         L"('8001004', 'V9', '钱测丁', '心内科', '1', '2026-01-01', NULL)",
                         times, 4));
    static RoundsList list;
    ASSERT_EQ(ROUNDS_READ, rounds_read_ward(environment("GLYVANT_TEST_READING_DATABASE").c_str(), WARD, L"18,19,21,24/22",
                                            nullptr, 0, now, OFFSET, &list));
    EXPECT_EQ(ROUNDS_CENSUS, list.source);
    const std::vector<std::string> expected = {
        "8001007 t18 missing overdue", "8001007 t19 missing overdue", "8001007 t21 missing overdue",
        "8001007 t24 missing overdue", "8001005 t19 missing overdue", "8001005 t21 missing overdue",
        "8001005 t24 missing overdue", "8001001 t21 missing overdue", "8001001 t24 missing overdue",
        "8001001 t18 11 高危 overdue",  "8001006 t18 missing later",   "8001006 t19 missing later",
        "8001006 t21 missing later",   "8001006 t24 missing later",   "8001005 t18 10 高危 later",
        "8001001 t19 events"};
    EXPECT_EQ(expected, described(list));
    const RoundsEntry& admitted = list.entries[10];
    EXPECT_EQ(now - 3 * HOUR + 24 * HOUR, admitted.due_at);
    EXPECT_STREQ(L"加2", admitted.last.patient.fields[PATIENT_BED]);
    EXPECT_STREQ(L"V6", admitted.last.patient.fields[PATIENT_VISIT_ID]);
    // The admission as a tool takes it from the patient bar.
    EXPECT_EQ(PATIENT_FIELD_SOUND, patient_field_fault(PATIENT_ADMITTED_AT, admitted.last.patient.fields[PATIENT_ADMITTED_AT]));
    ASSERT_TRUE(as_owner(L"DROP TABLE orvomed.stays"));
}

// A patient's course over the stay: the five results of this stay, oldest
// first; without the stay, the last 30 days' six.
TEST_F(RoundsDatabase, CourseOfTheStayOldestFirst) {
    Patient patient = {};
    patient_set_field(&patient, PATIENT_ID, L"8001005");
    patient_set_field(&patient, PATIENT_NAME, L"孙测戊");
    RoundsAssessment points[ROUNDS_COURSE_CAPACITY];
    int count = 0;
    const std::wstring reading = environment("GLYVANT_TEST_READING_DATABASE");
    auto values = [&]() {
        std::vector<int> v;
        for (int k = 0; k < count; k++) v.push_back((int)points[k].value);
        return v;
    };
    ASSERT_EQ(ROUNDS_READ, rounds_read_course(reading.c_str(), suite_tool(18), patient, now, OFFSET, points,
                                              ROUNDS_COURSE_CAPACITY, &count));
    EXPECT_EQ((std::vector<int>{20, 18, 15, 13, 11, 10}), values());
    patient_set_field(&patient, PATIENT_VISIT_ID, L"V5");
    ASSERT_EQ(ROUNDS_READ, rounds_read_course(reading.c_str(), suite_tool(18), patient, now, OFFSET, points,
                                              ROUNDS_COURSE_CAPACITY, &count));
    EXPECT_EQ((std::vector<int>{18, 15, 13, 11, 10}), values());
    EXPECT_EQ(now - 96 * HOUR, points[0].assessed_at);
    EXPECT_STREQ(L"低危", points[0].band);
    EXPECT_STREQ(L"V5", points[0].patient.fields[PATIENT_VISIT_ID]);
    // The newest three only.
    ASSERT_EQ(ROUNDS_READ, rounds_read_course(reading.c_str(), suite_tool(18), patient, now, OFFSET, points, 3, &count));
    EXPECT_EQ((std::vector<int>{13, 11, 10}), values());
}

// The reading login reads the view and nothing else: not the table, not
// the hospital's table of who reads which ward, no row written.
TEST_F(RoundsDatabase, ReadingLoginReadsTheViewAlone) {
    DatabaseAnswer answer;
    DatabaseLink link = database_calls.connect(environment("GLYVANT_TEST_READING_DATABASE").c_str(), 5, &answer);
    ASSERT_NE(DATABASE_NO_LINK, link);
    const int capacities[] = {16};
    wchar_t cells[16];
    DatabaseCell states[1];
    const wchar_t* refused[] = {
        L"SELECT count(*) FROM orvomed.orvomed_record",
        L"SELECT count(*) FROM orvomed.ward_access",
        L"INSERT INTO orvomed.orvomed_record (record_id) VALUES ('00000000-0000-4000-8000-000000000000') RETURNING 1",
        L"INSERT INTO orvomed.ward_access VALUES ('orvomed_ward_reader', '心内科') RETURNING 1",
    };
    for (const wchar_t* sql : refused) {
        DatabaseRows rows = {1, capacities, 1, cells, states, 0, false};
        database_calls.query(link, sql, nullptr, 0, 10, &rows, &answer);
        EXPECT_STREQ("42501", answer.state);
        database_calls.end_transaction(link, false, 10, &answer);
    }
    DatabaseRows rows = {1, capacities, 1, cells, states, 0, false};
    database_calls.query(link, L"SELECT count(*) FROM orvomed.recent_assessments", nullptr, 0, 10, &rows, &answer);
    EXPECT_EQ(DATABASE_DONE, answer.outcome);
    EXPECT_STREQ(L"13", database_cell(rows, 0, 0));  // every patient's row of the last 30 days, on every ward
    database_calls.disconnect(link);
}

// Where the nurses read with logins of their own, each reads the wards the
// hospital grants it and no other: its list, and no course of a patient
// assessed elsewhere.
TEST_F(RoundsDatabase, OwnLoginReadsOnlyItsWards) {
    ASSERT_TRUE(as_owner(L"CREATE ROLE orvomed_test_nurse LOGIN PASSWORD 'nurse-test-1'; "
                         L"GRANT orvomed_ward_reader TO orvomed_test_nurse; "
                         L"ALTER ROLE orvomed_test_nurse SET search_path = pg_catalog, orvomed; "
                         L"INSERT INTO orvomed.ward_access VALUES ('orvomed_test_nurse', '心内科')"));
    wchar_t nurse[1100];
    text_format(nurse, 1100, L"%ls;Uid=orvomed_test_nurse;Pwd=nurse-test-1;",
                environment("GLYVANT_TEST_READING_DATABASE").c_str());
    static RoundsList list;
    ASSERT_EQ(ROUNDS_READ, rounds_read_ward(nurse, WARD, L"", nullptr, 0, now, OFFSET, &list));
    EXPECT_EQ(0, list.count);
    ASSERT_EQ(ROUNDS_READ, rounds_read_ward(nurse, L"心内科", L"", nullptr, 0, now, OFFSET, &list));
    ASSERT_EQ(1, list.count);
    EXPECT_STREQ(L"8001004", list.entries[0].last.patient.fields[PATIENT_ID]);
    Patient patient = {};
    patient_set_field(&patient, PATIENT_ID, L"8001005");
    patient_set_field(&patient, PATIENT_NAME, L"孙测戊");
    RoundsAssessment points[8];
    int count = -1;
    ASSERT_EQ(ROUNDS_READ, rounds_read_course(nurse, suite_tool(18), patient, now, OFFSET, points, 8, &count));
    EXPECT_EQ(0, count);
}

// A server's answer is bounded: no more rows than asked (and told there
// were more), a text longer than its cell cut and told so, a pair of
// UTF-16 halves never split, NULL apart from empty.
TEST_F(RoundsDatabase, AnswerBoundedCutAndNullTold) {
    DatabaseAnswer answer;
    DatabaseLink link = database_calls.connect(environment("GLYVANT_TEST_READING_DATABASE").c_str(), 5, &answer);
    ASSERT_NE(DATABASE_NO_LINK, link);
    const int capacities[] = {4, 4, 4, 11, 3, 3};
    wchar_t cells[3 * 29];
    DatabaseCell states[3 * 6];
    DatabaseRows rows = {6, capacities, 3, cells, states, 0, false};
    database_calls.query(link,
                         L"SELECT 'abc', '', NULL, repeat(chr(38271), 100), 'a' || chr(128512), chr(128512) || 'b' "
                         L"FROM generate_series(1, 10)",
                         nullptr, 0, 10, &rows, &answer);
    ASSERT_EQ(DATABASE_DONE, answer.outcome) << answer.state;
    EXPECT_EQ(3, rows.count);
    EXPECT_TRUE(rows.more);
    std::vector<std::wstring> third;
    for (int c = 0; c < 6; c++)
        third.push_back(std::wstring(database_cell(rows, 2, c)) + L"|" + L"TNC"[database_cell_state(rows, 2, c)]);
    EXPECT_EQ((std::vector<std::wstring>{L"abc|T", L"|T", L"|N", L"长长长长长长长长长长|C", L"a|C", L"\U0001F600|C"}), third);
    // More than the seam holds is refused before the server is asked.
    rows.max_rows = DATABASE_ANSWER_CELLS;
    database_calls.query(link, L"SELECT 1, 2, 3, 4, 5, 6", nullptr, 0, 10, &rows, &answer);
    EXPECT_EQ(DATABASE_FAILED, answer.outcome);
    EXPECT_EQ(0, rows.count);
    database_calls.disconnect(link);
}

// What the list says when it cannot be read: the server's words, never an
// empty list.
TEST_F(RoundsDatabase, ProblemsTold) {
    static RoundsList list;
    list.count = 7;
    std::wstring reading = environment("GLYVANT_TEST_READING_DATABASE");
    // The same login with another password, and at a port nothing listens on.
    wchar_t wrong_password[1100], closed[1100];
    text_format(wrong_password, 1100, L"%ls;Pwd=wrong;", reading.c_str());
    text_format(closed, 1100, L"%ls;Port=1;", reading.c_str());
    for (auto [connection, ward, problem] : {std::tuple{(const wchar_t*)wrong_password, WARD, ROUNDS_LOGIN_REFUSED},
                                             {closed, WARD, ROUNDS_UNREACHABLE}, {reading.c_str(), L"", ROUNDS_NO_WARD}})
        EXPECT_EQ(problem, rounds_read_ward(connection, ward, L"", nullptr, 0, now, OFFSET, &list));
    EXPECT_EQ(7, list.count);  // the last list stays
    EXPECT_STREQ(L"登录被拒绝", rounds_problem_words(ROUNDS_LOGIN_REFUSED));
}

}  // namespace
