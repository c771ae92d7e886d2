// Speed and heap use of expr_evaluate and tool_calculate. Every heap
// allocation made while a benchmark runs is counted (malloc is interposed)
// and reported per iteration, which must stay 0.
#include <benchmark/benchmark.h>

#include <stddef.h>
#include <string.h>
#include <wchar.h>

#include <string>

#include "bench/bench_inputs.h"
#include "calc/calc.h"
#include "expr/expr.h"
#include "launcher/tool_search.h"
#include "suite/catalogue.h"

// ---- Allocation counting ------------------------------------------------------
// glibc lets a program replace malloc; the originals stay reachable under
// these names. Counting in the replacements catches allocations made anywhere,
// the C library's own included.
extern "C" void* __libc_malloc(size_t);
extern "C" void* __libc_calloc(size_t, size_t);
extern "C" void* __libc_realloc(void*, size_t);
static long allocations = 0;
extern "C" void* malloc(size_t n) {
    allocations++;
    return __libc_malloc(n);
}
extern "C" void* calloc(size_t n, size_t size) {
    allocations++;
    return __libc_calloc(n, size);
}
extern "C" void* realloc(void* p, size_t n) {
    allocations++;
    return __libc_realloc(p, n);
}

namespace {

using bench::input_values;
using bench::output_values;
using bench::LONG_FORMULA;

void report_allocations(benchmark::State& state, long before) {
    state.counters["allocs/iter"] = benchmark::Counter(
        (double)(allocations - before) / (double)state.iterations());
}

void BM_expr_evaluate(benchmark::State& state, const char* text) {
    const ToolDef& tool = tool_builtin();
    long before = allocations;
    for (auto _ : state) {
        int failed = 0;
        double v = expr_evaluate(tool, text, input_values, output_values, &failed);
        benchmark::DoNotOptimize(v);
        benchmark::DoNotOptimize(failed);
    }
    report_allocations(state, before);
    state.counters["chars"] = (double)strlen(text);
}
BENCHMARK_CAPTURE(BM_expr_evaluate, carbs_icr, "carbs/icr");
BENCHMARK_CAPTURE(BM_expr_evaluate, carbs_icr_conc, "carbs/icr/conc");
BENCHMARK_CAPTURE(BM_expr_evaluate, units_gt_20, "units>20");
BENCHMARK_CAPTURE(BM_expr_evaluate, conditional, "icr > 0 ? carbs/icr : 0");
BENCHMARK_CAPTURE(BM_expr_evaluate, long_formula, LONG_FORMULA);

// The descriptor as written, prepared by each call (as tests and callers
// outside the program pass it), and prepared once (as the window and the
// self-test hold it).
void BM_tool_calculate(benchmark::State& state, bool prepared_once) {
    static Calculation calculation;
    static PreparedTool prepared;
    tool_prepare(tool_builtin(), &prepared);
    long before = allocations;
    for (auto _ : state) {
        int level = 0;
        if (prepared_once)
            level = tool_calculate(prepared, input_values, &calculation);
        else
            level = tool_calculate(tool_builtin(), input_values, &calculation);
        benchmark::DoNotOptimize(level);
        benchmark::ClobberMemory();
    }
    report_allocations(state, before);
}
BENCHMARK_CAPTURE(BM_tool_calculate, as_written, false);
BENCHMARK_CAPTURE(BM_tool_calculate, prepared_once, true);

// Proof that the counter counts: one string too long for its inline buffer
// allocates once per iteration, so this line must show allocs/iter=1.
void BM_allocation_counter_check(benchmark::State& state) {
    long before = allocations;
    for (auto _ : state) {
        std::string text(100, 'x');
        benchmark::DoNotOptimize(text.data());
    }
    report_allocations(state, before);
}
BENCHMARK(BM_allocation_counter_check);

}  // namespace

// The launcher's search as a nurse types: a hundred tools (the suite's,
// repeated) filtered again at every keystroke of a pinyin query and of a
// Chinese one. The figure is the time per keystroke.
void BM_search_per_keystroke(benchmark::State& state, const wchar_t* typed) {
    static const ToolDef* tools[100];
    for (int t = 0; t < 100; t++) tools[t] = suite_tools[t % suite_tool_count];
    const int keystrokes = (int)wcslen(typed);
    long before = allocations;
    for (auto _ : state) {
        for (int n = 1; n <= keystrokes; n++) {
            wchar_t query[32];
            wcsncpy(query, typed, n);
            query[n] = 0;
            int order[100];
            benchmark::DoNotOptimize(search_tools(tools, 100, query, order));
        }
    }
    report_allocations(state, before);
    state.SetItemsProcessed(state.iterations() * keystrokes);
}
BENCHMARK_CAPTURE(BM_search_per_keystroke, pinyin_yalixing, L"yalixing");
BENCHMARK_CAPTURE(BM_search_per_keystroke, initials_ylxssfxpg, L"ylxssfxpg");
BENCHMARK_CAPTURE(BM_search_per_keystroke, chinese_yalixing, L"压力性损伤");

BENCHMARK_MAIN();
