#!/usr/bin/env bash
# Saved results delivered to a real PostgreSQL server of the test's own, as
# the programs of one ward PC deliver them:
#   delivery_session_test.sh <work folder> <delivery_tests> <delivery_writer> [<list_window_tests> <wine prefix> [<course_window_tests>]]
# With the last two (the Windows build), everything runs under Wine, whose
# odbc32 hands the calls to the host's unixODBC and its PostgreSQL driver,
# and the tool window's own cases run too (its course's, with the last). Cases: the delivery's own tests;
# 8 programs saving 50 results each at once (exactly 400 rows, none twice,
# each as the local record has it); the server down (the results wait,
# then arrive once); a program killed in the middle of a delivery (nothing
# lost, nothing doubled); a table locked by another session and a server
# that stops answering after the login (the pass gives up within its bound,
# a later save delivers); a server under a name its certificate does not
# give (refused as such, the result waits). Prints the rows per second of
# the 8 writers and the time from Save to commit.
set -uo pipefail
work=$1 tests=$2 writer=$3 window_tests=${4:-} prefix=${5:-} course_tests=${6:-}
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../support/wine_session.sh"
source "$here/database_server.sh"

finish() { database_server_stop; }
trap 'exit 130' INT TERM
mkdir -p "$work" && work=$(cd "$work" && pwd)  # XDG_DATA_HOME must be absolute
database_server_start "$work" || exit 1
# The owner reads back over TCP as well: a password for it.
owner_password=$(od -An -tx1 -N16 /dev/urandom | tr -d ' \n')
database_name=postgres database_admin_sql "ALTER ROLE postgres PASSWORD '$owner_password'" >/dev/null
export GLYVANT_TEST_DATABASE_ADMIN="Driver={PostgreSQL Unicode};Server=127.0.0.1;Port=$database_port;Database=orvomed;Uid=postgres;Pwd=$owner_password;$database_tls"

if [ -n "$prefix" ]; then
  wine_test_session "$prefix"
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
count() { database_admin_sql "SELECT count(*), count(DISTINCT record_id) FROM orvomed.orvomed_record WHERE tool_id = 952"; }

# ---- The delivery's own cases, and the window's ------------------------------------
run "$tests" >"$work/delivery_tests.log" 2>&1 && grep -q '^\[  PASSED  \]' "$work/delivery_tests.log" ||
  { fail "the delivery's tests"; grep -A8 'Failure' "$work/delivery_tests.log" | head -40 >&2; }
if [ -n "$window_tests" ]; then
  run "$window_tests" --gtest_filter='DatabaseWindow.*' >"$work/window_tests.log" 2>&1 &&
    grep -q '^\[  PASSED  \]' "$work/window_tests.log" ||
    { fail "the window's database cases"; grep -A8 'Failure' "$work/window_tests.log" | head -40 >&2; }
fi
if [ -n "$course_tests" ]; then
  run "$course_tests" --gtest_filter='*.DatabaseCourse' >"$work/course_tests.log" 2>&1 &&
    grep -q '^\[  PASSED  \]' "$work/course_tests.log" || fail "the course's database cases"
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
# inputs, the save time, the due time.
database_admin_sql "SELECT record_id, patient_id, patient_name, replace(inputs, chr(13) || chr(10), ' / '), to_char(saved_at AT TIME ZONE 'UTC', 'YYYY-MM-DD HH24:MI:SS'), tool_title, windows_user, computer, verdict, level_words, outputs, to_char(due_at AT TIME ZONE 'UTC', 'YYYY-MM-DD HH24:MI:SS') FROM orvomed.orvomed_record WHERE tool_id = 952" \
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
        due = datetime.datetime.fromisoformat(r["下次评估"]).astimezone(datetime.timezone.utc)
        # The result field ends with "结论：…" and "提示等级：颜色（words）"; its
        # first line is the output's.
        lines = r["结果"].splitlines()
        verdict = next(l for l in lines if l.startswith("结论："))[3:]
        words = next(l for l in lines if l.startswith("提示等级："))
        words = words[words.index("（") + 1:-1]
        output = lines[0].replace("：", "=", 1)
        local[r["记录编号"]] = (r["住院号"], r["姓名"], r["行号"] + " / " + r["进程"], saved.strftime("%Y-%m-%d %H:%M:%S"),
                               r["工具"], r["Windows 用户"], r["计算机名"], verdict, words, output,
                               due.strftime("%Y-%m-%d %H:%M:%S"))
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
grep -h -o 'latency_ms=[0-9.,:]*' "$work"/writer-*.txt | sed 's/latency_ms=//' | tr ',' '\n' | sed 's/:.*//' | grep . |
  sort -n >"$work/latency.txt"
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
given_up=${out#latency_ms=}
echo "a server that never answers: given up after ${given_up%%:*} ms (the login timeout is 5 s)"
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

# ---- A server that stops answering after the login ---------------------------------------------
# lock_table SECONDS: another session holds the table, as a report or a
# maintenance job may, until it is ended (end_lock) or the time is up.
lock_table() {
  database_admin_sql "BEGIN; LOCK TABLE orvomed.orvomed_record IN ACCESS EXCLUSIVE MODE; SELECT pg_sleep($1); COMMIT" \
    >/dev/null 2>&1 &
  locker=$!
  for _ in $(seq 100); do
    [ "$(database_admin_sql "SELECT count(*) FROM pg_locks WHERE mode = 'AccessExclusiveLock' AND granted AND relation = 'orvomed.orvomed_record'::regclass")" = 1 ] && return 0
    sleep 0.1
  done
  fail "the table could not be locked"
}
end_lock() {
  database_admin_sql "SELECT count(pg_terminate_backend(pid)) FROM pg_stat_activity WHERE query LIKE '%pg_sleep%' AND pid <> pg_backend_pid()" >/dev/null
  wait "$locker" 2>/dev/null
}
# The statement gives up within its bound, the claim released, the
# program free to deliver again; once the table is free the result arrives.
lock_table 120
started=$(date +%s)
out=$(timeout 120 "${runner[@]}" "$writer" 1 2>/dev/null | tr -d '\r')
held=$(( $(date +%s) - started ))
[[ $out == *"saved=1 delivered=0 waiting=1 problem=8"* ]] || fail "a locked table: the writer said [${out##*ms=* }]"
[ "$(ls "$outbox" | grep -c '\.row$')" = 1 ] || fail "a locked table left the claim: $(ls "$outbox")"
end_lock
out=$(run "$writer" 0)
[[ $out == *"delivered=1 waiting=0"* ]] || fail "after the lock the writer said [$out]"
# A server process that stops dead (here stopped by a signal once it waits
# for the lock) answers neither the statement nor its cancel: the program
# gives the call up, and its next save delivers both results.
writer_sessions() { database_admin_sql "SELECT count(*) FROM pg_stat_activity WHERE usename = 'orvomed_writer'"; }
for _ in $(seq 100); do [ "$(writer_sessions)" = 0 ] && break; sleep 0.1; done
before=$(count)  # not while the table is locked: the count would wait for it
lock_table 120
timeout 150 "${runner[@]}" "$writer" 2 >"$work/stalled.txt" 2>/dev/null &
stalled_writer=$!
backend=
for _ in $(seq 100); do
  backend=$(database_admin_sql "SELECT pid FROM pg_stat_activity WHERE usename = 'orvomed_writer' AND wait_event_type = 'Lock'")
  [ -n "$backend" ] && break
  sleep 0.1
done
[ -n "$backend" ] && kill -STOP "$backend"
end_lock
wait "$stalled_writer"
# Still inside the insert when the program was done: it never answered.
stuck=$(database_admin_sql "SELECT count(*) FROM pg_stat_activity WHERE pid = ${backend:-0} AND state = 'active'")
[ -n "$backend" ] && kill -CONT "$backend"
out=$(tr -d '\r' <"$work/stalled.txt")
[ "$stuck" = 1 ] || fail "the server process did not stay stopped inside the insert"
[[ $out == *"saved=2 delivered=2 waiting=0"* ]] || fail "a server that stopped answering: the writer said [${out##*ms=* }]"
[ "$(count)" = "$(( ${before%%|*} + 2 ))|$(( ${before%%|*} + 2 ))" ] || fail "after the stall: $(count) rows, before $before"
latencies=${out#latency_ms=} latencies=${latencies%% *}
first=${latencies%%,*} second=${latencies##*,}
# Each held at most its bound (30 s, and the time to give a call up), the
# result saved after it there within a minute.
(( held <= 35 )) || fail "a locked table held the pass ${held} s"
first_ms=${first%:*} second_ms=${second%:*}
(( ${first_ms%.*} <= 35000 )) || fail "a server that stopped answering held the pass ${first_ms} ms"
(( ${second_ms%.*} <= 60000 )) || fail "after the stall the next save arrived after ${second_ms} ms"
echo "a locked table: the pass gave up after ${held} s; a server that stopped answering: its pass gave up after" \
     "${first%:*} ms, the next save's delivered both in ${second%:*} ms"

# ---- A server under a name its certificate does not give ------------------------------------
# Verified fully, the connection is refused and told as such; the result waits.
out=$(GLYVANT_TEST_DATABASE=$GLYVANT_TEST_DATABASE_WRONG_HOST run "$writer" 1)
[[ $out == *"saved=1 delivered=0 waiting=1 problem=7"* ]] || fail "a server by another name: the writer said [${out##*ms=* }]"

session_verdict "delivery: every result arrived once, as saved"
