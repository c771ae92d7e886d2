#!/usr/bin/env bash
# Builds the suite, the launcher OrvoMedSuite.exe and every tool's program,
# gathers them in one folder (build/suite) under their release names, and
# starts the launcher there under Wine in the build's own prefix. With no
# display it says so, shows the launcher on a virtual display with a search
# typed (build/launcher.png) and Glyvant after Calculate (build/glyvant.png),
# and prints the launcher's self-test report instead.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/common.sh
scripts/bootstrap.sh

# The tools' programs are the test build's, one target per descriptor of
# suite/ (Glyvant's is the build's own program); the build lists each
# descriptor with its program's release name.
cmake --preset windows -DGLYVANT_WERROR=ON >/dev/null
targets=(orvomed_launcher glyvant)
while read -r stem program; do
  [ "$stem" = t009_glyvant ] || targets+=("glyvant_$stem")
done <build/windows/suite_programs.txt
build_preset windows "${targets[@]}"

suite=build/suite
mkdir -p "$suite"
cp build/windows/OrvoMedSuite.exe "$suite/"
while read -r stem program; do
  if [ "$stem" = t009_glyvant ]; then
    cp build/windows/Glyvant.exe "$suite/"
  else
    cp "build/windows/tests/$stem.exe" "$suite/$program.exe"
  fi
done <build/windows/suite_programs.txt

if [ -n "${DISPLAY:-}" ]; then
  exec build/windows/wine-run.sh "$suite/OrvoMedSuite.exe"
fi

echo "No display here: the launcher runs on a virtual display instead. Its window with"
echo "\"ylx\" typed in the search box is saved as build/launcher.png, Glyvant's after"
echo "Calculate as build/glyvant.png, and the launcher's self-test report follows."
rm -f build/launcher.png build/glyvant.png
SCREENSHOT_TYPE=ylx scripts/screenshot.sh build/launcher.png "$suite/OrvoMedSuite.exe"
scripts/screenshot.sh build/glyvant.png "$suite/Glyvant.exe"
# A desktop that never showed still leaves a picture, trimmed to one pixel.
for picture in build/launcher.png build/glyvant.png; do
  size=$(identify -format '%wx%h' "$picture" 2>/dev/null || true)
  if [ -z "$size" ] || [ "$size" = 1x1 ]; then
    echo "run.sh: $picture is empty (${size:-no image}): the window never showed on the Wine desktop" >&2
    exit 1
  fi
done

# The self-test opens no window: it runs in the screenshots' prefix, made
# by now, rather than in a second one made for it.
report=build/selftest-report.txt
rm -f "$report"
rc=0
wine_environment "$PWD/build/windows/wineprefix-1280x860"
wine "$suite/OrvoMedSuite.exe" --selftest "$report" </dev/null >/dev/null 2>&1 || rc=$?
wineserver -w
cat "$report"
echo "self-test exit code $rc"
exit "$rc"
