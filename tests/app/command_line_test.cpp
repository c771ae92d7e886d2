// The command-line rules over whole command lines, as Windows hands them over.
#include <gtest/gtest.h>

#include <string>
#include <wchar.h>

#include "app/app.h"
#include "platform/platform.h"
#include "store/store.h"
#include "support/test_data_folder.h"

namespace {

TEST(CommandLine, SelftestSwitchAndReportPath) {
    struct Case {
        const wchar_t* command_line;
        bool found;
        const wchar_t* path;
    };
    const Case cases[] = {
        {L"Glyvant.exe", false, L""},
        {L"\"C:\\Program Files\\Glyvant.exe\" --SELFTEST out.txt", false, L""},
        {L"Glyvant.exe -selftest out.txt", false, L""},
        {L"Glyvant.exe --selftest", true, L"selftest.txt"},
        {L"Glyvant.exe --selftest    ", true, L"selftest.txt"},
        {L"Glyvant.exe --selftest out.txt", true, L"out.txt"},
        {L"Glyvant.exe --selftest   out.txt  extra", true, L"out.txt"},
        {L"Glyvant.exe --selftest \"my report.txt\"", true, L"my report.txt"},
        {L"Glyvant.exe --selftest \"my report.txt\" extra", true, L"my report.txt"},
        {L"Glyvant.exe --selftest my report.txt", true, L"my"},
        {L"Glyvant.exe --selftest \"my report.txt", true, L"my report.txt"},  // runs to the end
        {L"Glyvant.exe --selftest \"\"", true, L"selftest.txt"},
        {L"Glyvant.exe --selftest\tout.txt", true, L"out.txt"},
        {L"Glyvant.exe --bed=3 --selftest out.txt", true, L"out.txt"},
        {L"Glyvant.exe --selftest C:\\报告\\自检.txt", true, L"C:\\报告\\自检.txt"},
        // Only a whole argument is the switch: never text inside another
        // argument's value, nor the program's own path.
        {L"Glyvant.exe --selftestglued.txt", false, L""},
        {L"Glyvant.exe x--selftest--selftest y", false, L""},
        {L"Glyvant.exe \"--patient-name=--selftest C:\\Users\\Public\\x y\"", false, L""},
        {L"Glyvant.exe --patient-name=\"--selftest \\\\server\\share\\x\"", false, L""},
        {L"Glyvant.exe --patient-name=甲 \" --selftest\"", false, L""},
        {L"C:\\ward--selftest\\Glyvant.exe out.txt", false, L""},
        {L"\"C:\\ward --selftest\\Glyvant.exe\" --selftest out.txt", true, L"out.txt"},
    };
    for (const Case& c : cases) {
        wchar_t path[SELFTEST_PATH_CAPACITY];
        path[0] = L'#';
        EXPECT_EQ(c.found, command_line_selftest_path(c.command_line, path, SELFTEST_PATH_CAPACITY))
            << testing::PrintToString(std::wstring(c.command_line));
        EXPECT_EQ(std::wstring(c.path), std::wstring(path))
            << testing::PrintToString(std::wstring(c.command_line));
    }
}

TEST(CommandLine, ReportPathIsCutAt519Characters) {
    const std::wstring long_path(600, L'd');
    struct Case {
        std::wstring command_line;
        std::wstring path;
    };
    const Case cases[] = {
        {L"Glyvant.exe --selftest " + long_path, long_path.substr(0, 519)},
        {L"Glyvant.exe --selftest \"" + long_path + L"\"", long_path.substr(0, 519)},
        {L"Glyvant.exe --selftest " + long_path.substr(0, 519), long_path.substr(0, 519)},
        {L"Glyvant.exe --selftest " + long_path.substr(0, 518), long_path.substr(0, 518)},
    };
    for (const Case& c : cases) {
        wchar_t path[SELFTEST_PATH_CAPACITY + 8];
        for (wchar_t& ch : path) ch = L'#';
        EXPECT_TRUE(command_line_selftest_path(c.command_line.c_str(), path, SELFTEST_PATH_CAPACITY));
        EXPECT_EQ(c.path, std::wstring(path));
        EXPECT_EQ(L'#', path[SELFTEST_PATH_CAPACITY]);
    }
}

TEST(CommandLine, ArgumentsJoinAsWindowsPassesThem) {
    const wchar_t* plain[] = {L"glyvant", L"--selftest", L"out.txt"};
    const wchar_t* spaced[] = {L"/opt/my tools/glyvant", L"--selftest", L"my report.txt"};
    const wchar_t* alone[] = {L"glyvant"};
    struct Case {
        const wchar_t* const* arguments;
        int count;
        const wchar_t* joined;
    };
    const Case cases[] = {
        {plain, 3, L"glyvant --selftest out.txt"},
        {spaced, 3, L"\"/opt/my tools/glyvant\" --selftest \"my report.txt\""},
        {alone, 1, L"glyvant"},
        {plain, 0, L""},
    };
    for (const Case& c : cases) {
        wchar_t joined[128];
        EXPECT_EQ((int)std::wstring(c.joined).size(), command_line_join(c.arguments, c.count, joined, 128));
        EXPECT_STREQ(c.joined, joined);
    }
    // Joined and read back, a spaced report path arrives whole.
    wchar_t joined[128], path[SELFTEST_PATH_CAPACITY];
    command_line_join(spaced, 3, joined, 128);
    ASSERT_TRUE(command_line_selftest_path(joined, path, SELFTEST_PATH_CAPACITY));
    EXPECT_STREQ(L"my report.txt", path);
    EXPECT_EQ(9, command_line_join(plain, 3, joined, 10));
    EXPECT_STREQ(L"glyvant -", joined);
}

}  // namespace

// What a hospital system starts a tool with: the patient and the inputs it
// knows, and every argument not taken as it stands named in the complaint.
TEST(StartRequest, PatientAndInputsFromTheCommandLine) {
    static const InputChoice levels[] = {{L"完全受限", 1}, {L"大部分受限", 2}, {L"轻度受限", 3}};
    static const InputDef inputs[] = {
        {.key = "age", .label = L"年龄", .unit = L"岁", .min = 0, .max = 120, .decimals = 0},
        {.key = "sensory", .label = L"感知能力", .choices = levels, .choice_count = 3},
        {.key = "surgery", .label = L"大手术", .box = true, .points = 2},
    };
    static PreparedTool tool;
    tool_prepare({.id = 18, .title = L"测试", .input_count = 3, .inputs = inputs}, &tool);
    struct Case {
        const wchar_t* command_line;
        const wchar_t* patient_line;  // as the band shows it
        const wchar_t* presets[3];    // nullptr: not given
        const wchar_t* complaint;     // a piece of it; "" when there is none
        std::string file = {};        // the bytes of p.txt, when the case writes it
    };
    const std::string sound_file = "\xef\xbb\xbfpatient-id=2026001234\r\npatient-name=测试乙\r\n";
    const Case cases[] = {
        {L"T018.exe --patient-id=2026001234 \"--patient-name=测试 患者\" --bed=12 --ward=普外一科 --set=age=70 "
         L"--set=sensory=2 --set=surgery=1",
         L"测试 患者\x3000住院号 2026001234\x3000" L"12 床\x3000普外一科", {L"70", L"2", L"1"}, L""},
        // Quotes and backslashes as Windows programs split them.
        {L"\"C:\\Program Files\\T018.exe\" --patient-id=A\\\\B \"--patient-name=\\\"甲\\\"\"",
         L"\"甲\"\x3000住院号 A\\\\B", {}, L""},
        // A value outside the limits stands as sent, and is told; so is one that is no number.
        {L"T018.exe --set=age=200", L"", {L"200"}, L"--set=age=200：第 1 项“年龄”须在 0–120 岁 之间（当前 200）"},
        {L"T018.exe --set=age=abc", L"", {L"abc"}, L"--set=age=abc：第 1 项“年龄”须为数字"},
        // No option of the list, an unknown key or option: left out and told.
        {L"T018.exe --set=sensory=7 --patient-id=1 --patient-name=甲", L"甲\x3000住院号 1", {},
         L"--set=sensory=7：第 2 项“感知能力”可取 1、2、3"},
        {L"T018.exe --set=surgery=2", L"", {}, L"第 3 项“大手术”取 1（是）或 0（否）"},
        {L"T018.exe --set=weight=70", L"", {}, L"--set=weight=70：本工具没有这一项输入"},
        {L"T018.exe --patient-nam=甲", L"", {}, L"--patient-nam=甲：未知参数"},
        {L"T018.exe extra", L"", {}, L"extra：未知参数"},
        // An identity at fault is taken not at all: never half of it.
        {L"T018.exe --patient-id=1 --patient-name=甲\x1B[2J", L"", {}, L"姓名不得含控制字符"},
        {L"T018.exe --patient-id=123456789012345678901234567890123 --patient-name=甲 --set=age=70", L"",
         {L"70"}, L"住院号最多 32 个字符"},
        {L"T018.exe --patient-id=1 --patient-id=2 --patient-name=甲", L"", {}, L"--patient-id=2：重复给出"},
        {L"T018.exe --patient-file=/no/such/file", L"", {}, L"--patient-file=/no/such/file：文件无法读取"},
        // What would pass for another patient, or for no one, is refused by name.
        {L"T018.exe --patient-id=2026001234 --patient-name=测试\x202E", L"", {}, L"姓名不得含不可见的格式字符"},
        {L"T018.exe --patient-id=2026\x200B" L"001234 --patient-name=测试", L"", {}, L"住院号不得含不可见"},
        {L"T018.exe --patient-id=1 --patient-name=\xFFFD\xFFFD", L"", {}, L"姓名含无法识别的字符"},
        {L"T018.exe --patient-id=1 --patient-name=测\xDC00", L"", {}, L"姓名含无法识别的字符"},
        // One patient, however the digits or the name's letters were typed.
        {L"T018.exe --patient-id=２０２６００１２３４ --patient-name=Lu\x308 --bed=１２", L"Lü\x3000住院号 2026001234\x3000" L"12 床",
         {}, L""},
        // The stay, from the hospital system: its admission an ISO 8601 time.
        {L"T018.exe --patient-id=1 --patient-name=甲 --visit-id=3 --admitted-at=20261208T0930", L"甲\x3000住院号 1", {}, L""},
        {L"T018.exe --patient-id=1 --patient-name=甲 --admitted-at=2026-02-30T08:00", L"", {},
         L"入院时间须为“年-月-日T时:分”格式"},
        // The patient file: whole and from one source, or not at all.
        {L"T018.exe --patient-file=p.txt", L"测试乙\x3000住院号 2026001234", {}, L"", sound_file},
        {L"T018.exe --patient-file=p.txt --patient-id=２０２６００１２３４ --patient-name=测试乙 --set=age=70",
         L"测试乙\x3000住院号 2026001234", {L"70"}, L"", sound_file},
        {L"T018.exe --patient-file=p.txt --patient-id=2026005678 --set=age=70", L"", {},
         L"命令行和患者信息文件给出的患者不一致（住院号、姓名）", sound_file},
        {L"T018.exe --patient-file=p.txt --patient-id=1 --patient-name=甲\x1B", L"", {}, L"无法核对", sound_file},
        {L"T018.exe --patient-file=p.txt", L"", {}, L"p.txt：文件不是 UTF-8 文本",
         "patient-id=2026001234\npatient-name=\xb2\xe2\xca\xd4\n--set=age=70\n"},
        {L"T018.exe --patient-file=p.txt --patient-id=2026001234 --patient-name=测试乙", L"", {}, L"含空字符（NUL）",
         std::string("patient-id=2026\0" "001234\npatient-name=测试乙\n", 39)},
    };
    for (const Case& c : cases) {
        static StartRequest request;
        platform_calls.remove_file(L"p.txt");
        if (!c.file.empty()) {
            ASSERT_TRUE(platform_replace_file(L"p.txt", c.file.data(), (int)c.file.size()));
        }
        start_request_read(&tool, c.command_line, &request);
        platform_calls.remove_file(L"p.txt");
        wchar_t line[256];
        patient_line(request.patient, line, 256);
        EXPECT_STREQ(c.patient_line, line) << c.command_line;
        for (int i = 0; i < 3; i++) {
            EXPECT_EQ(c.presets[i] != nullptr, request.presets[i].given) << c.command_line << " input " << i;
            if (c.presets[i]) {
                EXPECT_STREQ(c.presets[i], request.presets[i].text);
            }
        }
        if (!c.complaint[0]) {
            EXPECT_STREQ(L"", request.complaint) << c.command_line;
        } else {
            EXPECT_NE(nullptr, wcsstr(request.complaint, c.complaint)) << request.complaint;
        }
    }
}

// The admission as the hospital's database reads it: the PC's offset
// where the hospital system gave none.
TEST(PatientFields, AdmissionAsTheDatabaseTakesIt) {
    struct Case {
        const wchar_t* given;
        const wchar_t* time;  // nullptr: refused
    };
    const Case cases[] = {
        {L"2026-12-08", L"2026-12-08 00:00:00+08:00"},
        {L"2026-12-08T09:30", L"2026-12-08 09:30:00+08:00"},
        {L"20261208T093015Z", L"2026-12-08 09:30:15+00:00"},
        {L"2026-12-08 09:30:15-05:30", L"2026-12-08 09:30:15-05:30"},
        {L"2024-02-29T08:00", L"2024-02-29 08:00:00+08:00"},
        {L"2026-02-29T08:00", nullptr},
        {L"2026-12-08T24:00", nullptr},
        {L"2026-12-0809:30", nullptr},
        {L"2026-1208", nullptr},
        {L"2026-12-08T09:30+0800", nullptr},
        {L"入院 3 天", nullptr},
    };
    for (const Case& c : cases) {
        wchar_t time[64];
        EXPECT_EQ(c.time != nullptr, patient_admission_time(c.given, 480, time, 64)) << c.given;
        if (c.time) {
            EXPECT_STREQ(c.time, time);
        }
    }
}

// The launcher hands the patient on in a file the tool reads back the same,
// whatever the name holds, and removes once read; a hospital system's own
// patient file stays where it is.
TEST(StartRequest, PatientHandedOverReadsBackTheSameAndIsRemoved) {
    use_test_data_folder();
    Patient sent = {};
    const wchar_t* values[PATIENT_FIELD_COUNT] = {L"A\\\"1\\", L"甲 \"乙\"=", L"12\\",         L"普外一科",
                                                  L"N01",     L"测试护士",     L"3\\", L"2026-12-08T09:30+08:00"};
    for (int f = 0; f < PATIENT_FIELD_COUNT; f++) ASSERT_TRUE(patient_set_field(&sent, f, values[f]));
    wchar_t path[RECORD_PATH_CAPACITY], line[RECORD_PATH_CAPACITY + 64];
    ASSERT_TRUE(handover_write(sent, path, RECORD_PATH_CAPACITY));
    text_format(line, RECORD_PATH_CAPACITY + 64, L"T018.exe \"--patient-file=%ls\"", path);
    static StartRequest request;
    start_request_read(nullptr, line, &request);
    EXPECT_STREQ(L"", request.complaint);
    for (int f = 0; f < PATIENT_FIELD_COUNT; f++) EXPECT_STREQ(values[f], request.patient.fields[f]) << line;
    EXPECT_FALSE(platform_calls.file_exists(path));
    // One no tool read: kept a day, then swept.
    ASSERT_TRUE(handover_write(sent, path, RECORD_PATH_CAPACITY));
    handover_sweep();
    EXPECT_TRUE(platform_calls.file_exists(path));
    platform_calls.file_clock = [] { return platform_system_calls.file_clock() + 25 * 3600 * PLATFORM_TICKS_PER_SECOND; };
    handover_sweep();
    EXPECT_FALSE(platform_calls.file_exists(path));
    // Named otherwise, the same file is the hospital system's and stays.
    ASSERT_TRUE(platform_replace_file(L"p.txt", "patient-id=1\npatient-name=甲\n", 29));
    start_request_read(nullptr, L"T018.exe --patient-file=p.txt", &request);
    EXPECT_STREQ(L"甲", request.patient.fields[PATIENT_NAME]);
    EXPECT_TRUE(platform_calls.file_exists(L"p.txt"));
    platform_calls.remove_file(L"p.txt");
    platform_calls = platform_system_calls;
}
