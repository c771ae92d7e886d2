#!/usr/bin/env bash
# The hazard log names its tests by their ctest names: every name in the
# last column of docs/hazards.md must be a test of the given test folder, so
# the log never cites a test that was deleted or renamed.
#   tests/hazard_log_check.sh <hazards.md> <ctest folder>
set -euo pipefail
log=$1 dir=$2
known=$(ctest --test-dir "$dir" -N | sed -n 's/^ *Test *#[0-9]*: //p' | sort -u)
named=$(grep '^| H[0-9]' "$log" | awk -F'|' '{print $(NF-1)}' | grep -o '`[^`]*`' | tr -d '`' | sort -u)
[ -n "$named" ] || { echo "no test is named in $log" >&2; exit 1; }
missing=$(comm -23 <(echo "$named") <(echo "$known"))
if [ -n "$missing" ]; then
  echo "$log names tests that do not exist:" >&2
  echo "$missing" >&2
  exit 1
fi
echo "$(echo "$named" | wc -l) tests named in $log, every one of them exists"
