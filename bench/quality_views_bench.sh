#!/usr/bin/env bash
# The quality figures over a table of a million results on a local
# PostgreSQL server of its own (tests/delivery/database_server.sh), read
# through a report's login as OrvoMedQuality.exe reads them:
#   bench/quality_views_bench.sh [work folder] [runs] [OrvoMedQuality.exe]
# 1,000,000 rows over the 12 months before this one and this one so far,
# 30 wards of 40 beds, a new patient in a bed every 6 days, about two
# assessments a bed a day of five scales in turn with their due times (1 to
# 7 days), one row in twenty of an older
# program (no assessment time); 1,200 beds' stays in orvomed.stays. Loaded
# by the owner in one statement, then VACUUM ANALYZE. Then, runs times,
# the workbook's queries for each of the 13 months (with the stays; the
# admissions the rows carry are read instead where there are none, and are
# timed beside them, as quality_scales is, which report tools read): prints
# the total
# of each run and each query's median and 95th percentile in milliseconds,
# then EXPLAIN (ANALYZE, BUFFERS) of each query for last month. Given the
# Windows build's OrvoMedQuality.exe, then what the department waits for:
# last month's whole workbook written headless under Wine, runs times, from
# the program's start to its exit.
set -uo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
work=${1:-$here/build/native/bench/quality_views} runs=${2:-5}
source "$here/tests/delivery/database_server.sh"
trap database_server_stop EXIT
trap 'exit 130' INT TERM
database_server_start "$work" || exit 1
# The stays first, as IT defines them, then the script again for the views
# that read them.
database_admin_sql "
CREATE TABLE orvomed.stays (patient_id varchar(32) NOT NULL, visit_id varchar(32) NOT NULL,
    patient_name varchar(32) NOT NULL, ward varchar(32) NOT NULL, bed varchar(32) NOT NULL,
    admitted_at timestamptz NOT NULL, discharged_at timestamptz, PRIMARY KEY (patient_id, visit_id));
ALTER TABLE orvomed.stays OWNER TO orvomed_owner;
SET TIME ZONE 'Asia/Shanghai';
INSERT INTO orvomed.stays
SELECT 'B' || lpad((w * 100000 + b * 1000 + d)::text, 8, '0'), 'V' || d, '患者' || (w * 100000 + b * 1000 + d),
       '病区' || w, b::text, a, CASE WHEN a + interval '6 days' < now() THEN a + interval '6 days' END
FROM generate_series(0, 29) AS w, generate_series(0, 39) AS b, generate_series(0, 66) AS d,
     LATERAL (SELECT date_trunc('month', now()) - interval '12 months' + d * interval '6 days' + b * interval '37 minutes' AS a) AS t
WHERE a < now();
CREATE INDEX ON orvomed.stays (patient_id, admitted_at);
CREATE INDEX ON orvomed.stays (admitted_at);
CREATE INDEX ON orvomed.stays (discharged_at);
CREATE INDEX ON orvomed.stays (ward) WHERE discharged_at IS NULL;" >/dev/null || exit 1
database_schema orvomed || exit 1
# Row i is saved at an even step from the first month's start to now; its
# ward and bed follow i, its patient the stay of that bed at that time.
# The table's one-row rule is the programs' and not the owner's: off for
# this session's fill alone.
database_admin_sql "
SET session_replication_role = replica;
SET TIME ZONE 'Asia/Shanghai';
INSERT INTO orvomed.orvomed_record (record_id, saved_at, tool_id, tool_title, program_version, computer, windows_user,
    nurse_id, nurse_name, patient_id, patient_name, bed, ward, inputs, outputs, headline_value, verdict, level,
    level_words, result_text, visit_id, admitted_at, assessed_at, due_at)
SELECT format('%s-%s-4%s-8%s-%s', substr(h, 1, 8), substr(h, 9, 4), substr(h, 14, 3), substr(h, 18, 3), substr(h, 21, 12)),
       t + interval '3 minutes', tool, '评估', '1.0', 'PC' || (i % 300), 'nurse', 'N' || (i % 500), '护士' || (i % 500),
       'B' || lpad((w * 100000 + b * 1000 + d)::text, 8, '0'), '患者' || (w * 100000 + b * 1000 + d), b::text,
       '病区' || w, 'a=1', '总分=12 分', 12 + i % 8, '高危（10–12 分）：落实预防措施', i % 4, '提醒',
       repeat('结果', 150), 'V' || d, s0 + d * interval '6 days' + b * interval '37 minutes',
       CASE WHEN i % 20 <> 0 THEN t END, t + (1 + i % 7) * interval '1 day'
FROM (SELECT i, md5(i::text) AS h, i % 30 AS w, (i / 30) % 40 AS b, s0, t,
             floor(extract(epoch FROM t - s0) / (6 * 86400))::int AS d,
             (ARRAY[18, 19, 21, 24, 23])[1 + (i / 1200) % 5] AS tool
      FROM (SELECT date_trunc('month', now()) - interval '12 months' AS s0) AS z,
           generate_series(1, 1000000) AS i,
           LATERAL (SELECT s0 + (now() - interval '1 hour' - s0) * (i / 1000000.0) AS t) AS x) AS g;" >/dev/null || exit 1
database_admin_sql "VACUUM ANALYZE orvomed.orvomed_record" >/dev/null || exit 1
database_admin_sql "VACUUM ANALYZE orvomed.stays" >/dev/null || exit 1

database_reports_login || exit 1
months=$(database_admin_sql "SET TIME ZONE 'Asia/Shanghai';
  SELECT string_agg(m::date::text, ' ' ORDER BY m) FROM generate_series(date_trunc('month', now()) - interval '12 months',
    date_trunc('month', now()), interval '1 month') AS m")
last=$(database_admin_sql "SET TIME ZONE 'Asia/Shanghai'; SELECT (date_trunc('month', now()) - interval '1 month')::date")
tools='18,37,39,19,34,24,22,36,21,23,31,35'
# The program's queries, the month as its bound text (psqlODBC binds
# it to an unnamed statement, planned with the value as here).
query() {
  case $1 in
    scales) echo "SELECT ward, tool_id, assessments, patients, high_risk_results, high_risk_patients, high_risk_share
                  FROM orvomed.quality_scales WHERE month = CAST('$2' AS date) AND tool_id IN ($tools)" ;;
    reassessments) echo "SELECT ward, tool_id, due, on_time FROM orvomed.quality_reassessments
                  WHERE month = CAST('$2' AS date) AND tool_id IN (SELECT tool_id FROM orvomed.quality_families)" ;;
    totals) echo "SELECT ward, family, tool_id, assessments, patients, high_risk_results, high_risk_patients
                  FROM orvomed.quality_totals WHERE month = CAST('$2' AS date)" ;;
    admissions) echo "SELECT ward, braden_24h, morse_24h, nrs2002_24h, vte_24h FROM orvomed.quality_admissions
                  WHERE month = CAST('$2' AS date)" ;;
    stays) echo "SELECT ward, admissions, discharges, bed_days, braden_24h, morse_24h, nrs2002_24h, vte_24h,
                  vte_assessed_discharges, vte_moderate_high_discharges FROM orvomed.quality_stays WHERE month = CAST('$2' AS date)" ;;
  esac
}
script=
for ((run = 0; run < runs; run++)); do
  for month in $months; do
    for q in scales reassessments totals stays admissions; do script+="\\echo $run $q"$'\n'"$(query $q "$month");"$'\n'; done
  done
done
echo "rows: $(database_admin_sql "SELECT count(*) FROM orvomed.orvomed_record"), stays: $(database_admin_sql "SELECT count(*) FROM orvomed.stays"); months: $months"
database_login_psql orvomed_test_reports "$reports_password" -c '\timing on' -f - <<<"$script" >"$work/timings.txt" || exit 1
# Each query's line "run query", its rows, then psql's "Time: N ms".
awk '/^[0-9]+ (scales|reassessments|totals|stays|admissions)$/ { run = $1; q = $2 }
     /^Time: / { ms = $2 + 0; if (q != "admissions" && q != "scales") total[run] += ms; times[q] = times[q] " " ms }
     END {
       for (r = 0; r in total; r++) line = line sprintf(" %.0f", total[r]);
       print "13 months x 3 queries (as with the stays), total per run (ms):" line;
       for (q in times) {
         n = split(substr(times[q], 2), t, " ");
         for (i = 1; i <= n; i++) for (j = i + 1; j <= n; j++) if (t[j] < t[i]) { x = t[i]; t[i] = t[j]; t[j] = x }
         printf "%-14s n=%d  p50 %.1f ms  p95 %.1f ms  max %.1f ms\n", q, n, t[int((n + 1) / 2)], t[int(n * 0.95 + 0.999)], t[n]
       }
     }' "$work/timings.txt"
for q in scales reassessments totals stays admissions; do
  echo "--- EXPLAIN (ANALYZE, BUFFERS), $q, $last"
  database_login_psql orvomed_test_reports "$reports_password" -c "EXPLAIN (ANALYZE, BUFFERS) $(query $q "$last")"
done

[ -n "${3:-}" ] || exit 0
source "$here/tests/support/wine_session.sh"
finish() { database_server_stop; }
wine_test_session "$work/wineprefix"
policy "QualityDatabase=Driver={PostgreSQL Unicode};Server=127.0.0.1;Port=$database_port;Database=orvomed;Uid=orvomed_test_reports;Pwd=$reports_password;$database_tls"
out=$(winepath -w "$work/workbook.xlsx")
for ((run = 0; run < runs; run++)); do
  start=$(date +%s%N)
  wine "$3" --month="${last%-01}" "--out=$out" </dev/null >/dev/null 2>"$work/said.txt" || { cat "$work/said.txt"; exit 1; }
  echo "workbook of ${last%-01}, run $run: $(( ($(date +%s%N) - start) / 1000000 )) ms, $(stat -c %s "$work/workbook.xlsx") bytes"
done
