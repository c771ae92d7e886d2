#!/usr/bin/env bash
# Prints Glyvant's start-up, self-test, memory and size figures:
# - Windows build under Wine: milliseconds from process start to the first
#   paint of the window, for Glyvant.exe and for a minimal Win32 window built
#   the same way (Wine's own start-up dominates, so the ratio is the figure
#   that means something), and the peak working set of each;
# - the self-test's wall time, natively and under Wine;
# - the size of Glyvant.exe;
# - the patient's last assessment in a record of years (Braden's, 50 MB):
#   the lookup natively and under Wine, and Braden's window started with
#   the patient beside it: its first paint and when the line shows.
# Usage: scripts/measure.sh [RUNS] [PROGRAM.exe]   (default 15 runs; medians
# are printed). PROGRAM.exe, another tool's Windows build, stands in for
# Glyvant.exe under Wine; the native self-test stays Glyvant's.
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-15}
program=${2:-build/windows/Glyvant.exe}

source scripts/common.sh

if [ -z "${GLYVANT_VIRTUAL_DISPLAY:-}" ]; then
  scripts/bootstrap.sh
  build_preset native glyvant glyvant_last_assessment_bench >/dev/null
  build_preset windows glyvant glyvant_minimal_window glyvant_first_paint glyvant_last_assessment_bench \
    glyvant_t018_braden >/dev/null
fi
on_virtual_display 1280x1024x24 "$0" "$@"

wine_session "$PWD/build/windows/wineprefix"
work=$(mktemp -d)

median() { sort -n | awk '{v[NR]=$1} END {print (NR % 2) ? v[(NR+1)/2] : (v[NR/2] + v[NR/2+1]) / 2}'; }

# The probe runs on a Wine virtual desktop, which the programs it starts
# share: without a window manager Wine would wait for one at every window.
# The two programs take turns.
wine explorer /desktop=Measure,1280x1024 build/windows/bench/startup/glyvant_first_paint.exe \
  "$runs" build/windows/bench/startup/glyvant_minimal_window.exe "$program" \
  </dev/null 2>/dev/null | tr -d '\r' > "$work/paint.txt"
column() { awk -v which="$1" -v field="$2" '$1 == which {print $field}' "$work/paint.txt" | median; }
minimal_ms=$(column 0 2) minimal_kib=$(column 0 3)
glyvant_ms=$(column 1 2) glyvant_kib=$(column 1 3)

# Wall time of whole self-test runs, process start to exit.
selftest_ms() {
  python3 - "$runs" "$@" <<'PY'
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
wine_selftest=$(selftest_ms wine "$program" --selftest "$work/report.txt")
# The record of years, and the window beside it.
native_lookup=$(XDG_DATA_HOME="$work/data" build/native/glyvant_last_assessment_bench 50)
wine_lookup=$(wine build/windows/glyvant_last_assessment_bench.exe 50 --keep 2>/dev/null | tr -d '\r')
wine explorer /desktop=Measure,1280x1024 build/windows/bench/startup/glyvant_first_paint.exe \
  "$runs" build/windows/bench/startup/glyvant_minimal_window.exe \
  "build/windows/tests/t018_braden.exe --patient-id=2026999999 --patient-name=测试患者甲" \
  </dev/null 2>/dev/null | tr -d '\r' > "$work/records.txt"
wine build/windows/glyvant_last_assessment_bench.exe --remove >/dev/null 2>&1
records_column() { awk -v which="$1" -v field="$2" '$1 == which {print $field}' "$work/records.txt" | median; }
braden_ms=$(records_column 1 2) braden_line_ms=$(records_column 1 4) records_minimal_ms=$(records_column 0 2)

size=$(stat -c %s "$program")
name=$(basename "$program")

echo "Machine: $(nproc) CPUs, $(sed -n 's/^model name\s*: //p' /proc/cpuinfo | head -1); $(wine --version)"
printf 'start to first paint (Wine)   %s %7.1f ms   minimal window %7.1f ms   ratio %.2f (goal <= 1.2)\n' \
  "$name" "$glyvant_ms" "$minimal_ms" "$(awk "BEGIN {print $glyvant_ms / $minimal_ms}")"
printf 'peak working set (Wine)       %s %7d KiB  minimal window %7d KiB\n' "$name" "$glyvant_kib" "$minimal_kib"
printf 'self-test wall time           native %.2f ms (goal < 5 ms), peak RSS %d KiB; under Wine %.1f ms\n' \
  "$native_selftest" "$native_peak" "$wine_selftest"
printf '%s size  %d bytes (%.2f MB; goal < 2 MB)\n' "$name" "$size" "$(awk "BEGIN {print $size / 1048576}")"
echo "last assessment, native:     $native_lookup"
echo "last assessment, under Wine: $wine_lookup"
printf 'Braden with a patient beside the 50 MB record: first paint %.1f ms (minimal window %.1f ms, ratio %.2f; goal <= 1.2), last assessment shown at %.1f ms (goal: within 500 ms of the first paint)\n' \
  "$braden_ms" "$records_minimal_ms" "$(awk "BEGIN {print $braden_ms / $records_minimal_ms}")" "$braden_line_ms"
rm -rf "$work"
