#!/usr/bin/env bash
# Builds the native preset and prints the benchmark figures: time per
# evaluation and heap allocations per iteration (which must be 0).
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/common.sh
scripts/bootstrap.sh
build_preset native glyvant_bench
build/native/bench/glyvant_bench --benchmark_repetitions=5 --benchmark_report_aggregates_only=true "$@"
