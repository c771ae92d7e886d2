# What the tests that run the real programs in a Wine session of their own
# share: their failures' tally and verdict, the session itself, and the
# driving of a program's window. Sourced, by bash; scripts/common.sh comes
# with it.
#   A test defines `finish` for what it takes away as it ends (printers,
#   folders, a server): it runs on exit, after the session's Wine is stopped.

session_top=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
source "$session_top/scripts/common.sh"

failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
# expect WHAT ACTUAL WANTED: a failure naming WHAT unless the two are equal.
expect() { [ "$2" = "$3" ] || fail "$1: [$2], not [$3]"; }
# session_verdict WORDS: the failures told and the test failed, or WORDS.
session_verdict() {
  if [ "$failures" -gt 0 ]; then
    echo "$failures failure(s)" >&2
    exit 1
  fi
  echo "$1"
}

# Only the session's own wineserver is stopped: the caller's WINEPREFIX may
# name another that runs for the tests around this one.
session_prefix=
session_end() {
  [ -z "$session_prefix" ] || WINEPREFIX=$session_prefix wineserver -k 2>/dev/null || true
  if declare -F finish >/dev/null; then finish; fi
}
trap session_end EXIT

# wine_test_session PREFIX: scripts/common.sh's session in PREFIX, for the
# rest of the test; its end is the test's own.
wine_test_session() {
  session_prefix=$(realpath -m "$1")
  cd "$session_top" && wine_session "$session_prefix"
  cd "$OLDPWD" || exit 1
  trap session_end EXIT
}

# policy NAME=VALUE...: values of the programs' policy key in the session's
# registry, as Group Policy writes them ("-" deletes one); through a file,
# not a command line: a connection string holds a password.
policy() {
  local reg
  reg=$(mktemp --suffix=.reg)
  python3 - "$session_top" "$reg" "$@" <<'PY'
import re, sys
# The key as the programs read it: common/policy_key.h's text, its maker's
# name from app/maker.h.
top = sys.argv[1]
maker = re.search(r'#define MAKER_NAME "([^"]+)"', open(top + "/app/maker.h", encoding="utf-8").read()).group(1)
key = re.search(r'#define POLICY_KEY_TEXT (.*)', open(top + "/common/policy_key.h", encoding="utf-8").read()).group(1)
key = "".join(maker if part == "MAKER_NAME" else part.strip('"').replace("\\\\", "\\") for part in key.split())
lines = ["Windows Registry Editor Version 5.00", "", "[HKEY_LOCAL_MACHINE\\" + key + "]"]
for pair in sys.argv[3:]:
    name, value = pair.split("=", 1)
    lines.append('"%s"=%s' % (name, '-' if value == '-' else '"' + value.replace("\\", "\\\\").replace('"', '\\"') + '"'))
open(sys.argv[2], "w", encoding="utf-16").write("\r\n".join(lines) + "\r\n")
PY
  wine regedit /S "$(winepath -w "$reg" 2>/dev/null)" 2>/dev/null
  rm -f "$reg"
}

# The programs' windows, through the test's ui_driver.exe, named $driver;
# the launcher's by its window class.
drive() { wine "$driver" "$@" 2>/dev/null | tr -d '\r'; }
launcher_drive() { GLYVANT_DRIVE_WINDOW=OrvoMedLauncherWnd drive "$@"; }
# start PROGRAM ARGUMENT...: the program started, its window waited for; its
# Wine process is $program.
start() {
  wine "$@" </dev/null >/dev/null 2>&1 &
  program=$!
  drive click 0 >/dev/null  # waits for the window
  sleep 1
}
stop() { kill "$program" 2>/dev/null; wait "$program" 2>/dev/null; sleep 1; }
