#!/usr/bin/env bash
# Builds Glyvant.exe and runs it under Wine in the build's own prefix: the
# self-test with its report printed (the main window is not built yet).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/bootstrap.sh
cmake --preset windows >/dev/null
cmake --build --preset windows --target glyvant

report=build/selftest-report.txt
rc=0
build/windows/wine-run.sh build/windows/Glyvant.exe --selftest "$report" || rc=$?
WINEPREFIX="$PWD/build/windows/wineprefix" wineserver -w
cat "$report"
echo "exit code $rc"
exit "$rc"
