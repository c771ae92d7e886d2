#!/usr/bin/env bash
# The hospital's database, on a PostgreSQL server of the test's own
# (database_server.sh):
#   database_session_test.sh <folder>
# The writer, over TCP with its password as a ward PC connects, may insert
# and do nothing else. (Rows through ODBC, an outage, a wrong password:
# delivery_session_test.sh, natively and under Wine.)
set -uo pipefail
folder=$1
source "$(dirname "$0")/database_server.sh"
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
trap database_server_stop EXIT
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
[ "$(database_admin_sql "SELECT string_agg(record_id || ' ' || ward, ',') FROM orvomed_record")" = "record-1 普外一科" ] ||
  fail "the table holds [$(database_admin_sql "SELECT record_id, ward FROM orvomed_record")]"
exit $((failures > 0))
