#!/usr/bin/env bash
# The hospital's database, on a PostgreSQL server of the test's own
# (database_server.sh), every role free to create in public as 12 to 14
# make a database, until docs/records/postgresql.sql runs:
#   database_session_test.sh <folder>
# The writer, over TLS with its password as a ward PC connects, may insert
# one sound row a statement into the columns a PC sends and do nothing
# else, and the server stamps the row itself; the script runs again, and
# over the previous version's table, keeping the rows. (Rows through ODBC,
# an outage, a wrong password, a server under a name its certificate does
# not give: delivery_session_test.sh, natively and under Wine.)
set -uo pipefail
folder=$1
here=$(cd "$(dirname "$0")" && pwd)
source "$here/database_server.sh"
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
trap database_server_stop EXIT
trap 'exit 130' INT TERM
database_server_start "$folder" || exit 1
# The last version of the script before the schema of its own.
previous=412c749c94a7db3537dda54d992de9be3eb1a150:docs/records/postgresql.sql

# as_writer SQL [CONNECTION]: SQL as the writer, the certificate verified,
# CONNECTION's words over these; prints only what went wrong.
as_writer() {
  PGPASSWORD=$database_password "$database_bin/psql" -X -q -v ON_ERROR_STOP=1 \
    "host=127.0.0.1 port=$database_port dbname=orvomed user=orvomed_writer sslmode=verify-full sslrootcert=$database_ca ${2:-}" \
    -c "$1" 2>&1 >/dev/null
}
columns=(record_id saved_at tool_id tool_title program_version computer windows_user nurse_id nurse_name patient_id
         patient_name bed ward inputs outputs headline_value verdict level level_words result_text visit_id admitted_at
         assessed_at)
sound=(id "now()" 18 "'Braden'" "'1.0'" "'PC'" "'护士站'" "''" "'测试护士'" "''" "''" "''" "'普外一科'" "'a=3'" "'b=15'" 15
       "'结论'" 1 "'提醒'" "'结论'" "'3'" "now() - interval '2 days'" "now()")
# row "ID..." [COLUMN=VALUE]...: the INSERT of a sound row of each record
# id, as a PC sends it, but for the columns given.
row() {
  local names=("${columns[@]}") values=("${sound[@]}") tuples=() pair k id
  local ids=($1)
  shift
  for pair; do
    for ((k = 0; k < ${#names[@]}; k++)); do [ "${names[k]}" = "${pair%%=*}" ] && break; done
    names[k]=${pair%%=*} values[k]=${pair#*=}
  done
  for id in "${ids[@]}"; do values[0]="'$id'" && tuples+=("($(IFS=,; echo "${values[*]}"))"); done
  echo "INSERT INTO orvomed.orvomed_record ($(IFS=,; echo "${names[*]}")) VALUES $(IFS=,; echo "${tuples[*]}")"
}
# Unqualified, as the programs of the release before sent it.
unqualified() { row "$@" | sed 's/orvomed\.orvomed_record/orvomed_record/'; }
# As the programs of the release before sent it: the first output's value
# in first_value, no stay, no assessment time.
earlier() {
  local columns=("${columns[@]:0:20}") sound=("${sound[@]:0:20}")
  columns[15]=first_value
  unqualified "$@"
}
uuid() { printf '%08x-0000-4000-8000-%012x' "$1" "$1"; }
# What a table is: its columns (type, NOT NULL, default, rights), checks,
# indexes, trigger, owner and rights.
shape() {
  database_name=$1 database_admin_sql "SELECT string_agg(concat_ws(' ', attname, format_type(atttypid, atttypmod),
      attnotnull, pg_get_expr(adbin, adrelid), attacl), ', ' ORDER BY attnum) FROM pg_attribute
      LEFT JOIN pg_attrdef ON (adrelid, adnum) = (attrelid, attnum) WHERE attrelid = 'orvomed.orvomed_record'::regclass AND attnum > 0
    UNION ALL SELECT string_agg(replace(pg_get_constraintdef(oid), ' NOT VALID', ''), ', ' ORDER BY conname) FROM pg_constraint WHERE conrelid = 'orvomed.orvomed_record'::regclass
    UNION ALL SELECT string_agg(pg_get_indexdef(indexrelid), ', ' ORDER BY indexrelid::regclass::text) FROM pg_index WHERE indrelid = 'orvomed.orvomed_record'::regclass
    UNION ALL SELECT string_agg(pg_get_triggerdef(oid), ', ') FROM pg_trigger WHERE tgrelid = 'orvomed.orvomed_record'::regclass
    UNION ALL SELECT relowner::regrole || ' ' || relacl::text FROM pg_class WHERE oid = 'orvomed.orvomed_record'::regclass"
}

# The previous version's table, with a row an old program sent and one
# the checks now refuse, upgraded.
database_create orvomed_old && database_schema orvomed_old <(git -C "$here" show "$previous") &&
  database_name=orvomed_old database_admin_sql "$(earlier "$(uuid 1)"); $(earlier "$(uuid 2)" level=9);
    $(earlier "$(uuid 4)" tool_id=23); $(earlier "$(uuid 5)" tool_id=16)" &&
  database_schema orvomed_old 2>"$folder/upgrade.log" || fail "the previous version's table: $(cat "$folder/upgrade.log")"
before=$(database_admin_sql "SELECT now()")

while IFS='|' read -r expected connection sql; do
  said=$(as_writer "$sql" "$connection")
  if [ "$expected" = allowed ]; then
    [ -z "$said" ] || fail "the writer could not: $sql: $said"
  elif ! grep -q -- "$expected" <<<"$said"; then
    fail "not refused for $expected: ${connection:+$connection: }${sql:0:200}${said:+: $said}"
  fi
done <<CASES
allowed||$(row "$(uuid 10)")
no pg_hba.conf entry|sslmode=disable|SELECT 1
does not match host name|host=localhost|SELECT 1
permission denied for table|| SELECT count(*) FROM orvomed.orvomed_record
permission denied for table||$(row "$(uuid 11)") RETURNING record_id
permission denied for table||$(row "$(uuid 11)" received_at="now() - interval '1 day'")
permission denied for table||$(row "$(uuid 11)" db_user="'postgres'")
permission denied for table||$(row "$(uuid 11)" client_addr="'10.20.1.5'")
permission denied for table||UPDATE orvomed.orvomed_record SET ward = '外科'
permission denied for table||DELETE FROM orvomed.orvomed_record
permission denied for table||TRUNCATE orvomed.orvomed_record
must be owner||DROP TABLE orvomed.orvomed_record
must be owner||ALTER TABLE orvomed.orvomed_record DISABLE TRIGGER orvomed_record_one_row
permission denied for schema public||CREATE TABLE public.orvomed_copy (note text)
permission denied for schema orvomed||CREATE TABLE orvomed.orvomed_copy (note text)
permission denied to create temporary tables||CREATE TEMP TABLE orvomed_copy (note text)
permission denied for schema public||CREATE FUNCTION public.lower(varchar) RETURNS text LANGUAGE sql AS 'SELECT ''''::text'
permission denied for schema public||CREATE OPERATOR public.= (LEFTARG = text, RIGHTARG = text, FUNCTION = texteq)
permission denied for database||CREATE SCHEMA orvomed_copy
permission denied for function lo_create||SELECT lo_create(0)
permission denied for function lo_creat||SELECT lo_creat(-1)
permission denied for function lo_from_bytea||SELECT lo_from_bytea(0, '\\x00')
permission denied for function lo_put||SELECT lo_put(0, 0, '\\x00')
orvomed_record_level_range||$(row "$(uuid 11)" level=9)
orvomed_record_saved_in_time||$(row "$(uuid 11)" saved_at="now() + interval '1 day'")
orvomed_record_id_form||$(row "$(uuid 11 | tr a-f A-F)")
orvomed_record_id_form||$(row "$(uuid 11 | sed 's/-4000-/-1000-/')")
orvomed_record_inputs_length||$(row "$(uuid 11)" inputs="repeat('输', 8193)")
orvomed_record_result_text_length||$(row "$(uuid 11)" result_text="repeat('结', 32769)")
one row a statement||$(row "$(uuid 11) $(uuid 12)")
allowed|dbname=orvomed_old|$(unqualified "$(uuid 3)")
column "first_value" of relation "orvomed_record" does not exist|dbname=orvomed_old|$(earlier "$(uuid 11)")
orvomed_record_level_range|dbname=orvomed_old|$(row "$(uuid 11)" level=9)
CASES
[ "$(database_admin_sql "SELECT string_agg(concat_ws(' ', record_id, db_user, host(client_addr),
      received_at BETWEEN '$before' AND now()), ',') FROM orvomed.orvomed_record")" = "$(uuid 10) orvomed_writer 127.0.0.1 t" ] ||
  fail "the table holds [$(database_admin_sql "SELECT * FROM orvomed.orvomed_record")]"
[ "$(database_admin_sql "SET ROLE orvomed_reader; SELECT count(*) FROM orvomed.orvomed_record")" = 1 ] ||
  fail "the reader cannot read"

# Run again: the rows stay, the writer still writes.
database_schema orvomed || fail "the script run a second time"
[ -z "$(as_writer "$(row "$(uuid 13)")")" ] && [ "$(database_admin_sql "SELECT count(*) FROM orvomed.orvomed_record")" = 2 ] ||
  fail "after a second run: $(database_admin_sql "SELECT record_id FROM orvomed.orvomed_record")"
# The table upgraded is the one made anew, the rows of before kept.
[ "$(shape orvomed_old)" = "$(shape orvomed)" ] || fail "the upgraded table differs: $(diff <(shape orvomed) <(shape orvomed_old))"
# Braden's first value was its total, and is its headline; NEWS2's was an
# item's, the children's fluids' a daily volume, and both are gone.
[ "$(database_name=orvomed_old database_admin_sql "SELECT string_agg(concat_ws(' ', record_id, level, headline_value,
      db_user = '', to_regclass('public.orvomed_record') IS NULL), ',' ORDER BY record_id) FROM orvomed.orvomed_record")" = \
  "$(uuid 1) 1 15 t t,$(uuid 2) 9 15 t t,$(uuid 3) 1 15 f t,$(uuid 4) 1 t t,$(uuid 5) 1 t t" ] ||
  fail "the upgraded table holds [$(database_name=orvomed_old database_admin_sql "SELECT * FROM orvomed.orvomed_record")]"
exit $((failures > 0))
