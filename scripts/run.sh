#!/usr/bin/env bash
# Builds Glyvant.exe and runs it under Wine in the build's own prefix. With
# no display it says so, renders the window on a virtual display, saves a
# screenshot (build/glyvant.png) and prints the self-test report instead.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/common.sh
scripts/bootstrap.sh
build_preset windows glyvant

if [ -n "${DISPLAY:-}" ]; then
  exec build/windows/wine-run.sh build/windows/Glyvant.exe
fi

echo "No display here: Glyvant runs on a virtual display instead; its window after"
echo "Calculate is saved as build/glyvant.png, and its self-test report follows."
scripts/screenshot.sh build/glyvant.png

report=build/selftest-report.txt
rc=0
build/windows/wine-run.sh build/windows/Glyvant.exe --selftest "$report" || rc=$?
wine_environment "$PWD/build/windows/wineprefix"
wineserver -w
cat "$report"
echo "self-test exit code $rc"
exit "$rc"
