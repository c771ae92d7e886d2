#!/usr/bin/env bash
# The quality figures' views of docs/records/postgresql.sql on a PostgreSQL
# server of the test's own (tests/delivery/database_server.sh):
#   quality_views_test.sh <work folder>
# Thirteen months of invented wards' assessments (quality_rows.py) arrive
# through the writer as ward PCs send them. A report's login, a member of
# orvomed_reader in Beijing time, reads each month as OrvoMedQuality.exe
# does; every figure must equal what a second query, written another way
# over the table itself, finds: first without the hospital's stays, then
# with a table of them and the script run again. The ward PCs' logins may
# not read the views.
set -uo pipefail
work=$1
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../delivery/database_server.sh"
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
trap database_server_stop EXIT
trap 'exit 130' INT TERM
database_server_start "$work" || exit 1
tools='18,37,39,19,34,24,22,36,21,23,31,35'

database_reports_login || exit 1
python3 "$here/quality_rows.py" | database_login_psql orvomed_writer "$database_password" -f - >/dev/null || exit 1
months=$(database_admin_sql "SET TIME ZONE 'Asia/Shanghai';
  SELECT string_agg(m::date::text, ' ' ORDER BY m) FROM generate_series(
    (SELECT date_trunc('month', min(coalesce(assessed_at, saved_at))) FROM orvomed.orvomed_record),
    date_trunc('month', now()), interval '1 month') AS m")
[ "$(wc -w <<<"$months")" = 14 ] || fail "the rows' months and this one: $months"

# The program's queries, month by month, each row behind its month.
read_views() {
  local month sql=
  for month in $months; do
    sql+="SELECT '$month', ward, tool_id, assessments, patients, high_risk_results, high_risk_patients, high_risk_share
            FROM orvomed.quality_scales WHERE month = CAST('$month' AS date) AND tool_id IN ($tools) ORDER BY 2, 3;"
  done
  for month in $months; do
    sql+="SELECT '$month', ward, tool_id, due, on_time, on_time_share
            FROM orvomed.quality_reassessments WHERE month = CAST('$month' AS date) AND tool_id IN ($tools) ORDER BY 2, 3;"
  done
  for month in $months; do
    sql+="SELECT '$month', ward, family, tool_id, assessments, patients, high_risk_results, high_risk_patients, high_risk_share
            FROM orvomed.quality_totals WHERE month = CAST('$month' AS date) ORDER BY 2, 3, 4;"
  done
  for month in $months; do
    sql+="SELECT 'A', '$month', ward, braden_24h, morse_24h, nrs2002_24h, vte_24h
            FROM orvomed.quality_admissions WHERE month = CAST('$month' AS date) ORDER BY 3;"
  done
  if [ "${1:-}" = stays ]; then
    for month in $months; do
      sql+="SELECT '$month', ward, admissions, discharges, bed_days, braden_24h, morse_24h, nrs2002_24h, vte_24h,
                   vte_assessed_discharges, vte_moderate_high_discharges
              FROM orvomed.quality_stays WHERE month = CAST('$month' AS date) ORDER BY 2;"
    done
  fi
  database_login_psql orvomed_test_reports "$reports_password" -c "$sql"
}

# The same figures another way: each row's month of its own, distinct
# patients counted as such, the next assessment by a window over the
# patient's scale, the midnights one by one.
scales="SELECT date_trunc('month', coalesce(assessed_at, saved_at))::date, ward, tool_id, count(*),
    count(DISTINCT (patient_id, patient_name)), count(*) FILTER (WHERE level >= 2),
    count(DISTINCT (patient_id, patient_name)) FILTER (WHERE level >= 2),
    (count(DISTINCT (patient_id, patient_name)) FILTER (WHERE level >= 2))::float8 / count(DISTINCT (patient_id, patient_name))
  FROM orvomed.orvomed_record WHERE patient_id <> '' GROUP BY 1, 2, 3 ORDER BY 1, 2, 3"
# A patient once a ward's scale, once a family and once the hospital by a
# string of their own, the four groupings at once.
totals="WITH t AS (SELECT date_trunc('month', coalesce(assessed_at, saved_at))::date AS month, ward,
    CASE WHEN tool_id IN (18, 37, 39) THEN '压力性损伤' WHEN tool_id IN (19, 34) THEN '跌倒'
         WHEN tool_id IN (24, 22, 36) THEN 'VTE' WHEN tool_id = 21 THEN '营养' ELSE '早期预警' END AS family,
    tool_id, patient_id || chr(1) || patient_name AS who, level >= 2 AS high
  FROM orvomed.orvomed_record WHERE patient_id <> '' AND tool_id IN ($tools))
  SELECT month, ward, family, tool_id, count(*), count(DISTINCT who), count(*) FILTER (WHERE high),
         count(DISTINCT who) FILTER (WHERE high), (count(DISTINCT who) FILTER (WHERE high))::float8 / count(DISTINCT who)
  FROM t GROUP BY GROUPING SETS ((month, ward, family, tool_id), (month, ward, family), (month, family, tool_id), (month, family))
  ORDER BY 1, 2, 3, 4"
# Each admission's first assessment of each scale, if within the day.
admissions="WITH f AS (SELECT patient_id, patient_name, admitted_at, ward, CASE WHEN tool_id = 22 THEN 24 ELSE tool_id END AS scale
    FROM orvomed.orvomed_record WHERE patient_id <> '' AND tool_id IN (18, 19, 21, 22, 24)
      AND coalesce(assessed_at, saved_at) - admitted_at BETWEEN interval '0' AND interval '1 day'),
  k AS (SELECT DISTINCT date_trunc('month', admitted_at)::date AS month, ward, scale, patient_id, patient_name, admitted_at FROM f)
  SELECT 'A', month, ward, count(*) FILTER (WHERE scale = 18), count(*) FILTER (WHERE scale = 19),
         count(*) FILTER (WHERE scale = 21), count(*) FILTER (WHERE scale = 24)
  FROM (SELECT * FROM k UNION SELECT month, NULL, scale, patient_id, patient_name, admitted_at FROM k) AS u
  WHERE month >= '${months%% *}' GROUP BY 2, 3 ORDER BY 2, 3"
reassessments() {
  echo "WITH t AS (SELECT ward, tool_id, patient_id, patient_name, due_at, coalesce(assessed_at, saved_at) AS at
                 FROM orvomed.orvomed_record WHERE patient_id <> ''),
        n AS (SELECT *, min(at) OVER (PARTITION BY patient_id, patient_name, tool_id ORDER BY at
                                      RANGE BETWEEN '1 microsecond' FOLLOWING AND UNBOUNDED FOLLOWING) AS next_at FROM t)
  SELECT date_trunc('month', due_at)::date, ward, tool_id, count(*), count(*) FILTER (WHERE next_at <= due_at),
         (count(*) FILTER (WHERE next_at <= due_at))::float8 / count(*)
  FROM n WHERE due_at <= now() $1 GROUP BY 1, 2, 3 ORDER BY 1, 2, 3"
}
gone_home="AND due_at < coalesce((SELECT max(s.discharged_at) FROM orvomed.stays AS s WHERE s.patient_id = n.patient_id
             AND s.patient_name = n.patient_name AND n.at BETWEEN s.admitted_at AND s.discharged_at), 'infinity')"
stays="WITH done AS (
    SELECT s.*, bool_or(r.tool_id = 18 AND r.at <= s.admitted_at + interval '1 day') AS braden,
           bool_or(r.tool_id = 19 AND r.at <= s.admitted_at + interval '1 day') AS morse,
           bool_or(r.tool_id = 21 AND r.at <= s.admitted_at + interval '1 day') AS nrs,
           bool_or(r.tool_id IN (22, 24) AND r.at <= s.admitted_at + interval '1 day') AS vte,
           bool_or(r.tool_id IN (22, 24) AND r.at <= s.discharged_at) AS vte_stay,
           bool_or(r.tool_id IN (22, 24) AND r.at <= s.discharged_at AND r.level >= 2) AS vte_high
    FROM orvomed.stays AS s
    LEFT JOIN (SELECT *, coalesce(assessed_at, saved_at) AS at FROM orvomed.orvomed_record) AS r
      ON (r.patient_id, r.patient_name) = (s.patient_id, s.patient_name) AND r.at >= s.admitted_at
    GROUP BY s.patient_id, s.visit_id),
  admitted AS (SELECT date_trunc('month', admitted_at)::date AS month, ward, count(*) AS n, count(*) FILTER (WHERE braden) AS b,
                      count(*) FILTER (WHERE morse) AS m, count(*) FILTER (WHERE nrs) AS r, count(*) FILTER (WHERE vte) AS v
               FROM done GROUP BY 1, 2),
  discharged AS (SELECT date_trunc('month', discharged_at)::date AS month, ward, count(*) AS n,
                        count(*) FILTER (WHERE vte_stay) AS v, count(*) FILTER (WHERE vte_high) AS h
                 FROM done WHERE discharged_at IS NOT NULL GROUP BY 1, 2),
  nights AS (SELECT date_trunc('month', night)::date AS month, ward, count(*) AS n
             FROM orvomed.stays, generate_series(date_trunc('day', admitted_at), coalesce(discharged_at, now()), interval '1 day') AS night
             WHERE night >= admitted_at AND night < coalesce(discharged_at, now()) GROUP BY 1, 2)
  SELECT month, ward, coalesce(a.n, 0), coalesce(d.n, 0), coalesce(g.n, 0), coalesce(a.b, 0), coalesce(a.m, 0),
         coalesce(a.r, 0), coalesce(a.v, 0), coalesce(d.v, 0), coalesce(d.h, 0)
  FROM admitted AS a FULL JOIN discharged AS d USING (month, ward) FULL JOIN nights AS g USING (month, ward)
  WHERE month >= '${months%% *}' ORDER BY 1, 2"
expected() {
  database_admin_sql "SET TIME ZONE 'Asia/Shanghai'; $scales"
  database_admin_sql "SET TIME ZONE 'Asia/Shanghai'; $(reassessments "${1:+$gone_home}")"
  database_admin_sql "SET TIME ZONE 'Asia/Shanghai'; $totals"
  database_admin_sql "SET TIME ZONE 'Asia/Shanghai'; $admissions"
  [ -z "${1:-}" ] || database_admin_sql "SET TIME ZONE 'Asia/Shanghai'; $stays"
}
# compare WHAT [stays]: the views' figures against the second query's.
compare() {
  local views
  views=$(read_views "${2:-}") || { fail "$1: the report's login could not read the views"; return; }
  diff <(expected "${2:-}") <(echo "$views") >"$work/$1.diff" ||
    fail "$1: the views and the second query differ ($work/$1.diff):$(head -n 6 "$work/$1.diff")"
  # Not a comparison of nothing: reassessments due on each ward, some on
  # time and some late, in every month of the rows (this month's may not
  # have fallen due yet).
  [ "$(awk -F'|' -v now="${months##* }" 'NF == 6 && $1 != now { due[$1] += $4; met[$1] += $5; wards[$1 FS $2] } END {
         for (m in due) if (met[m] > 0 && met[m] < due[m]) n++; print n, length(wards) }' <<<"$views")" = "13 52" ] ||
    fail "$1: the data lacks a month or ward of reassessments due, some on time and some not"
  # Patients a family's two wards both assessed, whom the hospital counts
  # once; admissions assessed within the day.
  [ "$(awk -F'|' 'NF == 9 && $4 == "" { if ($2 == "") whole[$1 FS $3] = $6; else wards[$1 FS $3] += $6 }
         NF == 7 && $1 == "A" && $3 == "" { admitted += $4 + $7 }
         END { for (k in whole) if (whole[k] < wards[k]) n++; print (n > 0 && admitted > 0) }' <<<"$views")" = 1 ] ||
    fail "$1: no patient assessed on two wards, or no admission assessed within the day"
}

compare without_stays
[ "$(database_admin_sql "SELECT count(*) FROM orvomed.orvomed_record WHERE patient_id = ''")" -gt 0 ] ||
  fail "no calculation for no patient among the rows"
while IFS='|' read -r login password view expected; do
  said=$(database_login_psql "$login" "$password" -c "SELECT count(*) FROM orvomed.$view" 2>&1)
  grep -q -- "$expected" <<<"$said" || fail "$login reading $view: $said"
done <<CASES
orvomed_test_reports|$reports_password|quality_months|^361$
orvomed_writer|$database_password|quality_scales|permission denied for view quality_scales
orvomed_ward_reader|$database_reader_password|quality_reassessments|permission denied for view quality_reassessments
orvomed_ward_reader|$database_reader_password|quality_months|permission denied for view quality_months
orvomed_test_reports|$reports_password|quality_stays|relation "orvomed.quality_stays" does not exist
CASES

# The hospital's stays defined, and the script run again as IT would.
python3 "$here/quality_rows.py" --stays | database_as_owner "$database_bin/psql" -X -q -v ON_ERROR_STOP=1 \
  "host=$database_root port=$database_port dbname=orvomed" -f - >/dev/null || exit 1
database_schema orvomed || fail "the script run again"
compare with_stays stays
while IFS='|' read -r login password expected; do
  said=$(database_login_psql "$login" "$password" -c "SELECT count(*) > 0 FROM orvomed.quality_stays" 2>&1)
  grep -q -- "$expected" <<<"$said" || fail "$login reading quality_stays: $said"
done <<CASES
orvomed_test_reports|$reports_password|^t$
orvomed_writer|$database_password|permission denied for view quality_stays
orvomed_ward_reader|$database_reader_password|permission denied for view quality_stays
CASES
echo "quality_views: $failures failed"
exit $((failures > 0))
