// How long the window takes to find a patient's last assessment in a large
// record file: Braden's record grown to 50 MB (years of a ward's saves,
// three thousand patients), the patient's one row at its very start, so the
// whole file is read from its end; and a patient with no row at all.
//   last_assessment_bench [MEGABYTES] [--keep]
//   last_assessment_bench --remove
// Writes the file where the program's records lie (natively under
// $XDG_DATA_HOME, under Wine in the prefix's %LOCALAPPDATA%), prints the
// median of five lookups of each, and removes the file unless --keep (for
// the window's first paint beside it: scripts/measure.sh --records).
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <chrono>

#include "store/store.h"

namespace {

double now_ms() {
    using namespace std::chrono;
    return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}

Patient patient_of(const wchar_t* id, const wchar_t* name) {
    Patient p = {};
    patient_set_field(&p, PATIENT_ID, id);
    patient_set_field(&p, PATIENT_NAME, name);
    patient_set_field(&p, PATIENT_WARD, L"普外一科");
    patient_set_field(&p, NURSE_NAME, L"测试护士");
    return p;
}

double median_lookup_ms(const PreparedTool& tool, const Patient& patient, bool* found) {
    double times[5];
    LocalTime now;
    platform_calls.local_time(&now);
    for (double& t : times) {
        wchar_t line[RECORD_LAST_CAPACITY];
        double start = now_ms();
        *found = record_last_assessment(tool, patient, now, line, RECORD_LAST_CAPACITY);
        t = now_ms() - start;
    }
    qsort(times, 5, sizeof times[0], [](const void* a, const void* b) {
        return *(const double*)a < *(const double*)b ? -1 : *(const double*)a > *(const double*)b;
    });
    return times[2];
}

}  // namespace

int main(int argc, char** argv) {
    const bool remove_only = argc > 1 && strcmp(argv[1], "--remove") == 0;
    const long long megabytes = argc > 1 ? atoll(argv[1]) : 50;
    const bool keep = argc > 2 && strcmp(argv[2], "--keep") == 0;
    static PreparedTool tool;
    tool_prepare(tool_builtin(), &tool);
    wchar_t path[RECORD_PATH_CAPACITY];
    if (record_file_path(tool, path, RECORD_PATH_CAPACITY) != RECORD_SAVED) {
        fprintf(stderr, "no record folder\n");
        return 1;
    }
    platform_calls.remove_file(path);
    if (remove_only) return 0;

    // The first save makes the file with its header; the rest is written in
    // one go, as thousands of saves would have left it.
    static Calculation calculation;
    double values[TOOL_MAX_INPUTS];
    for (int i = 0; i < tool.input_count; i++) values[i] = tool.inputs[i].default_value;
    tool_calculate(tool, values, &calculation);
    wchar_t where[RECORD_PATH_CAPACITY];
    const Patient first = patient_of(L"2026999999", L"测试患者甲");
    if (record_save(tool, calculation, first, where, RECORD_PATH_CAPACITY) != RECORD_SAVED) {
        fprintf(stderr, "cannot save\n");
        return 1;
    }
    static wchar_t result[RECORD_RESULT_LIMIT + 1];
    record_result_field(calculation, result, RECORD_RESULT_LIMIT + 1);
    static char block[1 << 20];
    static wchar_t line[RECORD_LINE_CAPACITY];
    long long written = 0;
    int row = 0;
    while (written < megabytes << 20) {
        int used = 0;
        while (used < (int)sizeof block - 131072) {
            RecordStamp stamp;
            wchar_t id[PATIENT_FIELD_CAPACITY], name[PATIENT_FIELD_CAPACITY];
            text_format(id, PATIENT_FIELD_CAPACITY, L"2026%06d", row % 3000);
            text_format(name, PATIENT_FIELD_CAPACITY, L"测试患者%d", row % 3000);
            record_stamp_now(patient_of(id, name), &stamp);
            record_row_line(tool, values, result, stamp, line, RECORD_LINE_CAPACITY);
            used += utf8_from_wide(line, block + used, (int)sizeof block - used);
            row++;
        }
        if (platform_append_to_file(path, block, used) != PLATFORM_DONE) {
            fprintf(stderr, "cannot write\n");
            return 1;
        }
        written += used;
    }
    bool found_first = false, found_absent = true;
    double first_ms = median_lookup_ms(tool, first, &found_first);
    double absent_ms = median_lookup_ms(tool, patient_of(L"2026888888", L"测试患者乙"), &found_absent);
    printf("record %.1f MB, %d rows: the patient's row at the file's start found in %.1f ms%s; "
           "a patient without a row told in %.1f ms%s (goal: the line within 500 ms)\n",
           written / 1048576.0, row + 1, first_ms, found_first ? "" : " (NOT FOUND)", absent_ms,
           found_absent ? " (FOUND?)" : "");
    if (!keep) platform_calls.remove_file(path);
    return found_first && !found_absent ? 0 : 1;
}
