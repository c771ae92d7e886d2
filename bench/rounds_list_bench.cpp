// The ward's list read from the hospital's database as the launcher reads
// it, again and again: connection, query and the list made, through the
// reading login that GLYVANT_TEST_READING_DATABASE names
// (bench/rounds_list_bench.sh fills a server and runs it).
//   glyvant_rounds_bench <ward> <runs>
// Prints the list's source and rows, then the median and the 95th
// percentile of a read in milliseconds.
#include <stdio.h>
#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <vector>

#include "rounds/rounds.h"

int main(int argc, char** argv) {
    if (argc < 3) {
        fprintf(stderr, "usage: glyvant_rounds_bench <ward> <runs>\n");
        return 2;
    }
    wchar_t connection[1100] = L"", ward[64] = L"";
    if (getenv("GLYVANT_TEST_READING_DATABASE")) wide_from_utf8(getenv("GLYVANT_TEST_READING_DATABASE"), connection, 1100);
    wide_from_utf8(argv[1], ward, 64);
    const int runs = atoi(argv[2]);
    LocalTime clock;
    platform_calls.local_time(&clock);
    const MomentSeconds now = reassess_moment(clock);
    static RoundsList list;
    std::vector<double> times;
    for (int k = 0; k < runs; k++) {
        auto start = std::chrono::steady_clock::now();
        RoundsProblem problem = rounds_read_ward(connection, ward, L"18,19,21,24/22", nullptr, 0, now, 480, &list);
        times.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
        if (problem != ROUNDS_READ) {
            char words[256];
            utf8_from_wide(rounds_problem_words(problem), words, 256);
            fprintf(stderr, "not read: %s\n", words);
            return 1;
        }
    }
    std::sort(times.begin(), times.end());
    const char* sources[] = {"census", "ward-assessed", "this-user"};
    printf("source=%s rows=%d cut=%d runs=%d median_ms=%.1f p95_ms=%.1f\n", sources[list.source], list.count,
           (int)list.cut, runs, times[times.size() / 2], times[(times.size() * 95 + 99) / 100 - 1]);
    return 0;
}
