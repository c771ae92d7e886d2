#!/usr/bin/env bash
# The hazard log names the tests that prove its controls: every name in the
# last column of docs/hazards.md must be a test, so the log never cites a
# test that was deleted or renamed. A name is a ctest name of the given
# test folder, or a test case ("Suite.Case") of one of the given Windows
# test programs, which run under Wine as one ctest each.
#   tests/hazard_log_check.sh <hazards.md> <ctest folder> [<Windows test program>...]
set -euo pipefail
log=$1 dir=$2
shift 2
known=$(
  ctest --test-dir "$dir" -N | sed -n 's/^ *Test *#[0-9]*: //p'
  for program in "$@"; do
    wine "$program" --gtest_list_tests </dev/null 2>/dev/null | tr -d '\r' |
      awk '/^[^ ]/ { suite = $1 } /^  [^ ]/ { print suite $1 }'
  done
)
known=$(echo "$known" | sort -u)
named=$(grep '^| H[0-9]' "$log" | awk -F'|' '{print $(NF-1)}' | grep -o '`[^`]*`' | tr -d '`' | sort -u)
[ -n "$named" ] || { echo "no test is named in $log" >&2; exit 1; }
missing=$(comm -23 <(echo "$named") <(echo "$known"))
if [ -n "$missing" ]; then
  echo "$log names tests that do not exist:" >&2
  echo "$missing" >&2
  exit 1
fi
echo "$(echo "$named" | wc -l) tests named in $log, every one of them exists"
