#!/usr/bin/env bash
# Prints the suite's start-up, self-test, memory and size figures:
# - Windows build under Wine: from process start, the first paint of each
#   program's window against a minimal Win32 window built the same way, and
#   the whole window, every control drawn, against a window that makes as
#   many plain controls of each kind as the program's has (counted in it),
#   timed in pairs (bench/startup/first_paint.cpp): Wine's own start-up
#   dominates all of them and the machine's speed drifts, so only the ratio
#   within a pair means something; the median of the pairs' ratios with its
#   interquartile range, the medians of the times, and the peak working set
#   of each; at 96 DPI and again at 150 % display scaling (144 DPI);
# - the self-test's wall time, natively and under Wine;
# - the size of the first program;
# - the patient's last assessment in a record of years (Braden's, 50 MB):
#   the lookup natively and under Wine, and Braden's window started with
#   the patient beside it: its first paint, its whole window and when the
#   line shows.
# Usage: scripts/measure.sh [PAIRS] [PROGRAM.exe...]   (default 60 pairs,
# about eight minutes in all; Glyvant.exe, T024 Caprini and the launcher
# OrvoMedSuite.exe). The first PROGRAM.exe is also the one self-tested under
# Wine and sized; the native self-test stays Glyvant's.
set -euo pipefail
cd "$(dirname "$0")/.."
pairs=${1:-60}
programs=("${@:2}")
[ ${#programs[@]} -gt 0 ] ||
  programs=(build/windows/Glyvant.exe build/windows/tests/t024_caprini.exe build/windows/OrvoMedSuite.exe)
probe=build/windows/bench/startup/glyvant_first_paint.exe
minimal=build/windows/bench/startup/glyvant_minimal_window.exe
controls=build/windows/bench/startup/glyvant_controls_window.exe

source scripts/common.sh

if [ -z "${GLYVANT_VIRTUAL_DISPLAY:-}" ]; then
  scripts/bootstrap.sh
  build_preset native glyvant glyvant_last_assessment_bench >/dev/null
  build_preset windows glyvant glyvant_minimal_window glyvant_controls_window glyvant_first_paint \
    glyvant_last_assessment_bench \
    glyvant_t018_braden glyvant_t024_caprini orvomed_launcher >/dev/null
fi
on_virtual_display 1280x1024x24 "$0" "$@"

# Prefixes of their own, each with a Wine virtual desktop (named for its
# size, as the tests' are) that the programs share: without a window
# manager Wine would wait for one at every window. The second shows every
# window at 150 % display scaling (144 DPI).
prefix=$PWD/build/windows/measure/wineprefix-1280x1024
scaled_prefix=$PWD/build/windows/measure/wineprefix-1280x1024-144dpi
mkdir -p build/windows/measure
wine_session "$prefix" "$scaled_prefix"
work=$(mktemp -d)

# first_paints PREFIX OUT PROGRAM...: the probe's pairs in the Wine prefix,
# one line each, after a line of each program's controls.
first_paints() {
  local prefix=$1 out=$2
  shift 2
  WINEPREFIX=$prefix wine "$probe" "$pairs" "$minimal" "$controls" "$@" </dev/null 2>/dev/null | tr -d '\r' >"$out"
}

# pair_figures FILE WHICH: for the program at place WHICH in the probe's
# list, the median and quartiles of its pairs' ratios of first paint (to
# the minimal window's) and of whole window (to the controls' window's);
# the medians of the first paints, of the whole windows, of the peak
# working sets and of the last assessment's time; the number of pairs; and
# how many pairs were left out: those where a window never showed what was
# waited for.
pair_figures() {
  python3 - "$@" <<'PY'
import statistics, sys
path, which = sys.argv[1], sys.argv[2]
rows = [line.split() for line in open(path) if line.split()[:1] == [which]]
rows = [[float(v) for v in row[2:]] for row in rows]
# program: first paint, whole, KiB, line; minimal: first paint, KiB;
# controls' window: first paint, whole, KiB
done = [r for r in rows if r[0] > 0 and r[1] > 0 and r[4] > 0 and r[7] > 0]
if len(done) < 2:
    sys.exit("no whole window measured for program %s in %s" % (which, path))
def spread(values):
    q1, _, q3 = statistics.quantiles(values, n=4, method="inclusive")
    return "%.2f %.2f %.2f" % (statistics.median(values), q1, q3)
median = lambda k: statistics.median(r[k] for r in done)
print(spread([r[0] / r[4] for r in done]), spread([r[1] / r[7] for r in done]),
      "%.1f %.1f %.1f %.1f %d %d %d %.1f %d %d" % (
          median(0), median(4), median(1), median(7), median(2), median(5), median(8), median(3),
          len(done), len(rows) - len(done)))
PY
}

# control_counts FILE WHICH: what the probe counted in the program's window.
control_counts() {
  awk -v which="$2" '$1 == "controls" && $2 == which {
    printf "%d fields, %d lists, %d boxes, %d buttons, %d statics, %d list boxes", $3, $4, $5, $6, $7, $8 }' "$1"
}

first_paints "$WINEPREFIX" "$work/paint-96.txt" "${programs[@]}"
first_paints "$scaled_prefix" "$work/paint-144.txt" "${programs[@]}"

# Wall time of whole self-test runs, process start to exit.
selftest_ms() {
  python3 - "$pairs" "$@" <<'PY'
import statistics, subprocess, sys, time
runs, command = int(sys.argv[1]), sys.argv[2:]
times = []
for _ in range(runs):
    start = time.perf_counter()
    subprocess.run(command, check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    times.append((time.perf_counter() - start) * 1000)
print("%.2f" % statistics.median(times))
PY
}
native_selftest=$(selftest_ms build/native/glyvant --selftest "$work/report.txt")
# GNU time reads the peak of the program alone (a Python parent's would
# count its own memory, copied into the child before the program starts).
native_peak=$(/usr/bin/time -f %M build/native/glyvant --selftest "$work/report.txt" 2>&1 >/dev/null | tail -1)
wine_selftest=$(selftest_ms wine "${programs[0]}" --selftest "$work/report.txt")
# The record of years, and the window beside it.
native_lookup=$(XDG_DATA_HOME="$work/data" build/native/glyvant_last_assessment_bench 50)
wine_lookup=$(wine build/windows/glyvant_last_assessment_bench.exe 50 --keep 2>/dev/null | tr -d '\r')
first_paints "$WINEPREFIX" "$work/records.txt" \
  "build/windows/tests/t018_braden.exe --patient-id=2026999999 --patient-name=测试患者甲"
wine build/windows/glyvant_last_assessment_bench.exe --remove >/dev/null 2>&1

size=$(stat -c %s "${programs[0]}")
name=$(basename "${programs[0]}")

echo "Machine: $(nproc) CPUs, $(sed -n 's/^model name\s*: //p' /proc/cpuinfo | head -1); $(wine --version)"
echo "start to first paint and to the whole window (every control drawn) under Wine, $pairs pairs each; the"
echo "median of the pairs' ratios (goal <= 1.2) with its interquartile range, medians of the rest. First"
echo "paint against the minimal window's; the whole window against a window that makes as many plain"
echo "controls of each kind:"
for dpi in 96 144; do
  printf '  %-20s %-17s %8s %8s   %-17s %8s %8s %8s %8s %8s\n' "at $dpi DPI" 'first paint (IQR)' program minimal \
    'whole (IQR)' program "controls'" 'WS MiB' minimal "controls'"
  for which in $(seq ${#programs[@]}); do
    figures=$(pair_figures "$work/paint-$dpi.txt" "$which")
    read -r ratio q1 q3 whole_ratio whole_q1 whole_q3 ms minimal_ms whole_ms controls_ms kib minimal_kib controls_kib \
      _ _ failed <<<"$figures"
    printf '  %-20s %4.2f (%.2f-%.2f) %5.0f ms %5.0f ms   %4.2f (%.2f-%.2f) %5.0f ms %5.0f ms %8.1f %8.1f %8.1f%s\n' \
      "$(basename "${programs[which - 1]}")" "$ratio" "$q1" "$q3" "$ms" "$minimal_ms" \
      "$whole_ratio" "$whole_q1" "$whole_q3" "$whole_ms" "$controls_ms" \
      "$(awk "BEGIN {print $kib / 1024}")" "$(awk "BEGIN {print $minimal_kib / 1024}")" \
      "$(awk "BEGIN {print $controls_kib / 1024}")" \
      "$([ "$failed" = 0 ] || echo "  ($failed pairs left out: a window never showed whole)")"
  done
done
echo "controls counted in each window (at 96 DPI), the controls' window making as many:"
for which in $(seq ${#programs[@]}); do
  printf '  %-20s %s\n' "$(basename "${programs[which - 1]}")" "$(control_counts "$work/paint-96.txt" "$which")"
done
printf 'self-test wall time           native %.2f ms (goal < 5 ms), peak RSS %d KiB; under Wine %.1f ms\n' \
  "$native_selftest" "$native_peak" "$wine_selftest"
printf '%s size  %d bytes (%.2f MB; goal < 2 MB)\n' "$name" "$size" "$(awk "BEGIN {print $size / 1048576}")"
echo "last assessment, native:     $native_lookup"
echo "last assessment, under Wine: $wine_lookup"
figures=$(pair_figures "$work/records.txt" 1)
read -r ratio q1 q3 whole_ratio whole_q1 whole_q3 braden_ms records_minimal_ms braden_whole_ms records_controls_ms \
  _ _ _ braden_line_ms _ _ <<<"$figures"
printf 'Braden with a patient beside the 50 MB record: first paint %.1f ms (minimal window %.1f ms, ratio %.2f, IQR %.2f-%.2f; goal <= 1.2), whole window %.1f ms (controls'"'"' window %.1f ms, ratio %.2f, IQR %.2f-%.2f), last assessment shown at %.1f ms (goal: within 500 ms of the first paint)\n' \
  "$braden_ms" "$records_minimal_ms" "$ratio" "$q1" "$q3" "$braden_whole_ms" "$records_controls_ms" "$whole_ratio" \
  "$whole_q1" "$whole_q3" "$braden_line_ms"
rm -rf "$work"
