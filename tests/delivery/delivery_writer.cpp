// Saves results the way Save does with the hospital's database configured:
// the local row, then the outbox, then a delivery to the database that
// GLYVANT_TEST_DATABASE names; for the tests that run several at once, stop
// the server under them or kill one mid-delivery.
//   delivery_writer <rows> [queue-only]   save <rows> results (0: only deliver)
//   delivery_writer 0 die-after=<n>       deliver, and die at once after the
//                                         n-th row is committed, its outbox
//                                         file not yet removed: the answer lost
// Prints "latency_ms=<each save's delivery>:<its problem>,... saved=<n> delivered=<n> waiting=<n> problem=<n>".
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <chrono>

#include "delivery/delivery.h"
#include "rounds/reassess.h"

namespace {

int removals_left = -1;

// The seam's remove, but the program ends, as if killed, instead of the
// n-th removal of a delivered file.
bool remove_or_die(const wchar_t* path) {
    if (removals_left >= 0 && removals_left-- == 0) _Exit(9);
    return platform_system_calls.remove_file(path);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        fprintf(stderr, "usage: delivery_writer <rows> [queue-only]\n");
        return 2;
    }
    static const InputDef inputs[] = {{.key = "row", .label = L"行号"}, {.key = "pid", .label = L"进程"}};
    static const OutputDef outputs[] = {{.key = "score", .label = L"总分", .unit = L"分", .formula = "row", .format = "f0"}};
    static const RuleDef rules[] = {{.level = 1, .message = L"投递负载测试", .reassess_hours = 24}};
    ToolDef described;
    described.id = 952;
    described.title = L"投递负载测试";
    described.input_count = 2;
    described.inputs = inputs;
    described.output_count = 1;
    described.outputs = outputs;
    described.rule_count = 1;
    described.rules = rules;
    described.assessment = true;
    static PreparedTool tool;
    tool_prepare(described, &tool);
    const int rows = atoi(argv[1]);
    const bool deliver = !(argc > 2 && strcmp(argv[2], "queue-only") == 0);
    if (argc > 2 && strncmp(argv[2], "die-after=", 10) == 0) {
        removals_left = atoi(argv[2] + 10) - 1;
        platform_calls.remove_file = remove_or_die;
    }
    wchar_t database[1024] = L"";
    if (getenv("GLYVANT_TEST_DATABASE")) wide_from_utf8(getenv("GLYVANT_TEST_DATABASE"), database, 1024);
    const int pid = (int)platform_calls.process_id();

    static Calculation calculation;
    static DeliveryRow row;
    DeliveryReport report = {};
    int saved = 0, delivered = 0;
    printf("latency_ms=");
    for (int n = 1; n <= rows; n++) {
        const double values[] = {(double)n, (double)pid};
        tool_calculate(tool, values, &calculation);
        Patient patient = {};
        wchar_t id[PATIENT_FIELD_CAPACITY], name[PATIENT_FIELD_CAPACITY];
        text_format(id, PATIENT_FIELD_CAPACITY, L"%d-%d", pid, n);
        text_format(name, PATIENT_FIELD_CAPACITY, L"测试患者%d号", n);
        patient_set_field(&patient, PATIENT_ID, id);
        patient_set_field(&patient, PATIENT_NAME, name);
        // Due again as the window has it: from the calculation's moment.
        LocalTime assessed;
        platform_calls.local_time(&assessed);
        Reassessment plan;
        wchar_t due_line[REASSESS_LINE_CAPACITY];
        reassess_plan(tool, calculation, assessed, nullptr, &plan, due_line, REASSESS_LINE_CAPACITY);
        RecordStamp stamp;
        wchar_t where[RECORD_PATH_CAPACITY];
        if (record_save(tool, calculation, patient, where, RECORD_PATH_CAPACITY, &stamp, &assessed,
                        plan.has_due ? &plan.due : nullptr) != RECORD_SAVED)
            continue;
        saved++;
        delivery_row_of(tool, calculation, stamp, &row);
        if (!delivery_queue(row) || !deliver) continue;
        auto start = std::chrono::steady_clock::now();
        delivery_pass(database, &report);
        delivered += report.delivered;
        printf("%s%.1f:%d", n > 1 ? "," : "",
               std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count(),
               (int)report.problem);
    }
    if (rows == 0 && deliver) {
        delivery_pass(database, &report);
        delivered += report.delivered;
    }
    printf(" saved=%d delivered=%d waiting=%d problem=%d\n", saved, delivered, delivery_counts().waiting,
           (int)report.problem);
    return 0;
}
