// Fuzzes the patient's last assessment, read from the end of a record file
// that Excel, an editor or a broken disk may have left in any state: rows of
// any length, quotes that never close, rows cut by the reader's blocks.
// Whatever the file holds, the reader does not crash, its line stays within
// its room, and a line it finds is an assessment's.
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <wchar.h>

#include <string>

#include "fuzz_data_folder.h"
#include "store/store.h"

namespace {

// The reader's block (store/last_assessment.cpp): the files made here reach
// past it so that rows cross its edges.
constexpr size_t BLOCK_BYTES = 1 << 20;
const wchar_t FOUND[] = L"上次评估：";

// A score of the kind the window shows a last assessment for: a total with
// its unit and a verdict with a level.
const InputDef INPUTS[] = {
    {.key = "mobility", .label = L"活动能力", .unit = L"分", .min = 0, .max = 10, .decimals = 0},
    {.key = "skin", .label = L"皮肤", .unit = L"分", .min = 0, .max = 10, .decimals = 0},
};
const OutputDef OUTPUTS[] = {{.key = "total", .label = L"总分", .unit = L"分", .formula = "mobility+skin", .format = "f0"}};
const RuleDef RULES[] = {{.condition = "total>=10", .level = 2, .message = L"需关注"},
                         {.condition = "", .level = 0, .message = L"暂无风险"}};
PreparedTool tool;
Patient patient;
std::string header;  // the byte-order mark and the header line, as record_save begins a file
wchar_t path[RECORD_PATH_CAPACITY];
char narrow_path[4 * RECORD_PATH_CAPACITY];
const LocalTime NOW = {2026, 12, 9, 8, 15, 0, 480};

// The record file the input stands for, in `file`: its first byte 'H'
// leaves the header out; 'R' repeats the rows until they fill more than a
// block, so that rows cross the reader's block edges wherever their lengths
// put them, and a row of more than a block grows past it. Exact letters, so
// that the slow large files stay the exception.
char file[4 * BLOCK_BYTES];
size_t file_size;

void put(const uint8_t* bytes, size_t count) {
    memcpy(file + file_size, bytes, count);
    file_size += count;
}

void make_record_file(const uint8_t* data, size_t size) {
    const uint8_t mode = size ? data[0] : 0;
    const uint8_t* rows = data + (size ? 1 : 0);
    const size_t length = size ? size - 1 : 0;
    file_size = 0;
    if (mode != 'H') put((const uint8_t*)header.data(), header.size());
    do put(rows, length);
    while (mode == 'R' && length && file_size <= BLOCK_BYTES + header.size());
}

[[noreturn]] void violated(const char* what, const uint8_t* data, size_t size, const wchar_t* line) {
    fprintf(stderr, "invariant violated: %s\ninput (%zu):", what, size);
    for (size_t i = 0; i < size && i < 2000; i++) fprintf(stderr, " %02X", (unsigned)data[i]);
    fprintf(stderr, "\nline:");
    for (const wchar_t* c = line; *c; c++) fprintf(stderr, " %04X", (unsigned)*c);
    fprintf(stderr, "\n");
    abort();
}

// The line in a buffer of exactly `capacity` characters, so that a write
// past it is a sanitizer report.
bool last_line(int capacity, std::wstring* line, const uint8_t* data, size_t size) {
    wchar_t* buffer = (wchar_t*)malloc(sizeof(wchar_t) * (size_t)capacity);
    wmemset(buffer, 0xA5A5, (size_t)capacity);
    bool found = record_last_assessment(tool, patient, NOW, buffer, capacity);
    if (!wmemchr(buffer, 0, (size_t)capacity)) violated("line not terminated within its capacity", data, size, L"");
    *line = buffer;
    free(buffer);
    return found;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz_use_own_data_folder();
    tool_prepare({.id = 18, .title = L"压疮风险评分", .input_count = 2, .inputs = INPUTS, .output_count = 1,
                  .outputs = OUTPUTS, .rule_count = 2, .rules = RULES},
                 &tool);
    patient_set_field(&patient, PATIENT_ID, L"2026001234");
    patient_set_field(&patient, PATIENT_NAME, L"测试乙");
    wchar_t folder[RECORD_PATH_CAPACITY];
    static wchar_t line[RECORD_HEADER_CAPACITY];
    static char bytes[utf8_capacity_for(RECORD_HEADER_CAPACITY)];
    if (store_suite_folder(L"records", folder, RECORD_PATH_CAPACITY) < 0 ||
        record_file_path(tool, path, RECORD_PATH_CAPACITY) != RECORD_SAVED ||
        utf8_from_wide(path, narrow_path, (int)sizeof narrow_path) < 0)
        abort();
    record_header_line(tool, line, RECORD_HEADER_CAPACITY);
    header = "\xEF\xBB\xBF" + std::string(bytes, (size_t)utf8_from_wide(line, bytes, (int)sizeof bytes));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > BLOCK_BYTES) return 0;  // the file's room
    make_record_file(data, size);
    FILE* f = fopen(narrow_path, "wb");
    if (!f || fwrite(file, 1, file_size, f) != file_size || fclose(f) != 0) abort();

    std::wstring line;
    bool found = last_line(RECORD_LAST_CAPACITY, &line, data, size);
    if (found && line.compare(0, wcslen(FOUND), FOUND) != 0)
        violated("a line found that is no assessment", data, size, line.c_str());
    if (!found && line != RECORD_NO_LAST_ASSESSMENT)
        violated("nothing found but another line", data, size, line.c_str());
    if (found && !memmem(file, file_size, "2026001234", 10))
        violated("an assessment found in a file without the patient", data, size, line.c_str());

    return 0;
}
