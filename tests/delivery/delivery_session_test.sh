#!/usr/bin/env bash
# Saved results delivered to a real PostgreSQL server of the test's own, as
# the programs of one ward PC deliver them:
#   delivery_session_test.sh <work folder> <delivery_tests> <delivery_writer> [<list_window_tests> <wine prefix>]
# With the last two (the Windows build), everything runs under Wine, whose
# odbc32 hands the calls to the host's unixODBC and its PostgreSQL driver,
# and the tool window's own cases run too. Cases: the delivery's own tests;
# 8 programs saving 50 results each at once (exactly 400 rows, none twice,
# each as the local record has it); the server down (the results wait,
# then arrive once); a program killed in the middle of a delivery (nothing
# lost, nothing doubled). Prints the rows per second of the 8 writers and
# the time from Save to commit.
set -uo pipefail
work=$1 tests=$2 writer=$3 window_tests=${4:-} prefix=${5:-}
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../../scripts/common.sh"
source "$here/database_server.sh"

failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
trap 'database_server_stop; [ -n "$prefix" ] && wineserver -k 2>/dev/null' EXIT
trap 'exit 130' INT TERM
mkdir -p "$work" && work=$(cd "$work" && pwd)  # XDG_DATA_HOME must be absolute
database_server_start "$work" || exit 1
# The owner reads back over TCP as well: a password for it.
owner_password=$(od -An -tx1 -N16 /dev/urandom | tr -d ' \n')
database_name=postgres database_admin_sql "ALTER ROLE postgres PASSWORD '$owner_password'" >/dev/null
export GLYVANT_TEST_DATABASE_ADMIN="Driver={PostgreSQL Unicode};Server=127.0.0.1;Port=$database_port;Database=orvomed;Uid=postgres;Pwd=$owner_password;"

if [ -n "$prefix" ]; then
  wine_environment "$prefix"
  "$here/../../scripts/wine-prefix.sh" "$prefix"
  wineserver -p </dev/null >/dev/null 2>&1
  wine cmd /c exit </dev/null >/dev/null 2>&1
  runner=(wine)
  run() { wine "$@" 2>/dev/null | tr -d '\r'; }
  data=$(winepath -u "$(wine cmd /c 'echo %LOCALAPPDATA%' 2>/dev/null | tr -d '\r')" 2>/dev/null)
else
  runner=(env)
  run() { "$@"; }
  export XDG_DATA_HOME=$work/data
  data=$XDG_DATA_HOME
fi
records=$data/OrvoMedSuite/records outbox=$data/OrvoMedSuite/outbox
rm -rf "$records" "$outbox"
count() { database_admin_sql "SELECT count(*), count(DISTINCT record_id) FROM orvomed_record WHERE tool_id = 952"; }

# ---- The delivery's own cases, and the window's ------------------------------------
run "$tests" >"$work/delivery_tests.log" 2>&1 && grep -q '^\[  PASSED  \]' "$work/delivery_tests.log" ||
  { fail "the delivery's tests"; grep -A8 'Failure' "$work/delivery_tests.log" | head -40 >&2; }
if [ -n "$window_tests" ]; then
  run "$window_tests" --gtest_filter='DatabaseWindow.*' >"$work/window_tests.log" 2>&1 &&
    grep -q '^\[  PASSED  \]' "$work/window_tests.log" ||
    { fail "the window's database cases"; grep -A8 'Failure' "$work/window_tests.log" | head -40 >&2; }
fi

# ---- 8 programs saving 50 results each at once ----------------------------------------
start=$(date +%s%N)
writers=()
for k in 1 2 3 4 5 6 7 8; do
  run "$writer" 50 >"$work/writer-$k.txt" &
  writers+=($!)
done
wait "${writers[@]}"  # the writers alone: the server runs in this shell's background too
elapsed_ns=$(( $(date +%s%N) - start ))
[ "$(count)" = "400|400" ] || fail "8 writers x 50: $(count) rows (all, distinct)"
# Each row as the local record has it: the record number, the patient, the
# inputs, the save time.
database_admin_sql "SELECT record_id, patient_id, patient_name, replace(inputs, chr(13) || chr(10), ' / '), to_char(saved_at AT TIME ZONE 'UTC', 'YYYY-MM-DD HH24:MI:SS'), tool_title, windows_user, computer, verdict, level_words, outputs FROM orvomed_record WHERE tool_id = 952" \
  >"$work/database.txt"
python3 - "$records" "$work/database.txt" <<'EOF' || fail "the database's rows differ from the local record's"
import csv, datetime, glob, io, sys
local = {}
for path in glob.glob(sys.argv[1] + "/T952*.csv"):
    rows = list(csv.reader(io.StringIO(open(path, encoding="utf-8-sig").read())))
    header = rows[0]
    for row in rows[1:]:
        r = dict(zip(header, row))
        saved = datetime.datetime.fromisoformat(r["保存时间"]).astimezone(datetime.timezone.utc)
        # The result field ends with "结论：…" and "提示等级：颜色（words）"; its
        # first line is the output's.
        lines = r["结果"].splitlines()
        verdict = next(l for l in lines if l.startswith("结论："))[3:]
        words = next(l for l in lines if l.startswith("提示等级："))
        words = words[words.index("（") + 1:-1]
        output = lines[0].replace("：", "=", 1)
        local[r["记录编号"]] = (r["住院号"], r["姓名"], r["行号"] + " / " + r["进程"], saved.strftime("%Y-%m-%d %H:%M:%S"),
                               r["工具"], r["Windows 用户"], r["计算机名"], verdict, words, output)
# psql prints one row a line, fields parted by "|"; the inputs' line break
# is written " / " by the query.
database = {}
for line in open(sys.argv[2], encoding="utf-8").read().split("\n"):
    if line:
        record, *fields = line.split("|")
        database[record] = tuple(fields)
assert len(local) == 400, len(local)
for record, fields in local.items():
    assert database.get(record) == fields, (record, fields, database.get(record))
EOF
grep -h -o 'latency_ms=[0-9.,]*' "$work"/writer-*.txt | sed 's/latency_ms=//' | tr ',' '\n' | grep . | sort -n >"$work/latency.txt"
latencies=$(wc -l <"$work/latency.txt")
median=$(sed -n "$(( (latencies + 1) / 2 ))p" "$work/latency.txt")
p95=$(sed -n "$(( (latencies * 95 + 99) / 100 ))p" "$work/latency.txt")
echo "8 writers x 50 results: $(awk "BEGIN {printf \"%.1f\", 400 / ($elapsed_ns / 1e9)}") results a second saved and delivered;" \
     "Save to commit ${median} ms median, ${p95} ms at the 95th percentile (${latencies} deliveries)"

# ---- The server down: the results wait, and then arrive once ------------------------------
database_server_pause
out=$(run "$writer" 5)
[[ $out == *"saved=5 delivered=0 waiting=5 problem=2"* ]] || fail "with the server down the writer said [${out##*ms=* }]"
database_server_resume || fail "the server did not start again"
out=$(run "$writer" 0)
[[ $out == *"saved=0 delivered=5 waiting=0 problem=0"* ]] || fail "once the server was back the writer said [$out]"
[ "$(count)" = "405|405" ] || fail "after the outage: $(count) rows"

# ---- A server that takes the connection and never answers -------------------------------------
# The attempt gives up at its login timeout: the result waits, the program
# goes on.
silent=$(database_free_port)
python3 -c 'import socket, sys, time; s = socket.create_server(("127.0.0.1", int(sys.argv[1]))); time.sleep(60)' "$silent" &
listener=$!
for _ in $(seq 50); do (exec 3<>"/dev/tcp/127.0.0.1/$silent") 2>/dev/null && break; sleep 0.1; done
out=$(GLYVANT_TEST_DATABASE=${GLYVANT_TEST_DATABASE/Port=*;Database/Port=$silent;Database} timeout 60 "${runner[@]}" "$writer" 1)
kill "$listener" 2>/dev/null
wait "$listener" 2>/dev/null
[[ $out == *"saved=1 delivered=0 waiting=1 problem=2"* ]] || fail "a silent server: the writer said [$out]"
echo "a server that never answers: given up after ${out%% saved=*} (the login timeout is 5 s)"
run "$writer" 0 >/dev/null

# ---- A program killed in the middle of a delivery ---------------------------------------------
# It dies right after the 40th of 100 rows is committed, its file still in
# the outbox and claimed: the worst moment, the database's answer lost.
run "$writer" 100 queue-only >/dev/null
run "$writer" 0 die-after=40 >/dev/null
[ "$(count)" = "446|446" ] || fail "the delivery that died after 40 rows left $(count)"
out=$(run "$writer" 0)
# The 60 left, and the 40th again: already there, so delivered, not doubled.
[[ $out == *"delivered=61 waiting=0"* ]] || fail "after the death the next delivery said [$out]"
[ "$(count)" = "506|506" ] || fail "after a delivery died mid-way: $(count) rows"
[ -z "$(ls -A "$outbox" 2>/dev/null)" ] || fail "files left in the outbox: $(ls "$outbox")"

if [ "$failures" -gt 0 ]; then
  echo "$failures failure(s)" >&2
  exit 1
fi
echo "delivery: every result arrived once, as saved"
