// The delivery's decisions with a database that answers as the test says,
// through the database seam, natively and under Wine: a refused row set
// aside while the others arrive, a server that stops answering, a key
// already there, files left by a crash or by an older version, claims of
// programs that ended, however many files wait.
#include <gtest/gtest.h>

#include <sstream>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <wchar.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "delivery/delivery.h"
#include "support/test_data_folder.h"

namespace {

// What the server does with each row, by record number; the rows it
// committed, in the order it did.
struct FakeServer {
    DatabaseAnswer connect_answer;
    std::map<std::wstring, DatabaseAnswer> refusals;
    bool commits;
    std::wstring pending;
    std::vector<std::wstring> committed;
} server;

const DatabaseAnswer DONE = {DATABASE_DONE, "", 0, L""};

DatabaseLink fake_connect(const wchar_t*, int, DatabaseAnswer* answer) {
    *answer = server.connect_answer;
    return answer->outcome == DATABASE_DONE ? 1 : DATABASE_NO_LINK;
}
void fake_execute(DatabaseLink, const wchar_t*, const DatabaseParameter* parameters, int, int, DatabaseAnswer* answer) {
    server.pending = parameters[DELIVERY_RECORD_ID].text;
    auto refusal = server.refusals.find(server.pending);
    *answer = refusal == server.refusals.end() ? DONE : refusal->second;
    // A key already there: as a server answers the row an earlier pass committed.
    for (const std::wstring& done : server.committed)
        if (done == server.pending) *answer = {DATABASE_FAILED, "23505", 0, L"duplicate key"};
}
void fake_end(DatabaseLink, bool commit, int, DatabaseAnswer* answer) {
    *answer = server.commits ? DONE : DatabaseAnswer{DATABASE_FAILED, "08S01", 0, L"link lost"};
    if (commit && server.commits) server.committed.push_back(server.pending);
}
void fake_disconnect(DatabaseLink) {}

// Processes the tests say run: their id and start.
std::map<unsigned long, uint64_t> running;
bool fake_start_time(unsigned long id, uint64_t* started) {
    if (id == platform_system_calls.process_id()) return platform_system_calls.process_start_time(id, started);
    auto found = running.find(id);
    if (found == running.end()) return false;
    *started = found->second;
    return true;
}

// Files the tests say were written ten minutes ago: a crash's, or before the others.
std::vector<std::wstring> aged;
void (*scanned)(const wchar_t*, int64_t, void*);
int aging_scan(const wchar_t* folder, void (*each)(const wchar_t*, int64_t, void*), void* context) {
    scanned = each;
    return platform_system_calls.scan_folder(folder, [](const wchar_t* name, int64_t written, void* with) {
        scanned(name, written - std::count(aged.begin(), aged.end(), name) * 600 * PLATFORM_TICKS_PER_SECOND, with);
    }, context);
}

std::wstring record(int n) {
    wchar_t id[RECORD_NUMBER_CAPACITY];
    text_format(id, RECORD_NUMBER_CAPACITY, L"00000000-0000-4000-8000-%012d", n);
    return id;
}

std::wstring path_in(const wchar_t* folder, const std::wstring& name) {
    wchar_t path[RECORD_PATH_CAPACITY];
    store_suite_path(folder, path, RECORD_PATH_CAPACITY);
    return std::wstring(path) + PLATFORM_PATH_SEPARATOR + name;
}

std::string file_text(const std::wstring& path) {
    static char bytes[65536];
    int n = platform_read_small_file(path.c_str(), bytes, sizeof bytes);
    return n < 0 ? "(none)" : std::string(bytes, (size_t)n);
}

void write_file(const std::wstring& path, const std::string& bytes) {
    ASSERT_TRUE(platform_replace_file(path.c_str(), bytes.data(), (int)bytes.size()));
}

std::string row_text(int n) {
    static DeliveryRow row;
    row = {};
    text_copy(row.texts[DELIVERY_RECORD_ID], DELIVERY_TEXT_CAPACITY, record(n).c_str());
    text_copy(row.texts[DELIVERY_PATIENT_NAME], DELIVERY_TEXT_CAPACITY, L"测试患者");
    row.tool_id = 18;
    static char bytes[65536];
    int length = delivery_file_text(row, bytes, sizeof bytes);
    return std::string(bytes, (size_t)length);
}

void remove_all(const wchar_t* folder) {
    wchar_t path[RECORD_PATH_CAPACITY];
    store_suite_path(folder, path, RECORD_PATH_CAPACITY);
    platform_calls.scan_folder(
        path, [](const wchar_t* name, int64_t, void* where) {
            platform_calls.remove_file(path_in((const wchar_t*)where, name).c_str());
        },
        (void*)folder);
}

class DeliveryDecisions : public testing::Test {
protected:
    void SetUp() override {
        use_test_data_folder();
        server = {DONE, {}, true, L"", {}};
        running.clear();
        database_calls = {fake_connect, fake_execute, fake_end, fake_disconnect, nullptr};
        platform_calls.process_start_time = fake_start_time;
        platform_calls.scan_folder = aging_scan;
        aged.clear();
        remove_all(DELIVERY_OUTBOX_FOLDER);
        remove_all(DELIVERY_REJECTED_FOLDER);
        wchar_t outbox[RECORD_PATH_CAPACITY];
        store_suite_folder(DELIVERY_OUTBOX_FOLDER, outbox, RECORD_PATH_CAPACITY);
    }
    void TearDown() override {
        database_calls = database_system_calls;
        platform_calls = platform_system_calls;
    }
    void queue(int first, int last) {
        for (int n = first; n <= last; n++) write_file(path_in(DELIVERY_OUTBOX_FOLDER, record(n) + L".row"), row_text(n));
    }
    DeliveryReport pass() {
        DeliveryReport report;
        delivery_pass(L"Driver={Fake};", &report);
        return report;
    }
};

// One row the server refuses is set aside with its reason, told, and the
// others all arrive, oldest first, in the same pass and however many wait.
TEST_F(DeliveryDecisions, ARefusedRowHoldsUpNoOther) {
    queue(1, 300);
    aged = {record(300) + L".row"};
    server.refusals[record(3)] = {DATABASE_FAILED, "22001", 0, L"value too long for type character varying(200)"};
    DeliveryReport report = pass();
    EXPECT_EQ(DELIVERY_DONE, report.problem);
    EXPECT_EQ(299, report.delivered);
    EXPECT_EQ(1, report.rejected);
    EXPECT_EQ(0, report.left.waiting);
    EXPECT_EQ(1, report.left.rejected);
    EXPECT_EQ(299u, server.committed.size());
    EXPECT_EQ(record(300), server.committed.front());
    EXPECT_TRUE(std::is_sorted(server.committed.begin() + 1, server.committed.end()));
    EXPECT_EQ(DELIVERY_ROW_REJECTED, delivery_row_state(record(3).c_str()));
    EXPECT_EQ(DELIVERY_ROW_DELIVERED, delivery_row_state(record(4).c_str()));
    std::string reason = file_text(path_in(DELIVERY_REJECTED_FOLDER, record(3) + L".reason.txt"));
    EXPECT_NE(std::string::npos, reason.find("SQLSTATE: 22001")) << reason;
    EXPECT_NE(std::string::npos, reason.find("value too long")) << reason;
    wchar_t status[256];
    const DeliveryRowState refused = DELIVERY_ROW_REJECTED;
    EXPECT_TRUE(delivery_status(report, &refused, status, 256));
    EXPECT_STREQ(L"已保存到本机；1 条被医院数据库拒收，已留存本机：文本超出数据库列的长度（22001）", status);
    // A pass of its own, in any program, still tells what lies set aside.
    EXPECT_TRUE(delivery_status(pass(), nullptr, status, 256));
    EXPECT_STREQ(L"1 条被医院数据库拒收，已留存本机：文本超出数据库列的长度（22001）", status);
    // Moved back once mended, it goes, once.
    server.refusals.clear();
    ASSERT_TRUE(platform_calls.move_over(path_in(DELIVERY_REJECTED_FOLDER, record(3) + L".row").c_str(),
                                         path_in(DELIVERY_OUTBOX_FOLDER, record(3) + L".row").c_str()));
    report = pass();
    EXPECT_EQ(1, report.delivered);
    EXPECT_EQ(300u, server.committed.size());
}

// What the server answers, and what the pass makes of it.
TEST_F(DeliveryDecisions, EachAnswerComesToItsOwnOutcome) {
    struct Case {
        DatabaseAnswer connect, insert;
        DeliveryProblem problem;
        int delivered, rejected, waiting;
    };
    const Case cases[] = {
        {{DATABASE_FAILED, "IM002", 0, L"[unixODBC][Driver Manager]Data source name not found"}, DONE,
         DELIVERY_NO_DRIVER, 0, 0, 2},
        // A server's words that merely hold the word "driver".
        {{DATABASE_FAILED, "08001", 0, L"could not connect to server: the driver's host is down"}, DONE,
         DELIVERY_UNREACHABLE, 0, 0, 2},
        {{DATABASE_FAILED, "28P01", 0, L"password authentication failed"}, DONE, DELIVERY_LOGIN_REFUSED, 0, 0, 2},
        {{DATABASE_FAILED, "08001", 0, L"server certificate for \"localhost\" does not match host name"}, DONE,
         DELIVERY_CERTIFICATE_REFUSED, 0, 0, 2},
        {DONE, {DATABASE_FAILED, "42P01", 0, L"relation does not exist"}, DELIVERY_NO_TABLE, 0, 0, 2},
        // A column missing is no table missing, and every row waits for it.
        {DONE, {DATABASE_FAILED, "42703", 0, L"column \"bed\" does not exist"}, DELIVERY_TABLE_MISMATCH, 0, 0, 2},
        {DONE, {DATABASE_FAILED, "08S01", 0, L"connection lost"}, DELIVERY_UNREACHABLE, 0, 0, 2},
        {DONE, {DATABASE_NO_ANSWER, "HYT00", 0, L""}, DELIVERY_NO_ANSWER, 0, 0, 2},
        {DONE, {DATABASE_FAILED, "57014", 0, L"canceling statement due to statement timeout"}, DELIVERY_NO_ANSWER, 0,
         0, 2},
        // The rows' own faults: set aside, both of them, and the pass goes on.
        {DONE, {DATABASE_FAILED, "23514", 0, L"violates check constraint"}, DELIVERY_DONE, 0, 2, 0},
        {DONE, {DATABASE_FAILED, "22007", 0, L"invalid input syntax for type timestamp"}, DELIVERY_DONE, 0, 2, 0},
        {DONE, {DATABASE_FAILED, "23505", 0, L"duplicate key value"}, DELIVERY_DONE, 2, 0, 0},
    };
    for (const Case& c : cases) {
        SetUp();
        queue(1, 2);
        server.connect_answer = c.connect;
        for (int n = 1; n <= 2; n++) server.refusals[record(n)] = c.insert;
        DeliveryReport report = pass();
        EXPECT_EQ(c.problem, report.problem) << c.connect.state << " " << c.insert.state;
        EXPECT_EQ(c.delivered, report.delivered) << c.insert.state;
        EXPECT_EQ(c.rejected, report.left.rejected) << c.insert.state;
        EXPECT_EQ(c.waiting, report.left.waiting) << c.insert.state;
        // A row that waits is back under its own name, claimed by no one.
        if (c.waiting) {
            EXPECT_NE("(none)", file_text(path_in(DELIVERY_OUTBOX_FOLDER, record(1) + L".row"))) << c.insert.state;
        }
    }
    // A commit the server does not confirm leaves the file for a retry.
    SetUp();
    queue(1, 1);
    server.commits = false;
    EXPECT_EQ(DELIVERY_UNREACHABLE, pass().problem);
    server.commits = true;
    EXPECT_EQ(1, pass().delivered);
}

// Files of a crash, of a program that ended, of one whose id another took
// since, and of the previous version: each sent or set aside and told,
// never dropped nor left for ever; a running program's claim stays its own.
TEST_F(DeliveryDecisions, LeftoversAreSentOrSetAside) {
    running[4242] = 7;  // a program delivering now
    running[5151] = 9;  // a program that took the id of one that ended
    // The first format: no format line, no stay, the first output's value.
    std::string first_format;
    std::istringstream lines(row_text(5));
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind("format=", 0) == 0 || line.rfind("visit_id=", 0) == 0 || line.rfind("admitted_at=", 0) == 0 ||
            line.rfind("assessed_at=", 0) == 0 || line.rfind("due_at=", 0) == 0)
            continue;
        if (line.rfind("headline_value=", 0) == 0) line = "first_value=" + line.substr(15);
        first_format += line + "\n";
    }
    struct File {
        std::wstring name;
        std::string bytes;
    };
    const File files[] = {
        {record(1) + L".row.4242-7", row_text(1)},   // claimed by a running program: stays
        {record(2) + L".row.5151-3", row_text(2)},   // its program ended; the id taken since
        {record(3) + L".row.9999-1", row_text(3)},   // its program ended
        {record(4) + L".row.9998.new", row_text(4)},  // written whole by a program that died
        {record(5) + L".row", first_format},         // queued by the previous version
        {record(6) + L".row.9997", row_text(6)},     // claimed by a program of the previous version
        {record(7) + L".row.9996.new", "format=2\nrecord_id=00000000-0000-4000-8000-0000000"},  // torn
        {record(8) + L".row.4242.new", "format=2\nrecord_id="},  // being written now
        {record(9) + L".row", "format=5\nrecord_id=a\n"},  // of a later version: for it to send
        {record(10) + L".row.4242.new", row_text(10)},  // a crash's long ago, the id a running program's now
        {record(11) + L".row.4242.new", "format=2\nrecord_id="},  // the same, torn
    };
    for (const File& f : files) write_file(path_in(DELIVERY_OUTBOX_FOLDER, f.name), f.bytes);
    aged = {files[9].name, files[10].name};
    EXPECT_EQ(10, delivery_counts().waiting);  // all but the file being written now
    DeliveryReport report = pass();
    EXPECT_EQ(DELIVERY_DONE, report.problem);
    EXPECT_EQ(6, report.delivered);
    std::vector<std::wstring> expected = {record(2), record(3), record(4), record(5), record(6), record(10)};
    std::sort(server.committed.begin(), server.committed.end());
    EXPECT_EQ(expected, server.committed);
    EXPECT_EQ(DELIVERY_ROW_REJECTED, delivery_row_state(record(7).c_str()));
    EXPECT_EQ(2, report.left.waiting);  // the running program's claim, the later version's file
    wchar_t status[256];  // torn files the server never saw: not told as rows it refused
    EXPECT_TRUE(delivery_status(report, nullptr, status, 256));
    EXPECT_STREQ(L"2 个待上传文件已损坏，已留存本机", status);
    EXPECT_NE("(none)", file_text(path_in(DELIVERY_OUTBOX_FOLDER, files[0].name)));
    EXPECT_NE("(none)", file_text(path_in(DELIVERY_OUTBOX_FOLDER, record(9) + L".row")));
}

}  // namespace
