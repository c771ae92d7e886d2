#!/bin/bash
# Builds the libFuzzer targets (preset "fuzz") and runs each for SECONDS
# seconds (default 60), as many at once as there are cores. Exits non-zero
# when any target found a crash, a timeout or a memory blow-up.
# Usage: scripts/fuzz.sh [SECONDS]
set -eu
seconds=${1:-60}
case $seconds in
  '' | *[!0-9]*) echo "usage: $0 [SECONDS]" >&2; exit 2 ;;
esac
cd "$(dirname "$0")/.."

command -v clang++-14 >/dev/null || { echo "fuzz.sh: clang++-14 is not installed" >&2; exit 2; }
cmake --preset fuzz >/dev/null
cmake --build build/fuzz

targets=(fuzz_expr fuzz_format_value fuzz_input_field fuzz_record_row fuzz_start_request fuzz_outbox_file
         fuzz_last_assessment fuzz_launcher_lists)
out=$PWD/build/fuzz
mkdir -p "$out/logs"
stamp=$out/logs/.started
touch "$stamp"

# The fuzzer adds what it finds to the corpus directory it is given, so it
# works on a copy in the build tree and the seeds in the repository stay as
# they are. It runs in a folder of its own: a target that writes a file by a
# relative name (the patient file) leaves nothing in the repository.
run_target() {
  local target=$1 seeds=fuzz/corpus/${1#fuzz_}
  mkdir -p "$out/corpus/$target" "$out/artifacts/$target" "$out/work/$target"
  if [ -d "$seeds" ]; then cp -n "$seeds"/* "$out/corpus/$target"/ 2>/dev/null || true; fi
  (cd "$out/work/$target" && "$out/fuzz/$target" -max_total_time="$seconds" -max_len=4096 -timeout=10 \
    -print_final_stats=1 -artifact_prefix="$out/artifacts/$target/" "$out/corpus/$target") \
    >"$out/logs/$target.log" 2>&1 || true
}

jobs=$(nproc 2>/dev/null || echo 1)
for target in "${targets[@]}"; do
  while [ "$(jobs -rp | wc -l)" -ge "$jobs" ]; do wait -n || true; done
  echo "fuzzing $target for ${seconds}s"
  run_target "$target" &
done
wait

failed=0
for target in "${targets[@]}"; do
  log=$out/logs/$target.log
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  found=$(find "$out/artifacts/$target" -type f -newer "$stamp" | wc -l)
  printf '%-20s %12s executions  %d crashes  (log %s)\n' "$target" "${runs:-?}" "$found" "$log"
  if [ "$found" -gt 0 ] || [ -z "$runs" ]; then
    failed=1
    find "$out/artifacts/$target" -type f -newer "$stamp" -printf '    %p\n'
  fi
done
exit $failed
