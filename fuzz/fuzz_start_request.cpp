// Fuzzes what a hospital system starts a tool or the launcher with: a
// command line and the patient file it names. Whatever they hold, every text
// of the request stays within its room, a patient field is only ever taken
// sound, whole and from one source, and a value is never the self-test
// switch.
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <wchar.h>

#include <string>

#include "app/app.h"
#include "fuzz_data_folder.h"
#include "store/store.h"

namespace {

const wchar_t PATIENT_FILE[] = L"fuzz_patient.txt";
const wchar_t FILE_ARGUMENT[] = L" --patient-file=fuzz_patient.txt";
constexpr wchar_t GUARD = 0xA5A5;
constexpr int GUARD_COUNT = 16;

// A tool with one input of each kind, for --set.
const InputChoice LEVELS[] = {{L"无", 0}, {L"轻度", 1}, {L"重度", 2}};
const InputDef INPUTS[] = {
    {.key = "age", .label = L"年龄", .unit = L"岁", .min = 0, .max = 120, .decimals = 0},
    {.key = "level", .label = L"程度", .choices = LEVELS, .choice_count = 3},
    {.key = "fall", .label = L"跌倒史", .box = true, .points = 2},
};
PreparedTool tool;
StartRequest request, line_only, file_only;

[[noreturn]] void violated(const char* what, const std::wstring& line) {
    fprintf(stderr, "invariant violated: %s\ncommand line:", what);
    for (wchar_t c : line) fprintf(stderr, " %04X", (unsigned)c);
    fprintf(stderr, "\n");
    abort();
}

bool ends_within(const wchar_t* text, int capacity) { return wmemchr(text, 0, (size_t)capacity) != nullptr; }

// Every text within its capacity, and every field taken sound and as it is
// kept: keeping it again changes nothing.
void check_request(const StartRequest& r, const std::wstring& line) {
    if (!ends_within(r.complaint, START_COMPLAINT_CAPACITY)) violated("complaint not terminated", line);
    for (const StartPreset& preset : r.presets)
        if (!ends_within(preset.text, INPUT_TEXT_CAPACITY)) violated("preset not terminated", line);
    for (int f = 0; f < PATIENT_FIELD_COUNT; f++) {
        const wchar_t* value = r.patient.fields[f];
        if (!ends_within(value, PATIENT_FIELD_CAPACITY)) violated("patient field not terminated", line);
        if (!value[0]) continue;
        if (patient_field_fault(f, value) != PATIENT_FIELD_SOUND) violated("a field taken at fault", line);
        Patient kept = {};
        if (!patient_set_field(&kept, f, value) || wcscmp(kept.fields[f], value) != 0)
            violated("a field taken not as it is kept", line);
    }
}

bool same_patient(const Patient& a, const Patient& b) {
    for (int f = 0; f < PATIENT_FIELD_COUNT; f++)
        if (wcscmp(a.fields[f], b.fields[f]) != 0) return false;
    return true;
}

bool no_patient(const Patient& p) {
    for (const auto& field : p.fields)
        if (field[0]) return false;
    return true;
}

// `argument` as Windows programs quote one for their command line: in double
// quotes, a quote escaped with a backslash, and the backslashes before a
// quote (the closing one too) doubled.
std::wstring windows_quoted(const std::wstring& argument) {
    std::wstring out = L"\"";
    for (size_t i = 0;; i++) {
        size_t backslashes = 0;
        while (i < argument.size() && argument[i] == L'\\') i++, backslashes++;
        if (i == argument.size()) {
            out.append(backslashes * 2, L'\\');
            break;
        }
        if (argument[i] == L'"') {
            out.append(backslashes * 2 + 1, L'\\');
        } else {
            out.append(backslashes, L'\\');
        }
        out += argument[i];
    }
    return out + L"\"";
}

// The switch and its report path at a capacity: never past it, always
// terminated, and the path as found at full room cut to capacity - 1.
void check_selftest_path(const std::wstring& line, int capacity, bool found, const std::wstring& path) {
    static wchar_t buffer[START_ARGUMENT_CAPACITY + 64 + GUARD_COUNT];
    wmemset(buffer, GUARD, sizeof buffer / sizeof *buffer);
    bool got = command_line_selftest_path(line.c_str(), buffer, capacity);
    for (int i = capacity; i < capacity + GUARD_COUNT; i++)
        if (buffer[i] != GUARD) violated("written past the capacity", line);
    if (!ends_within(buffer, capacity)) violated("report path not terminated", line);
    if (got != found) violated("the switch found at one capacity and not at another", line);
    size_t cut = path.size() < (size_t)capacity - 1 ? path.size() : (size_t)capacity - 1;
    if (path.compare(0, cut, buffer) != 0 || wcslen(buffer) != cut) violated("the report path cut otherwise", line);
}

// Bytes below 0xF0 are characters U+0000..U+00EF, so a seed is mostly the
// command line as text. 0xF0 and two bytes (little-endian) are any character
// of the Basic Multilingual Plane. The first 0xF1 ends the command line: the
// bytes after it are the patient file's, and the command line names it.
size_t decode(const uint8_t* data, size_t size, std::wstring* line) {
    for (size_t i = 0; i < size; i++) {
        if (data[i] == 0xF1) return i;
        if (data[i] == 0xF0 && size - i > 2) {
            *line += (wchar_t)(data[i + 1] | data[i + 2] << 8);
            i += 2;
        } else {
            *line += (wchar_t)data[i];
        }
    }
    return size;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz_use_own_data_folder();
    tool_prepare({.id = 18, .title = L"测试", .input_count = 3, .inputs = INPUTS}, &tool);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::wstring text;
    size_t separator = decode(data, size, &text);
    std::wstring line = text.c_str();  // a NUL ends the command line there
    const bool file_given = separator < size;
    const char* file_bytes = file_given ? (const char*)data + separator + 1 : "";
    const int file_length = file_given ? (int)(size - separator - 1) : 0;
    platform_calls.remove_file(PATIENT_FILE);
    if (file_given && !platform_replace_file(PATIENT_FILE, file_bytes, file_length)) abort();
    std::wstring whole = file_given ? line + FILE_ARGUMENT : line;

    for (const PreparedTool* t : {(const PreparedTool*)&tool, (const PreparedTool*)nullptr}) {
        start_request_read(t, whole.c_str(), &request);
        check_request(request, whole);
        if (!file_given) continue;
        // One patient from one source: the command line's, the file's, or none.
        start_request_read(t, line.c_str(), &line_only);
        start_request_read(t, (std::wstring(L"T.exe") + FILE_ARGUMENT).c_str(), &file_only);
        if (!no_patient(request.patient) && !same_patient(request.patient, line_only.patient) &&
            !same_patient(request.patient, file_only.patient))
            violated("a patient that is neither the command line's nor the file's", whole);
        if (!utf8_valid(file_bytes, file_length) && !no_patient(request.patient) &&
            !same_patient(request.patient, line_only.patient))
            violated("a field taken from a file that is not UTF-8", whole);
    }
    platform_calls.remove_file(PATIENT_FILE);

    // The switch in the raw command line, at its real room and at the edges
    // of the fallback name and of the path itself.
    static wchar_t full[START_ARGUMENT_CAPACITY + 64];
    const int full_capacity = START_ARGUMENT_CAPACITY + 64;
    bool found = command_line_selftest_path(whole.c_str(), full, full_capacity);
    if (found && !full[0]) violated("the switch found with an empty report path", whole);
    if (found && whole.find(L"--selftest") == std::wstring::npos) violated("a switch the line does not hold", whole);
    std::wstring path = full;
    int n = (int)path.size();
    const int capacities[] = {1, 13, SELFTEST_PATH_CAPACITY, n, n + 1, 1 + (int)(size % 600)};
    for (int capacity : capacities)
        if (capacity >= 1 && capacity <= full_capacity) check_selftest_path(whole, capacity, found, path);

    // A value inside one quoted argument is that argument's, whatever it holds.
    std::wstring value = line.substr(0, START_ARGUMENT_CAPACITY - 32);
    std::wstring argument = L"--patient-name=" + value;
    std::wstring named = L"T.exe " + windows_quoted(argument);
    if (command_line_selftest_path(named.c_str(), full, full_capacity)) violated("a name taken for the switch", named);
    const wchar_t* cursor = command_line_after_program(named.c_str());
    static wchar_t split[START_ARGUMENT_CAPACITY];
    bool cut = false;
    if (!command_line_argument(&cursor, split, START_ARGUMENT_CAPACITY, &cut) || cut || argument != split ||
        command_line_argument(&cursor, split, START_ARGUMENT_CAPACITY, &cut))
        violated("a quoted argument not read back as one, the same", named);
    start_request_read(nullptr, named.c_str(), &request);
    check_request(request, named);
    Patient expected = {};
    patient_set_field(&expected, PATIENT_NAME, value.c_str());
    if (!same_patient(request.patient, expected)) violated("the name not taken as it is kept", named);

    return 0;
}
