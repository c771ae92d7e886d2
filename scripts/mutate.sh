#!/usr/bin/env bash
# Mutation pass: does the test run notice when the core is wrong?
#   scripts/mutate.sh [--asan] [PATTERN...]
# Applies each mutant of scripts/mutants.txt in turn (only those whose line
# contains one of the PATTERNs, when given), rebuilds natively (--asan: with the
# sanitizers), runs the native test run, and puts the file back. A mutant is
# killed when the build's tests fail; one that survives is printed with its
# line. Prints the score over the mutants not marked equivalent, and exits 1
# when any survives. The tree is never left changed: the original file is
# kept beside the build and put back on every exit, an interrupted one
# included, and by the next run if this one was killed outright.
#
# scripts/mutants.txt: one mutant per line, "path|old text|new text", where
# old text occurs exactly once in path; "\|" is a bar within a text, "\n" a
# line break. A fourth field "equivalent: reason" marks a mutant that cannot
# change behaviour; it is listed, not run. Blank lines and lines starting
# with # are ignored.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/common.sh

preset=native
if [ "${1:-}" = --asan ]; then
  preset=native-asan
  shift
fi
dir=build/mutate-$preset
saved=$dir/original
mkdir -p "$saved"

# put_back: the file under mutation, as it was.
put_back() {
  if [ -f "$saved/path" ]; then
    cp "$saved/file" "$(cat "$saved/path")"
    rm -f "$saved/path" "$saved/file"
  fi
}
put_back  # a run killed outright left its mutant in place
trap put_back EXIT
trap 'put_back; exit 130' INT TERM

cmake --preset "$preset" -B "$dir" -DGLYVANT_BENCH=OFF -DGLYVANT_WERROR=OFF >/dev/null
build() { cmake --build "$dir" >"$dir/build.log" 2>&1; }
tests() { ctest --test-dir "$dir" -j2 --stop-on-failure --timeout 120 >"$dir/test.log" 2>&1; }
build || { cat "$dir/build.log"; exit 1; }
tests || { echo "mutate: the tests fail before any mutant" >&2; tail -20 "$dir/test.log"; exit 1; }

# The mutants, each as four NUL-ended fields: line number, path, old, new;
# equivalent ones as line number, "=", reason, "".
python3 - scripts/mutants.txt "$@" >"$dir/mutants" <<'PYTHON'
import re, sys
path, patterns = sys.argv[1], sys.argv[2:]
def unescape(t):
    return re.sub(r"\\([|n\\])", lambda m: {"|": "|", "n": "\n", "\\": "\\"}[m.group(1)], t)
bad = 0
for number, line in enumerate(open(path, encoding="utf-8"), 1):
    line = line.rstrip("\n")
    if not line.strip() or line.startswith("#") or not any(p in line for p in patterns or [""]):
        continue
    fields = [unescape(f) for f in re.split(r"(?<!\\)\|", line)]
    if len(fields) not in (3, 4) or (len(fields) == 4 and not fields[3].startswith("equivalent: ")):
        sys.stderr.write("mutants.txt:%d: expected path|old|new[|equivalent: reason]\n" % number)
        bad = 1
        continue
    source = open(fields[0], encoding="utf-8").read()
    if source.count(fields[1]) != 1:
        sys.stderr.write("mutants.txt:%d: the old text occurs %d times in %s, not once\n"
                         % (number, source.count(fields[1]), fields[0]))
        bad = 1
        continue
    out = [str(number)] + (["=", fields[3], ""] if len(fields) == 4 else fields[:3])
    sys.stdout.write("".join(f + "\0" for f in out))
sys.exit(bad)
PYTHON

run=0 killed=0 equivalent=0
survivors=()
while IFS= read -u 3 -r -d '' number && IFS= read -u 3 -r -d '' path &&
      IFS= read -u 3 -r -d '' old && IFS= read -u 3 -r -d '' new; do
  if [ "$path" = "=" ]; then
    equivalent=$((equivalent + 1))
    echo "mutants.txt:$number: equivalent ($old)"
    continue
  fi
  run=$((run + 1))
  cp "$path" "$saved/file"
  echo "$path" >"$saved/path"
  OLD=$old NEW=$new python3 -c '
import os, sys
p = sys.argv[1]; s = open(p, encoding="utf-8").read()
open(p, "w", encoding="utf-8").write(s.replace(os.environ["OLD"], os.environ["NEW"], 1))' "$path"
  if ! build; then
    result="does not compile"
    survivors+=("mutants.txt:$number: $path: does not compile; fix the mutant")
  elif tests; then
    result=SURVIVED
    survivors+=("mutants.txt:$number: $path: survived: $(sed -n "${number}p" scripts/mutants.txt)")
  else
    result=killed
    killed=$((killed + 1))
  fi
  put_back
  echo "mutants.txt:$number: $result"
done 3<"$dir/mutants"
build >/dev/null || true  # the build folder back to the tree's sources

echo
for s in "${survivors[@]}"; do echo "$s"; done
if [ "$run" -gt 0 ]; then
  echo "mutate ($preset): $killed of $run mutants killed ($((100 * killed / run))%), $equivalent marked equivalent"
fi
[ "$killed" -eq "$run" ]
