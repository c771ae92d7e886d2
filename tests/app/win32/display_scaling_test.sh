#!/usr/bin/env bash
# The tools' window and the launcher at 100, 125, 150 and 200 % display
# scaling (96, 120, 144 and 192 DPI), each in a Wine prefix of its own whose
# LogPixels says so, on a virtual desktop of a ward laptop's work area,
# 1280 x 680 units (1920 x 1020 pixels at 150 %): the layout and the fit of
# every verdict, caution and basis of the suite at each scaling, and a move
# between scalings (the window tests' own cases); the title's ink measured
# at each, which must grow in proportion to within a pixel; the pictures of
# Glyvant, Caprini, NRS 2002 and the launcher kept in OUT_DIR to look at.
# Usage: display_scaling_test.sh WINDOW_TESTS.exe LAUNCHER_TESTS.exe BUILD_DIR OUT_DIR
set -euo pipefail
window_tests=$(realpath "$1") launcher_tests=$(realpath "$2") build=$(realpath "$3") out=$(realpath -m "$4")
cd "$(dirname "$0")/../../.."
source scripts/common.sh

# An X display of its own, large enough for the window at 200 %.
if [ -z "${GLYVANT_SCALING_DISPLAY:-}" ]; then
  exec env GLYVANT_SCALING_DISPLAY=1 xvfb-run -a -s "-screen 0 2600x1500x24" "$PWD/tests/app/win32/display_scaling_test.sh" \
    "$window_tests" "$launcher_tests" "$build" "$out"
fi

dpis="96 120 144 192"
desktop() { echo "$((1280 * $1 / 96))x$((680 * $1 / 96))-$1dpi"; }
prefixes=""
for dpi in $dpis; do prefixes="$prefixes $build/wineprefix-$(desktop "$dpi")"; done
# shellcheck disable=SC2086
wine_session $prefixes

rm -rf "$out"
mkdir -p "$out"
cd "$out"
failed=0
window_cases=MainWindow.FixedSizeCentredNeverOffScreen:MainWindow.ControlsAreWhereAUserLooksForThem
window_cases=$window_cases:MainWindow.EveryVerdictOfTheSuiteShowsWhole:MainWindow.EveryCautionAndBasisOfTheSuiteShowsWhole
window_cases=$window_cases:MainWindow.SharpAndWholeAtThisScaling
for dpi in $dpis; do
  wine_environment "$build/wineprefix-$(desktop "$dpi")"
  echo "== $dpi DPI, desktop $(desktop "$dpi")"
  for run in "$window_tests --gtest_filter=$window_cases" "$launcher_tests --gtest_filter=Launcher.SharpAndWholeAtThisScaling"; do
    # shellcheck disable=SC2086
    GLYVANT_WINE_DESKTOP=$(desktop "$dpi") GLYVANT_SCALING_FIGURES=1 wine $run </dev/null >"run.log" 2>&1 ||
      { failed=1; cat run.log; }
    grep -E '^\[ +(OK|FAILED) +\]' run.log | sort -u || true
  done
done
rm -f run.log
for picture in *.bmp; do convert "$picture" "${picture%.bmp}.png" && rm "$picture"; done

# Each window's title at each scaling against its height at 96 DPI.
echo "== the title's ink height in pixels (window dpi height)"
tr -d '\r' <ink_heights.txt >ink_heights.tmp && mv ink_heights.tmp ink_heights.txt
cat ink_heights.txt
awk '$2 == 96 {base[$1] = $3} {seen[$1 " " $2] = $3}
     END {
       bad = 0
       for (k in seen) {
         split(k, p, " ")
         if (!(p[1] in base)) { print "no 96 DPI figure for " p[1]; bad = 1; continue }
         want = base[p[1]] * p[2] / 96
         if (seen[k] < want - 1 || seen[k] > want + 1) { print p[1] " at " p[2] " DPI: " seen[k] " px, in proportion " want; bad = 1 }
       }
       exit bad
     }' ink_heights.txt || failed=1
for name in glyvant caprini nrs2002 launcher; do
  for dpi in $dpis; do
    [ -f "$name-$dpi.png" ] || { echo "no picture $name-$dpi.png"; failed=1; }
  done
done
echo "pictures: $out"
exit "$failed"
