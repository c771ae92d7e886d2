#!/usr/bin/env bash
# The tools' window and the launcher at 100, 125, 150 and 200 % display
# scaling, each in a Wine prefix whose LogPixels says so, on a desktop of a
# ward laptop's work area, 1280 x 680 units: the window tests' layout,
# verdict, caution and basis fit and their move between scalings at each;
# the title's ink in proportion to within a pixel; the pictures kept in OUT.
# Usage: display_scaling_test.sh WINDOW_TESTS.exe LAUNCHER_TESTS.exe BUILD_DIR OUT
set -euo pipefail
window_tests=$(realpath "$1") launcher_tests=$(realpath "$2") build=$(realpath "$3") out=$(realpath -m "$4")
cd "$(dirname "$0")/../../.."
source scripts/common.sh
# An X display of its own, large enough for the window at 200 %.
[ -n "${GLYVANT_SCALING_DISPLAY:-}" ] || exec env GLYVANT_SCALING_DISPLAY=1 xvfb-run -a -s "-screen 0 2600x1500x24" \
  "$PWD/tests/app/win32/display_scaling_test.sh" "$window_tests" "$launcher_tests" "$build" "$out"

dpis="96 120 144 192"
desktop() { echo "$((1280 * $1 / 96))x$((680 * $1 / 96))-$1dpi"; }
# shellcheck disable=SC2046
wine_session $(for dpi in $dpis; do echo "$build/wineprefix-$(desktop "$dpi")"; done)
rm -rf "$out" && mkdir -p "$out" && cd "$out"
window_cases=$(printf 'MainWindow.%s:' FixedSizeCentredNeverOffScreen ControlsAreWhereAUserLooksForThem \
  EveryVerdictOfTheSuiteShowsWhole EveryCautionAndBasisOfTheSuiteShowsWhole SharpAndWholeAtThisScaling)
failed=0
for dpi in $dpis; do
  wine_environment "$build/wineprefix-$(desktop "$dpi")"
  for run in "$window_tests --gtest_filter=$window_cases" "$launcher_tests --gtest_filter=Launcher.SharpAndWholeAtThisScaling"; do
    # shellcheck disable=SC2086
    GLYVANT_WINE_DESKTOP=$(desktop "$dpi") GLYVANT_SCALING_FIGURES=1 wine $run </dev/null >run.log 2>&1 ||
      { failed=1; cat run.log; }
    echo "$dpi DPI: $(grep -cE '^\[ +OK +\]' run.log) cases passed"
  done
done
rm -f run.log
for picture in *.bmp; do convert "$picture" "${picture%.bmp}.png" && rm "$picture"; done
tr -d '\r' <ink_heights.txt >ink.txt && mv ink.txt ink_heights.txt
# Each window's title at each scaling against its height at 96 DPI.
awk '$2 == 96 {base[$1] = $3} {seen[$1 " " $2] = $3; print}
     END {
       for (k in seen) {
         split(k, p, " "); want = base[p[1]] * p[2] / 96
         if (!(p[1] in base) || seen[k] < want - 1 || seen[k] > want + 1) { print k ": " seen[k] " px, not " want; bad = 1 }
       }
       exit bad
     }' ink_heights.txt || failed=1
for name in glyvant caprini nrs2002 launcher; do
  for dpi in $dpis; do [ -f "$name-$dpi.png" ] || { echo "no picture $name-$dpi.png"; failed=1; }; done
done
echo "pictures: $out"
exit "$failed"
