#!/usr/bin/env bash
# Builds the native preset and prints the benchmark figures: time per
# evaluation and heap allocations per iteration (which must be 0).
# With --instructions: instructions per call instead, counted by callgrind
# over 1,000 and 3,000 calls (the difference, so start-up does not count),
# which do not depend on the host's speed or load.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/common.sh
scripts/bootstrap.sh
if [ "${1:-}" = --instructions ]; then
  build_preset native glyvant_instructions
  count() {
    valgrind --tool=callgrind --callgrind-out-file=/dev/null build/native/bench/glyvant_instructions "$@" 2>&1 |
      sed -n 's/.*Collected : //p'
  }
  for what in carbs_icr_conc units_gt_20 long_formula tool_calculate; do
    echo "$what: $(( ($(count $what 3000) - $(count $what 1000)) / 2000 )) instructions per call"
  done
  exit 0
fi
build_preset native glyvant_bench
build/native/bench/glyvant_bench --benchmark_repetitions=5 --benchmark_report_aggregates_only=true "$@"
