// Saved results delivered to a real PostgreSQL server through ODBC: the
// server the test command starts (tests/delivery/database_server.sh), named
// by GLYVANT_TEST_DATABASE (the ward PCs' writer) and
// GLYVANT_TEST_DATABASE_ADMIN (the owner, to read back what arrived).
#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#endif
#include <sql.h>
#include <sqlext.h>
#include <stdlib.h>

#include <string>

#include "delivery/delivery.h"
#include "suite/catalogue.h"
#include "support/prepared_tool.h"

namespace {

std::wstring environment(const char* name) {
    const char* value = getenv(name);
    wchar_t wide[1024] = L"";
    if (value) wide_from_utf8(value, wide, 1024);
    return wide;
}

// ODBC's wide text, UTF-16 everywhere (Wine's odbc32 has only the wide
// calls), to and from UTF-8.
std::basic_string<SQLWCHAR> odbc_text(const std::string& utf8) {
    wchar_t wide[4096];
    wide_from_utf8(utf8.c_str(), wide, 4096);
    std::basic_string<SQLWCHAR> text;
    for (const wchar_t* p = wide; *p; p++) {
        unsigned long c = (unsigned long)*p;
        if (c > 0xFFFF) text += (SQLWCHAR)(0xD800 + ((c - 0x10000) >> 10)), c = 0xDC00 + ((c - 0x10000) & 0x3FF);
        text += (SQLWCHAR)c;
    }
    return text;
}

std::string from_odbc(const SQLWCHAR* text) {
    std::wstring wide;
    for (; *text; text++) {
        unsigned long c = *text;
        // A wchar_t of 32 bits holds the pair as one character.
        if (sizeof(wchar_t) == 4 && c >= 0xD800 && c < 0xDC00 && text[1])
            c = 0x10000 + ((c - 0xD800) << 10) + (*++text - 0xDC00);
        wide += (wchar_t)c;
    }
    static char bytes[65536 * 3];
    utf8_from_wide(wide.c_str(), bytes, sizeof bytes);
    return bytes;
}

// The first column of the first row of `sql`, run as the owner, as text.
std::string owner_query(const std::string& sql) {
    SQLHENV env;
    SQLHDBC dbc;
    SQLHSTMT statement;
    SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env);
    SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, (SQLPOINTER)SQL_OV_ODBC3, 0);
    SQLAllocHandle(SQL_HANDLE_DBC, env, &dbc);
    auto connection = odbc_text(getenv("GLYVANT_TEST_DATABASE_ADMIN") ? getenv("GLYVANT_TEST_DATABASE_ADMIN") : "");
    auto query = odbc_text(sql);
    std::string result = "(no answer)";
    if (SQL_SUCCEEDED(SQLDriverConnectW(dbc, nullptr, connection.data(), SQL_NTS, nullptr, 0, nullptr,
                                        SQL_DRIVER_NOPROMPT))) {
        SQLAllocHandle(SQL_HANDLE_STMT, dbc, &statement);
        static SQLWCHAR value[65536];
        SQLLEN length = 0;
        value[0] = 0;
        if (SQL_SUCCEEDED(SQLExecDirectW(statement, query.data(), SQL_NTS)) && SQL_SUCCEEDED(SQLFetch(statement)) &&
            SQL_SUCCEEDED(SQLGetData(statement, 1, SQL_C_WCHAR, value, sizeof value, &length)))
            result = length == SQL_NULL_DATA ? "NULL" : from_odbc(value);
        SQLFreeHandle(SQL_HANDLE_STMT, statement);
        SQLDisconnect(dbc);
    }
    SQLFreeHandle(SQL_HANDLE_DBC, dbc);
    SQLFreeHandle(SQL_HANDLE_ENV, env);
    return result;
}

const InputDef inputs[] = {{.key = "carbs", .label = L"本餐碳水", .unit = L"g", .default_value = 60},
                           {.key = "icr", .label = L"碳水系数", .unit = L"g/U", .default_value = 10}};
const OutputDef outputs[] = {{.key = "units", .label = L"餐时胰岛素", .unit = L"U", .formula = "carbs/icr", .format = "f1"}};
const RuleDef rules[] = {{.condition = "units>20", .level = 2, .message = L"剂量较大"}, {.level = 0, .message = L"完成"}};
const Prepared tool({.id = 951, .title = L"投递测试", .input_count = 2, .inputs = inputs, .output_count = 1,
                     .outputs = outputs, .rule_count = 2, .rules = rules, .headline = "units"});

// Saves a result for the patient as Save does and queues it; its record id.
std::wstring save_and_queue(const wchar_t* id, const wchar_t* name, double carbs, const wchar_t* title = nullptr) {
    static Calculation calculation;
    static DeliveryRow row;
    const double values[] = {carbs, 10};
    tool_calculate(tool, values, &calculation);
    Patient patient = {};
    patient_set_field(&patient, PATIENT_ID, id);
    patient_set_field(&patient, PATIENT_NAME, name);
    // The stay, as the hospital system gives it, with one patient.
    if (carbs == 60) {
        patient_set_field(&patient, PATIENT_VISIT_ID, L"3");
        patient_set_field(&patient, PATIENT_ADMITTED_AT, L"2026-12-08T09:30+08:00");
    }
    RecordStamp stamp;
    wchar_t where[RECORD_PATH_CAPACITY];
    EXPECT_EQ(RECORD_SAVED, record_save(tool, calculation, patient, where, RECORD_PATH_CAPACITY, &stamp));
    delivery_row_of(tool, calculation, stamp, &row);
    if (title) text_copy(row.texts[DELIVERY_TOOL_TITLE], DELIVERY_TEXT_CAPACITY, title);
    EXPECT_TRUE(delivery_queue(row));
    return stamp.number;
}

std::string utf8(const std::wstring& text) {
    char bytes[4096];
    utf8_from_wide(text.c_str(), bytes, sizeof bytes);
    return bytes;
}

class Delivery : public testing::Test {
protected:
    std::wstring database = environment("GLYVANT_TEST_DATABASE");
    void SetUp() override {
        ASSERT_FALSE(database.empty()) << "GLYVANT_TEST_DATABASE names the test's server";
        owner_query("DELETE FROM orvomed.orvomed_record WHERE tool_id = 951 RETURNING 1");
    }
};

// Rows arrive whole and once, Chinese text and a name that is SQL as typed;
// a retry of a row already there counts as delivered and adds nothing.
TEST_F(Delivery, RowsArriveWholeAndOnce) {
    const wchar_t* names[] = {L"测试患者𠮷", L"'); DROP TABLE orvomed_record;--", L"O'Brien \"乙\"\\"};
    std::wstring ids[3];
    for (int k = 0; k < 3; k++) ids[k] = save_and_queue((L"2026" + std::to_wstring(k)).c_str(), names[k], 60 + 100 * k);
    EXPECT_EQ(3, delivery_counts().waiting);
    DeliveryReport report;
    delivery_pass(database.c_str(), &report);
    EXPECT_EQ(DELIVERY_DONE, report.problem) << report.state;
    EXPECT_EQ(3, report.delivered);
    EXPECT_EQ(0, report.left.waiting);
    for (int k = 0; k < 3; k++) {
        const std::string where = " FROM orvomed.orvomed_record WHERE record_id = '" + utf8(ids[k]) + "'";
        EXPECT_EQ(utf8(names[k]), owner_query("SELECT patient_name" + where));
        EXPECT_EQ(k == 2 ? "2" : "0", owner_query("SELECT level" + where));
        EXPECT_EQ(k == 0 ? "6" : k == 1 ? "16" : "26", owner_query("SELECT headline_value" + where));
        EXPECT_EQ(k == 0 ? "3|2026-12-08 01:30|true" : "|(none)|true",
                  owner_query("SELECT visit_id || '|' || coalesce(to_char(admitted_at AT TIME ZONE 'UTC', "
                              "'YYYY-MM-DD HH24:MI'), '(none)') || '|' || (assessed_at <= saved_at)" + where));
        EXPECT_EQ(utf8(L"本餐碳水=" + std::to_wstring(60 + 100 * k) + L"\r\n碳水系数=10"),
                  owner_query("SELECT inputs" + where));
    }
    EXPECT_EQ("3", owner_query("SELECT count(*) FROM orvomed.orvomed_record WHERE tool_id = 951"));

    // Saved twice for one patient, at its defaults and then with these,
    // the last assessment and the value column show each scale's latest
    // total, never its first item: NEWS2's breathing rate, Waterlow's
    // nutrition screen, NRS 2002's age, the medical bleeding form's single
    // factors; and a dose its verdict withholds as no value at all.
    struct Scale {
        int id;
        double values[13];
        const char* total;
        const wchar_t* shown;
        const wchar_t* outputs = L"";  // how the outputs column starts
    };
    const Scale scales[] = {{23, {26, 97, 2, 95, 120, 0, 39.5}, "11", L"　总分 11 分　高风险　测试护士"},
                            {39, {3, 1, 1, 0, 0, 2, 0, 2, 4, 0, 0, 2, 2}, "17", L"　总分 17 分　高危　测试护士"},
                            {21, {2, 1, 75}, "4", L"　总分 4 分　有营养风险　测试护士"},
                            {26, {0, 0, 0, 1, 1, 1}, "3", L"　危险因素合计 3 项　出血高危　测试护士"},
                            {10, {45, 7, 2}, "NULL", L"　血糖 ≥33.3 mmol/L　测试护士", L"校正剂量=不适用："}};
    Patient patient = {};
    patient_set_field(&patient, PATIENT_ID, L"2026001234");
    patient_set_field(&patient, PATIENT_NAME, L"测试患者甲");
    patient_set_field(&patient, NURSE_NAME, L"测试护士");
    for (const Scale& c : scales) {
        const ToolDef* described = nullptr;
        for (int t = 0; t < suite_tool_count; t++)
            if (suite_tools[t]->id == c.id) described = suite_tools[t];
        ASSERT_NE(nullptr, described);
        static PreparedTool scale;
        tool_prepare(*described, &scale);
        static Calculation result;
        RecordStamp stamp;
        for (bool given : {false, true}) {
            double values[TOOL_MAX_INPUTS] = {};
            for (int i = 0; i < scale.input_count; i++)
                values[i] = given && i < 13 ? c.values[i] : scale.inputs[i].default_value;
            tool_calculate(scale, values, &result);
            wchar_t where[RECORD_PATH_CAPACITY];
            ASSERT_EQ(RECORD_SAVED, record_save(scale, result, patient, where, RECORD_PATH_CAPACITY, &stamp));
            static DeliveryRow row;
            delivery_row_of(scale, result, stamp, &row);
            ASSERT_TRUE(delivery_queue(row));
        }
        wchar_t last[RECORD_LAST_CAPACITY];
        LocalTime now;
        platform_calls.local_time(&now);
        ASSERT_TRUE(record_last_assessment(scale, patient, now, last, RECORD_LAST_CAPACITY));
        EXPECT_NE(nullptr, wcsstr(last, c.shown)) << c.id << ": " << last;
        delivery_pass(database.c_str(), &report);
        const std::string arrived = " FROM orvomed.orvomed_record WHERE record_id = '" + utf8(stamp.number) + "'";
        EXPECT_EQ(c.total, owner_query("SELECT headline_value" + arrived)) << c.id;
        EXPECT_EQ(0u, owner_query("SELECT outputs" + arrived).rfind(utf8(c.outputs), 0)) << c.id;
    }

    // The longest texts a result can hold arrive whole, beyond the 4,000
    // characters of an ordinary text parameter: the server's checks leave
    // room for every real result.
    static DeliveryRow longest;
    static Calculation calculation;
    const double values[] = {60, 10};
    tool_calculate(tool, values, &calculation);
    RecordStamp stamp = {};
    text_copy(stamp.number, RECORD_NUMBER_CAPACITY, L"00000000-0000-4000-8000-000000000123");
    platform_calls.local_time(&stamp.time);
    stamp.assessed = stamp.time;
    delivery_row_of(tool, calculation, stamp, &longest);
    const int lengths[][2] = {{DELIVERY_RESULT_TEXT, DELIVERY_TEXT_CAPACITY - 1},
                              {DELIVERY_INPUTS, TOOL_MAX_INPUTS * (RECORD_INPUT_FIELD_LIMIT + 2)},
                              {DELIVERY_OUTPUTS, TOOL_MAX_OUTPUTS * RESULT_LINE_CAPACITY},
                              {DELIVERY_VERDICT, VERDICT_CAPACITY - 1}};
    for (const auto& l : lengths) text_copy(longest.texts[l[0]], DELIVERY_TEXT_CAPACITY, std::wstring(l[1], L'长').c_str());
    ASSERT_TRUE(delivery_queue(longest));
    delivery_pass(database.c_str(), &report);
    EXPECT_EQ(DELIVERY_DONE, report.problem) << report.state;
    EXPECT_EQ(0, report.rejected) << report.left.cause;
    EXPECT_EQ(std::to_string(DELIVERY_TEXT_CAPACITY - 1) + "|" + std::to_string(VERDICT_CAPACITY - 1),
              owner_query("SELECT length(result_text) || '|' || length(verdict) FROM orvomed.orvomed_record "
                          "WHERE record_id = '00000000-0000-4000-8000-000000000123'"));

    // The answer to an insert was lost: the file is still there, claimed by
    // a program that has ended. Delivered again, the row is not doubled.
    static DeliveryRow row;
    text_copy(stamp.number, RECORD_NUMBER_CAPACITY, ids[0].c_str());
    delivery_row_of(tool, calculation, stamp, &row);
    ASSERT_TRUE(delivery_queue(row));
    wchar_t outbox[RECORD_PATH_CAPACITY], from[RECORD_PATH_CAPACITY], to[RECORD_PATH_CAPACITY];
    store_suite_path(L"outbox", outbox, RECORD_PATH_CAPACITY);
    text_format(from, RECORD_PATH_CAPACITY, L"%ls%lc%ls.row", outbox, PLATFORM_PATH_SEPARATOR, ids[0].c_str());
    text_format(to, RECORD_PATH_CAPACITY, L"%ls%lc%ls.row.999999", outbox, PLATFORM_PATH_SEPARATOR, ids[0].c_str());
    ASSERT_TRUE(platform_calls.move_over(from, to));
    delivery_pass(database.c_str(), &report);
    EXPECT_EQ(DELIVERY_DONE, report.problem) << report.state;
    EXPECT_EQ(1, report.delivered);
    EXPECT_EQ("4", owner_query("SELECT count(*) FROM orvomed.orvomed_record WHERE tool_id = 951"));
}

// Each fault of the connection is named, and the rows wait for the next
// pass; a pass that can deliver again delivers them once.
TEST_F(Delivery, ProblemsAreNamedAndRowsWait) {
    save_and_queue(L"2026100", L"测试患者丙", 60);
    std::wstring port = environment("GLYVANT_TEST_DATABASE_PORT"), owner = environment("GLYVANT_TEST_DATABASE_ADMIN");
    // The owner in a database of the server without the table.
    std::wstring elsewhere = owner.replace(owner.find(L"Database=orvomed"), 16, L"Database=postgres");
    struct Case {
        std::wstring connection;
        DeliveryProblem problem;
    };
    const Case cases[] = {
        {L"Driver={No Such Driver};Server=127.0.0.1;", DELIVERY_NO_DRIVER},
        {L"Driver={PostgreSQL Unicode};Server=127.0.0.1;Port=1;Database=orvomed;Uid=orvomed_writer;Pwd=x;",
         DELIVERY_UNREACHABLE},
        {database.substr(0, database.find(L"Pwd=")) + L"Pwd=wrong;" + database.substr(database.find(L";", database.find(L"Pwd=")) + 1),
         DELIVERY_LOGIN_REFUSED},
        // Not encrypted, to a server that takes only encrypted connections.
        {L"Driver={PostgreSQL Unicode};Server=127.0.0.1;Port=" + port + L";Database=orvomed;Uid=orvomed_writer;Pwd=x;",
         DELIVERY_LOGIN_REFUSED},
        {elsewhere, DELIVERY_NO_TABLE},
    };
    for (const Case& c : cases) {
        DeliveryReport report;
        delivery_pass(c.connection.c_str(), &report);
        EXPECT_EQ(c.problem, report.problem) << utf8(c.connection) << " " << report.state;
        EXPECT_EQ(0, report.delivered);
        EXPECT_EQ(1, report.left.waiting);
    }
    // A row the server refuses (a title longer than its column) holds up
    // none of the 19 behind it: set aside with the server's reason, told.
    std::wstring ids[20];
    for (int k = 0; k < 20; k++)
        ids[k] = save_and_queue((L"2026200" + std::to_wstring(k)).c_str(), L"测试患者丁", 60,
                                k == 2 ? std::wstring(201, L'长').c_str() : nullptr);
    DeliveryReport report;
    delivery_pass(database.c_str(), &report);
    EXPECT_EQ(DELIVERY_DONE, report.problem) << report.state;
    EXPECT_EQ(20, report.delivered);  // the one of the cases above too
    EXPECT_EQ(1, report.rejected);
    EXPECT_EQ(0, report.left.waiting);
    EXPECT_EQ(DELIVERY_ROW_REJECTED, delivery_row_state(ids[2].c_str()));
    EXPECT_STREQ(L"文本超出数据库列的长度（22001）", report.left.cause);
    EXPECT_EQ("20", owner_query("SELECT count(*) FROM orvomed.orvomed_record WHERE tool_id = 951"));
    wchar_t rejected[RECORD_PATH_CAPACITY];
    store_suite_path(DELIVERY_REJECTED_FOLDER, rejected, RECORD_PATH_CAPACITY);
    for (const wchar_t* suffix : {L".row", L".reason.txt"}) {
        std::wstring path = std::wstring(rejected) + PLATFORM_PATH_SEPARATOR + ids[2] + suffix;
        EXPECT_TRUE(platform_calls.file_exists(path.c_str()));
        platform_calls.remove_file(path.c_str());
    }
}

}  // namespace
