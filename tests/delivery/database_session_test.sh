#!/usr/bin/env bash
# The hospital's database, on a PostgreSQL server of the test's own
# (database_server.sh):
#   database_session_test.sh <folder>
#     the writer, over TCP with its password as a ward PC connects, may
#     insert and do nothing else; its rows outlive an outage of the server.
#   database_session_test.sh <folder> <wine-run.sh> <odbc_probe.exe>
#     a Windows program's row through ODBC under Wine, read back as the
#     owner: every value as the program sent it, byte for byte; a server that
#     never answers ends its attempt at its login timeout.
set -uo pipefail
folder=$1 emulator=${2:-} probe=${3:-}
source "$(dirname "$0")/database_server.sh"
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
listener=
trap 'database_server_stop; [ -z "$listener" ] || kill "$listener" 2>/dev/null' EXIT
trap 'exit 130' INT TERM
database_server_start "$folder" || exit 1
password=${GLYVANT_TEST_DATABASE##*Pwd=} password=${password%;}

# as_writer SQL [PASSWORD]: runs SQL as the writer; prints only what went wrong.
as_writer() {
  PGPASSWORD=${2:-$password} "$database_bin/psql" -X -q -v ON_ERROR_STOP=1 \
    "host=127.0.0.1 port=$GLYVANT_TEST_DATABASE_PORT dbname=orvomed user=orvomed_writer" -c "$1" 2>&1 >/dev/null
}
# insert ID: the INSERT of a row of that record number.
insert() {
  echo "INSERT INTO orvomed_record VALUES ('$1', now(), 18, 'Braden', '1.0', 'PC', '护士站', '', '测试护士', '', '', '', '普外一科', 'a=3', 'b=15', 15, '结论', 1, '提醒', '结论')"
}

if [ -z "$probe" ]; then
  while IFS='|' read -r expected sql; do
    said=$(as_writer "$sql")
    if [ "$expected" = allowed ]; then
      [ -z "$said" ] || fail "the writer could not: $sql: $said"
    elif ! grep -q 'permission denied\|must be owner' <<<"$said"; then
      fail "the writer was let: $sql${said:+: $said}"
    fi
  done <<CASES
allowed|$(insert record-1)
refused|SELECT count(*) FROM orvomed_record
refused|UPDATE orvomed_record SET ward = '外科'
refused|DELETE FROM orvomed_record
refused|TRUNCATE orvomed_record
refused|DROP TABLE orvomed_record
refused|ALTER TABLE orvomed_record ADD COLUMN note text
refused|CREATE TABLE orvomed_copy (note text)
CASES
  grep -q 'password authentication failed' <<<"$(as_writer 'SELECT 1' wrong)" ||
    fail "the writer came in with a wrong password"
  database_server_pause
  [ -n "$(as_writer "$(insert record-2)")" ] || fail "a row was taken while the server was down"
  database_server_resume || fail "the server did not start again on port $GLYVANT_TEST_DATABASE_PORT"
  said=$(as_writer "$(insert record-3)") || fail "the writer could not insert after the outage: $said"
  stored=$(database_admin_sql "SELECT string_agg(record_id || ' ' || ward, ',' ORDER BY record_id) FROM orvomed_record")
  [ "$stored" = "record-1 普外一科,record-3 普外一科" ] || fail "the table holds [$stored]"
  exit $((failures > 0))
fi

# ---- Under Wine ----------------------------------------------------------------
sent=$("$emulator" "$probe" </dev/null | tr -d '\r') || fail "the probe's row was not committed"
# Each column as the probe sent it ("-" for NULL, else its UTF-8 bytes in
# hex), compared by the server as the column's type: a text byte for byte,
# the time as an instant.
checked=0
while read -r column hex; do
  [ -n "$column" ] || continue
  if [ "$hex" = - ]; then
    same="$column IS NULL"
  else
    value=$(printf '%bx' "$(sed 's/../\\x&/g' <<<"$hex")") value=${value%x}
    same="$column = '${value//\'/\'\'}'"
  fi
  [ "$(database_admin_sql "SELECT $same FROM orvomed_record")" = t ] ||
    fail "$column stored as [$(database_admin_sql "SELECT $column FROM orvomed_record")]"
  checked=$((checked + 1))
done <<<"$sent"
columns=$(database_admin_sql "SELECT count(*) FROM information_schema.columns WHERE table_name = 'orvomed_record'")
[ "$checked" = "$columns" ] || fail "the probe reported $checked of the table's $columns columns"

# A server that accepts the connection and never answers.
port=$(database_free_port)
python3 -c 'import socket, sys, time; s = socket.create_server(("127.0.0.1", int(sys.argv[1]))); time.sleep(120)' \
  "$port" &
listener=$!
for _ in $(seq 50); do (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null && break; sleep 0.1; done
said=$(GLYVANT_TEST_DATABASE=${GLYVANT_TEST_DATABASE/Port=*;Database/Port=$port;Database} \
       timeout 60 "$emulator" "$probe" 2>&1 </dev/null)
grep -q 'timeout expired' <<<"$said" || fail "a silent server: the probe ended [$said]"
exit $((failures > 0))
