#!/usr/bin/env bash
# Builds the program of every tool descriptor in suite/ (or of the ones named:
# scripts/build-tools.sh t106_drug_compatibility ...), natively and for
# Windows, each in its own build folder with GLYVANT_TOOL_SOURCE, and runs
# each program's self-test: natively, and the Windows one under Wine.
#   build/tools/<tool>/native/glyvant       build/tools/<tool>/windows/Glyvant.exe
# Exits non-zero when a descriptor fails the check (nothing is built then), a
# build fails or a self-test does not pass (exit 0).
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/common.sh
scripts/bootstrap.sh

if [ $# -gt 0 ]; then
  tools=("$@")
else
  tools=()
  for source in suite/*.cpp; do tools+=("$(basename "$source" .cpp)"); done
fi

# A descriptor with an error is not built.
descriptors=()
for tool in "${tools[@]}"; do descriptors+=("suite/$tool.cpp"); done
scripts/check-tool.sh "${descriptors[@]}"

wine_session "$PWD/build/windows/wineprefix"

failed=0
summary=()
for tool in "${tools[@]}"; do
  source="$PWD/suite/$tool.cpp"
  [ -f "$source" ] || { echo "no descriptor $source" >&2; exit 2; }
  line="$tool"
  for preset in native windows; do
    dir="build/tools/$tool/$preset"
    build_tool "$preset" "$dir" "$source" glyvant
    rm -f "$dir/selftest.txt"
    set +e
    if [ "$preset" = native ]; then
      (cd "$dir" && ./glyvant --selftest selftest.txt)
    else
      (cd "$dir" && wine Glyvant.exe --selftest selftest.txt </dev/null)
    fi
    code=$?
    set -e
    line="$line  $preset: exit $code"
    [ "$code" -eq 0 ] || failed=1
  done
  summary+=("$line")
done

printf '%s\n' "${summary[@]}"
if [ "$failed" -ne 0 ]; then
  echo "some self-tests did not pass; their reports are in build/tools/<tool>/<build>/selftest.txt" >&2
  exit 1
fi
echo "all ${#tools[@]} tools built for both targets; every self-test passed"
