#!/usr/bin/env bash
# The ward's list over a table of a million results on a local PostgreSQL
# server of its own (tests/delivery/database_server.sh), read through the
# reading login as the launcher reads it:
#   bench/rounds_list_bench.sh [build folder] [runs]
# 1,000,000 rows as a hospital of 3,000 beds saves them in 33 days (100
# wards of 30 beds, a new patient in a bed every 6 days, five scales), put
# there by the owner in one statement; then the list of one ward, first
# without the hospital's stays, then with a table of 3,000 stays in
# hospital and 15,000 discharged. Prints each run's median and 95th
# percentile in milliseconds: connection, query and the list made.
set -uo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$here/build/native} runs=${2:-100}
source "$here/tests/delivery/database_server.sh"
trap database_server_stop EXIT
trap 'exit 130' INT TERM
cmake --build "$build" --target glyvant_rounds_bench -j2 >/dev/null || exit 1
database_server_start "$build/bench/rounds_list" || exit 1
# The table's own one-row rule is the programs' and not the owner's:
# off for the fill, on again after it.
database_admin_sql "
ALTER TABLE orvomed.orvomed_record DISABLE TRIGGER orvomed_record_one_row;
INSERT INTO orvomed.orvomed_record (record_id, saved_at, tool_id, tool_title, program_version, computer, windows_user,
    nurse_id, nurse_name, patient_id, patient_name, bed, ward, inputs, outputs, headline_value, verdict, level,
    level_words, result_text, visit_id, admitted_at, assessed_at, due_at)
SELECT format('%s-%s-4%s-8%s-%s', substr(h, 1, 8), substr(h, 9, 4), substr(h, 14, 3), substr(h, 18, 3), substr(h, 21, 12)),
       t, tool, '评估', '1.0', 'PC' || (i % 300), 'nurse', 'N' || (i % 500), '护士' || (i % 500),
       lpad((w * 10000 + b * 100 + d / 6)::text, 8, '0'), '患者' || (w * 10000 + b * 100 + d / 6), b::text,
       '病区' || w, 'a=1', '总分=12 分', 12 + i % 8, '高危（10–12 分）：落实预防措施', i % 4, '提醒',
       repeat('结果', 150), 'V' || (d / 6), t - (d % 6) * interval '1 day', t, t + interval '24 hours'
FROM (SELECT i, md5(i::text) AS h, i % 100 AS w, (i / 100) % 30 AS b, i / 30000 AS d,
             (ARRAY[18, 19, 21, 23, 24])[1 + (i / 3000) % 5] AS tool,
             now() - interval '33 days' + i * interval '33 days' / 1000000 AS t
      FROM generate_series(1, 1000000) AS i) AS g;
ALTER TABLE orvomed.orvomed_record ENABLE TRIGGER orvomed_record_one_row;" >/dev/null || exit 1
# As autovacuum leaves a table only ever inserted into (postgresql.sql).
database_admin_sql "VACUUM ANALYZE orvomed.orvomed_record" >/dev/null || exit 1
echo "rows: $(database_admin_sql "SELECT count(*) FROM orvomed.orvomed_record"), of them on the ward in the last 30 days: $(database_admin_sql "SELECT count(*) FROM orvomed.orvomed_record WHERE ward = '病区7' AND saved_at >= now() - interval '30 days'")"
echo "without stays: $("$build/glyvant_rounds_bench" 病区7 "$runs")"
database_admin_sql "
CREATE TABLE orvomed.stays (patient_id varchar(32), visit_id varchar(32), patient_name varchar(32), ward varchar(32),
    bed varchar(32), admitted_at timestamptz, discharged_at timestamptz);
ALTER TABLE orvomed.stays OWNER TO orvomed_owner;
GRANT SELECT ON orvomed.stays TO orvomed_ward_reader;
INSERT INTO orvomed.stays
SELECT lpad((w * 10000 + b * 100 + d)::text, 8, '0'), 'V' || d, '患者' || (w * 10000 + b * 100 + d), '病区' || w, b::text,
       now() - interval '33 days' + d * interval '6 days',
       CASE WHEN d < 5 THEN now() - interval '33 days' + (d + 1) * interval '6 days' END
FROM generate_series(0, 99) AS w, generate_series(0, 29) AS b, generate_series(0, 5) AS d;
CREATE INDEX ON orvomed.stays (ward);
ANALYZE orvomed.stays;" >/dev/null || exit 1
echo "census: $("$build/glyvant_rounds_bench" 病区7 "$runs")"
