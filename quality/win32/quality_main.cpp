// OrvoMedQuality.exe, the nursing quality department's monthly workbook.
// "--month=2026-11 --out=PATH [--wards=A,B]" writes it headless, for the
// Task Scheduler, and exits 0 or with the code of why not, its words on
// the standard error; "--selftest [FILE]" checks that a workbook can be
// made on this PC; otherwise the window.
#include <stdio.h>
#include <windows.h>

#include "app/app.h"
#include "common/win32/hospital_policy.h"
#include "glyvant_version.h"
#include "platform/platform.h"
#include "platform/text_format.h"
#include "quality/win32/quality_program.h"
#include "store/store.h"

namespace {

constexpr int EXIT_USAGE = 2;

// MinGW's libxlsxwriter opens its files narrow, in the system's code
// page: a folder whose name that page cannot spell (a user name in another
// script) is given by its short name, which is plain ASCII where the volume
// keeps short names.
bool library_name(const wchar_t* path, char* bytes, int capacity) {
    wchar_t name[MAX_PATH + 1];
    if (text_copy(name, MAX_PATH + 1, path) != text_length(path)) return false;
    for (int attempt = 0; attempt < 2; attempt++) {
        BOOL lost = FALSE;
        if (WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, name, -1, bytes, capacity, nullptr, &lost) > 0 && !lost)
            return true;
        wchar_t short_name[MAX_PATH + 1];
        DWORD n = GetShortPathNameW(path, short_name, MAX_PATH + 1);
        if (n == 0 || n > MAX_PATH) break;
        text_copy(name, MAX_PATH + 1, short_name);
    }
    bytes[0] = 0;
    return false;
}

// The user's temporary folder, as the library can spell it.
bool temp_folder(char* folder, int capacity) {
    wchar_t wide[MAX_PATH + 1];
    DWORD n = GetTempPathW(MAX_PATH + 1, wide);
    if (n == 0 || n > MAX_PATH) return false;
    if (n > 1 && wide[n - 1] == L'\\') wide[n - 1] = 0;
    return library_name(wide, folder, capacity);
}

// The words to the standard error, where the caller gave one.
void tell(const wchar_t* words) {
    HANDLE err = GetStdHandle(STD_ERROR_HANDLE);
    if (err == nullptr || err == INVALID_HANDLE_VALUE) return;
    char bytes[utf8_capacity_for(1200)];
    wchar_t line[1200];
    text_format(line, 1200, L"OrvoMedQuality: %ls\n", words);
    int length = utf8_from_wide(line, bytes, sizeof bytes);
    DWORD written = 0;
    if (length > 0) WriteFile(err, bytes, (DWORD)length, &written, nullptr);
}

bool argument_value(const wchar_t* argument, const wchar_t* name, const wchar_t** value) {
    int n = text_length(name);
    if (wcsncmp(argument, name, n) != 0) return false;
    *value = argument + n;
    return true;
}

// False, with the reason in `why`, for an argument it does not know or a
// value it cannot take.
bool read_start(QualityStart* start, bool* headless, wchar_t* why, int capacity) {
    LocalTime now;
    platform_calls.local_time(&now);
    start->month = {now.year, now.month};
    start->wards[0] = start->out[0] = 0;
    // Headless whenever an --out= is given, however the rest reads: a run
    // of the Task Scheduler has nobody to close a message box.
    *headless = false;
    const wchar_t* cursor = command_line_after_program(GetCommandLineW());
    wchar_t argument[QUALITY_PATH_CAPACITY + 16];
    bool cut = false;
    while (command_line_argument(&cursor, argument, QUALITY_PATH_CAPACITY + 16, &cut))
        *headless = *headless || !wcsncmp(argument, L"--out=", 6);
    cursor = command_line_after_program(GetCommandLineW());
    while (command_line_argument(&cursor, argument, QUALITY_PATH_CAPACITY + 16, &cut)) {
        const wchar_t* value = nullptr;
        if (cut) {
            text_format_marked(why, capacity, L"参数过长");
            return false;
        }
        if (argument_value(argument, L"--month=", &value)) {
            if (!quality_month_parse(value, &start->month)) {
                text_format_marked(why, capacity, L"月份“%ls”不是 年-月（如 2026-11）", value);
                return false;
            }
        } else if (argument_value(argument, L"--wards=", &value)) {
            if (text_copy(start->wards, QUALITY_WARDS_TEXT_CAPACITY, value) != text_length(value)) {
                text_format_marked(why, capacity, L"病区列表过长");
                return false;
            }
        } else if (argument_value(argument, L"--out=", &value)) {
            if (!value[0] || text_copy(start->out, QUALITY_PATH_CAPACITY, value) != text_length(value)) {
                text_format_marked(why, capacity, L"--out= 需要工作簿的路径");
                return false;
            }
        } else {
            text_format_marked(why, capacity, L"不认识的参数“%ls”（可用 --month=、--wards=、--out=）", argument);
            return false;
        }
    }
    return true;
}

void selftest_file(char* file, int capacity, const char* folder, unsigned long id) {
    snprintf(file, capacity, "%s\\OrvoMedQuality-selftest-%lu.xlsx", folder, id);
}

// The self-test: an empty month's workbook, written in the temporary
// folder and removed, proves the library and its folder on this PC.
int selftest(const wchar_t* report_path) {
    static QualityFigures empty;
    empty.month = {2026, 1};
    QualityStart start = {};
    QualityRequestRoom room;
    QualityRequest request;
    QualityResult result;
    quality_prepare(start, &room, &request, &result);
    wchar_t path[MAX_PATH + 64];
    char file[QUALITY_TEMP_CAPACITY + 64];
    DWORD n = GetTempPathW(MAX_PATH + 1, path);
    QualityProgress progress;
    bool written = false;
    if (room.temp_folder[0] && n > 0 && n <= MAX_PATH &&
        text_format(path + n, 64, L"OrvoMedQuality-selftest-%lu.xlsx", GetCurrentProcessId()) >= 0) {
        selftest_file(file, sizeof file, room.temp_folder, GetCurrentProcessId());
        written = quality_write_workbook(empty, file, room.temp_folder, room.version, room.made, &progress).outcome ==
                  QUALITY_WRITTEN;
        written = written && GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES;
        DeleteFileW(path);
    }
    wchar_t report[256];
    text_format(report, 256, L"QUALITY|%ls|%ls\r\nWORKBOOK|%ls\r\nERRORS|%d\r\n", QUALITY_TITLE, room.version,
                written ? L"written" : L"FAILED", written ? 0 : 1);
    char bytes[utf8_capacity_for(256)];
    int length = utf8_from_wide(report, bytes, (int)sizeof bytes);
    if (length < 0 || !platform_replace_file(report_path, bytes, length)) return EXIT_REPORT_NOT_WRITTEN;
    return written ? EXIT_OK : EXIT_FORMULA_FAILED;
}

}  // namespace

bool quality_prepare(const QualityStart& start, QualityRequestRoom* room, QualityRequest* request,
                     QualityResult* result) {
    *request = {};
    request->month = start.month;
    request->wards = start.wards;
    request->path = start.out;
    temp_folder(room->temp_folder, QUALITY_TEMP_CAPACITY);
    request->temp_folder = room->temp_folder[0] ? room->temp_folder : nullptr;
    request->library_name = library_name;
    text_format(room->version, 32, L"%hs", GLYVANT_VERSION_TEXT);
    request->version = room->version;
    LocalTime now;
    platform_calls.local_time(&now);
    text_format(room->made, QUALITY_MADE_CAPACITY, L"%04d-%02d-%02d %02d:%02d", now.year, now.month, now.day, now.hour,
                now.minute);
    request->made = room->made;
    request->connection = room->connection;
    switch (policy_quality_database(room->connection, DELIVERY_CONNECTION_LIMIT + 1)) {
    case POLICY_SET: return true;
    case POLICY_TOO_LONG: *result = {QUALITY_NOT_READ, ROUNDS_CONNECTION_TOO_LONG}; return false;
    case POLICY_NOT_SET: break;
    }
    *result = {QUALITY_NO_CONNECTION, ROUNDS_READ};
    return false;
}

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    wchar_t report[SELFTEST_PATH_CAPACITY];
    if (command_line_selftest_path(GetCommandLineW(), report, SELFTEST_PATH_CAPACITY)) return selftest(report);
    static QualityStart start;
    bool headless = false;
    wchar_t why[512];
    if (!read_start(&start, &headless, why, 512)) {
        tell(why);
        if (!headless) MessageBoxW(nullptr, why, QUALITY_TITLE, MB_OK | MB_ICONWARNING);
        return EXIT_USAGE;
    }
    if (!headless) return quality_window_run(instance, start);
    static QualityRequestRoom room;
    static QualityFigures figures;
    QualityRequest request;
    QualityResult result;
    QualityProgress progress;
    if (quality_prepare(start, &room, &request, &result)) result = quality_make(request, &figures, &progress);
    tell(quality_result_words(result));
    return quality_exit_code(result);
}
