// Saves rows into a tool's record file the way Save does, for the tests that
// run several of these at once or against a file they cannot write.
//   record_writer <tool id> <rows>
// Prints "saved=<n> failed=<n> path=<file>" and exits 0 when every row was
// saved, 1 otherwise. Each row's result names the process and the row number
// and holds a comma, quotes, a line break and Chinese text, so a torn or
// interleaved row cannot parse back as a whole one.
#include <stdio.h>
#include <stdlib.h>

#include "store/store.h"

#ifdef _WIN32
#include <process.h>
#define process_id _getpid
#else
#include <unistd.h>
#define process_id getpid
#endif

int main(int argc, char** argv) {
    if (argc != 3) {
        fprintf(stderr, "usage: record_writer <tool id> <rows>\n");
        return 2;
    }
    static const InputDef inputs[] = {{.key = "row", .label = L"行号"}, {.key = "pid", .label = L"进程"}};
    ToolDef described;
    described.id = atoi(argv[1]);
    described.title = L"记录负载测试";
    described.input_count = 2;
    described.inputs = inputs;
    static PreparedTool tool;
    tool_prepare(described, &tool);
    int rows = atoi(argv[2]);
    int pid = (int)process_id();

    int saved = 0, failed = 0;
    wchar_t where[RECORD_PATH_CAPACITY] = L"";
    static Calculation calculation;
    for (int row = 1; row <= rows; row++) {
        double values[] = {(double)row, (double)pid};
        tool_calculate(tool, values, &calculation);
        text_format(calculation.text, RESULT_TEXT_CAPACITY,
                    L"进程 %d 第 %d 行，\"引号\"\r\n餐时胰岛素：6.0 U\r\n", pid, row);
        if (record_save(tool, calculation, Patient{}, where, RECORD_PATH_CAPACITY) == RECORD_SAVED)
            saved++;
        else
            failed++;
    }
    char path[utf8_capacity_for(RECORD_PATH_CAPACITY)];
    if (utf8_from_wide(where, path, (int)sizeof path) < 0) path[0] = 0;
    printf("saved=%d failed=%d path=%s\n", saved, failed, path);
    return failed == 0 ? 0 : 1;
}
