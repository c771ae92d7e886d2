#!/usr/bin/env bash
# Checks tool descriptors (the C++ sources GLYVANT_TOOL_SOURCE takes) before
# they are built:  scripts/check-tool.sh suite/*.cpp
# Prints each finding as "<file>: <where>: error|warning: <what>", and exits 1
# when a descriptor has an error or does not compile, else 0.
set -euo pipefail
if [ $# -eq 0 ]; then
  echo "usage: scripts/check-tool.sh DESCRIPTOR.cpp..." >&2
  exit 2
fi
sources=()
for file in "$@"; do
  [ -f "$file" ] || { echo "$file: no such file" >&2; exit 2; }
  sources+=("$(realpath "$file")")
done
cd "$(dirname "$0")/.."
source scripts/common.sh
scripts/bootstrap.sh

# One build folder for every check: the core is compiled once, and each
# descriptor adds one small program (check_tool_1 onwards, in this order).
dir=build/check
list=$(IFS=';'; echo "${sources[*]}")
cmake --preset native -B "$dir" -DGLYVANT_TESTS=OFF -DGLYVANT_BENCH=OFF -DGLYVANT_WERROR=ON \
      -DGLYVANT_CHECK_SOURCES="$list" >/dev/null
targets=()
for i in "${!sources[@]}"; do
  targets+=("check_tool_$((i + 1))")
  rm -f "$dir/check_tool_$((i + 1))"  # never run the program of an earlier list
done
cmake --build "$dir" --target "${targets[@]}" -- -k 0 >"$dir/build.log" 2>&1 || true

failed=0 warnings=0
for i in "${!sources[@]}"; do
  file=${@:$((i + 1)):1}
  program="$dir/check_tool_$((i + 1))"
  if [ ! -x "$program" ]; then
    echo "$file: error: does not compile:"
    grep -F -e "${sources[$i]}" "$dir/build.log" | grep -E 'error|note' | sed 's/^/    /' || true
    failed=1
    continue
  fi
  set +e
  output=$("$program" "$file")
  code=$?
  set -e
  [ -n "$output" ] && printf '%s\n' "$output"
  warnings=$((warnings + $(printf '%s' "$output" | grep -c ': warning: ' || true)))
  [ "$code" -eq 0 ] || failed=1
done
if [ "$failed" -ne 0 ]; then
  echo "check-tool: a descriptor has errors; it must not be built for release" >&2
  exit 1
fi
echo "check-tool: ${#sources[@]} descriptors pass ($warnings warnings)" >&2
