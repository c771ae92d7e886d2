// What Save and the self-test report when a file operation fails, and what
// is left on disk: each fault made through the seam's table, in both builds.
#include <gtest/gtest.h>

#include <filesystem>
#include <iterator>
#include <regex>
#include <string>

#include "store/store.h"
#include "support/file_bytes.h"
#include "support/prepared_tool.h"

namespace {

// ---- The faults ------------------------------------------------------------------
// Each stands in for one system call and does the real call for what it does
// not break, so the file on disk is what the system would leave.

std::wstring data_folder;  // stands in for the per-user data folder

bool test_data_folder(wchar_t* folder, int capacity) {
    return text_copy(folder, capacity, data_folder.c_str()) == (int)data_folder.size();
}
bool no_data_folder(wchar_t* folder, int) {
    folder[0] = 0;
    return false;
}
// A data folder the record file's path would not fit behind: a cut path
// would name another file.
bool long_data_folder(wchar_t* folder, int capacity) {
    const std::wstring longer = data_folder + std::wstring(500, L'd');
    return text_copy(folder, capacity, longer.c_str()) == (int)longer.size();
}
PlatformFile creating_fails(const wchar_t* path, PlatformOpening how, PlatformStatus* status) {
    if (how == PLATFORM_APPEND_EXISTING) return platform_system_calls.open_file(path, how, status);
    *status = PLATFORM_FAILED;
    return PLATFORM_NO_FILE;
}
PlatformFile held_by_another_program(const wchar_t* path, PlatformOpening how, PlatformStatus* status) {
    if (how != PLATFORM_APPEND_EXISTING) return platform_system_calls.open_file(path, how, status);
    *status = PLATFORM_IN_USE;
    return PLATFORM_NO_FILE;
}
bool linking_fails(const wchar_t*, const wchar_t*) { return false; }
int disk_full(PlatformFile, const char*, int) { return 0; }
int cut_short(PlatformFile file, const char* bytes, int count) {
    return platform_system_calls.write_file(file, bytes, count / 2);
}
// The disk does not confirm what the system took: a pulled plug, a failing disk.
bool flushing_fails(PlatformFile) { return false; }
bool closing_fails(PlatformFile file) {
    platform_system_calls.close_file(file);
    return false;
}

enum Fault { CREATE_FAILS, LINK_FAILS, WRITE_CUT_SHORT, FLUSH_FAILS, CLOSE_FAILS, IN_USE, DISK_FULL,
             NO_DATA_FOLDER, LONG_DATA_FOLDER };

void inject(Fault fault) {
    switch (fault) {
    case CREATE_FAILS: platform_calls.open_file = creating_fails; break;
    case LINK_FAILS: platform_calls.link_file = linking_fails; break;
    case WRITE_CUT_SHORT: platform_calls.write_file = cut_short; break;
    case FLUSH_FAILS: platform_calls.flush_file = flushing_fails; break;
    case CLOSE_FAILS: platform_calls.close_file = closing_fails; break;
    case IN_USE: platform_calls.open_file = held_by_another_program; break;
    case DISK_FULL: platform_calls.write_file = disk_full; break;
    case NO_DATA_FOLDER: platform_calls.user_data_folder = no_data_folder; break;
    case LONG_DATA_FOLDER: platform_calls.user_data_folder = long_data_folder; break;
    }
}

// What a case leaves on disk.
enum Left { ABSENT, UNCHANGED, EMPTY, ONE_ROW_MORE };

class StoreFaults : public testing::Test {
protected:
    void SetUp() override {
        // In the current folder, one per process: the native tests run side by side.
        data_folder = L"faults_" + std::to_wstring(platform_system_calls.process_id());
        platform_calls = platform_system_calls;
        platform_calls.user_data_folder = test_data_folder;
    }
    void TearDown() override {
        platform_calls = platform_system_calls;
        std::filesystem::remove_all(data_folder);
    }
};

const InputDef inputs[] = {{.key = "carbs", .label = L"本餐碳水", .default_value = 60}};
const Prepared tool({.id = 906, .title = L"故障测试", .input_count = 1, .inputs = inputs});

std::wstring record_file() {
    const wchar_t s = PLATFORM_PATH_SEPARATOR;
    return data_folder + s + L"OrvoMedSuite" + s + L"records" + s + L"T906.csv";
}

// Every row ends with its save time and UTC offset; its result field
// before holds line breaks.
int rows_in(const std::string& bytes) {
    if (bytes == "(missing)") return -1;
    // The assessment's time, the headline and the due time end a row.
    static const std::regex row_end("T[0-9]{2}:[0-9]{2}:[0-9]{2}[+-][0-9]{2}:[0-9]{2},[^,\r\n]*,[^,\r\n]*\r\n");
    return (int)std::distance(std::sregex_iterator(bytes.begin(), bytes.end(), row_end), std::sregex_iterator());
}

RecordOutcome save() {
    static Calculation calculation;
    const double values[] = {60};
    tool_calculate(tool, values, &calculation);
    wchar_t where[RECORD_PATH_CAPACITY];
    return record_save(tool, calculation, Patient{}, where, RECORD_PATH_CAPACITY);
}

TEST_F(StoreFaults, SaveTellsTheFailureAndLeavesNoHalfRow) {
    struct Case {
        Fault fault;
        bool file_existed;
        RecordOutcome outcome;
        Left left;
    };
    const Case cases[] = {
        {CREATE_FAILS, false, RECORD_NOT_WRITTEN, ABSENT},
        {LINK_FAILS, false, RECORD_NOT_WRITTEN, ABSENT},
        {DISK_FULL, false, RECORD_NOT_WRITTEN, ABSENT},
        {FLUSH_FAILS, false, RECORD_NOT_WRITTEN, ABSENT},
        {NO_DATA_FOLDER, false, RECORD_NO_DATA_FOLDER, ABSENT},
        {LONG_DATA_FOLDER, false, RECORD_NOT_WRITTEN, ABSENT},
        {DISK_FULL, true, RECORD_NOT_WRITTEN, UNCHANGED},
        {WRITE_CUT_SHORT, true, RECORD_NOT_WRITTEN, UNCHANGED},
        {IN_USE, true, RECORD_FILE_IN_USE, UNCHANGED},
        // Not confirmed on the disk: taken back, so the next Save adds it once.
        {FLUSH_FAILS, true, RECORD_NOT_WRITTEN, UNCHANGED},
        // The row went out, but the system did not confirm it: not claimed.
        {CLOSE_FAILS, true, RECORD_NOT_WRITTEN, ONE_ROW_MORE},
    };
    const std::wstring path = record_file();
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "fault " << c.fault << ", file existed " << c.file_existed);
        platform_calls.remove_file(path.c_str());
        if (c.file_existed) {
            ASSERT_EQ(RECORD_SAVED, save());
        }
        const std::string before = file_bytes(path.c_str());

        inject(c.fault);
        EXPECT_EQ(c.outcome, save());
        platform_calls = platform_system_calls;
        platform_calls.user_data_folder = test_data_folder;

        const std::string after = file_bytes(path.c_str());
        switch (c.left) {
        case ABSENT: EXPECT_EQ("(missing)", after); break;
        case UNCHANGED: EXPECT_EQ(before, after); break;
        default: EXPECT_EQ(rows_in(before) + 1, rows_in(after)); break;
        }
        // No private file is left beside the record file.
        std::wstring temporary = path + L"." + std::to_wstring(platform_system_calls.process_id()) + L".new";
        EXPECT_EQ("(missing)", file_bytes(temporary.c_str()));

        // Once the fault is gone, the next save adds exactly one whole row.
        ASSERT_EQ(RECORD_SAVED, save());
        const std::string healed = file_bytes(path.c_str());
        EXPECT_EQ(rows_in(after) == -1 ? 1 : rows_in(after) + 1, rows_in(healed));
        EXPECT_EQ(0u, healed.find("\xEF\xBB\xBF"));
        EXPECT_EQ("\r\n", healed.substr(healed.size() - 2));
    }
}

// A report not written whole is emptied, and the run exits with 3.
TEST_F(StoreFaults, SelftestReportIsWholeOrEmpty) {
    struct Case {
        Fault fault;
        Left left;
    };
    const Case cases[] = {
        {CREATE_FAILS, UNCHANGED}, {DISK_FULL, EMPTY}, {WRITE_CUT_SHORT, EMPTY}, {CLOSE_FAILS, EMPTY},
    };
    std::filesystem::create_directory(data_folder);
    const std::wstring report = data_folder + PLATFORM_PATH_SEPARATOR + L"report.txt";
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "fault " << c.fault);
        ASSERT_TRUE(write_utf8_file(report.c_str(), L"an earlier report\r\n"));
        inject(c.fault);
        EXPECT_EQ(EXIT_REPORT_NOT_WRITTEN, run_selftest(report.c_str()));
        platform_calls = platform_system_calls;
        EXPECT_EQ(c.left == EMPTY ? "" : "an earlier report\r\n", file_bytes(report.c_str()));
    }
    EXPECT_EQ(EXIT_OK, run_selftest(report.c_str()));
    EXPECT_EQ(0u, file_bytes(report.c_str()).find("TOOL|9|Glyvant|"));
}

}  // namespace
