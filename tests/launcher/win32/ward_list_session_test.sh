#!/usr/bin/env bash
# The ward list read from a PostgreSQL server of the test's own
# (tests/delivery/database_server.sh) by the real launcher under Wine, the
# reading connection and the ward in the Wine registry's policy key:
#   ward_list_session_test.sh <launcher exe> <Braden exe> <ui_driver exe> <prefix folder>
# Results put there by the writer's login as a ward PC sends them. Without
# the hospital's stays: the patients assessed on the ward, due first, the
# overdue red, the one due this shift amber, the admission's scales missing
# for a patient admitted 3 hours ago; the handover sheet printed to the CUPS
# PDF printer and read back, the high-risk rows first; Enter opens Braden for
# the row's patient. With a table of stays the test fills: the census, nobody
# discharged, an admission's scales still not done days later overdue. The server stopped: the list stays with its time and why;
# started so, the launcher says it could not read one, and why.
set -uo pipefail
launcher=$1 braden=$2 driver=$3 prefix=$4
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../../support/wine_session.sh"
source "$here/../../delivery/database_server.sh"
source "$here/../../app/win32/printer_session.sh"
work=$(mktemp -d)
# The prefix is the printing tests' too: the policy set here goes with the test.
policy_set=
finish() {
  if [ -n "$policy_set" ]; then
    WINEPREFIX=$session_prefix policy "ReadingDatabase=-" "Ward=-"
    WINEPREFIX=$session_prefix wineserver -k 2>/dev/null
  fi
  printer_session_end
  database_server_stop
  rm -rf "$work"
}
trap 'exit 130' INT TERM
database_server_start "$work" || exit 1
printer_session_begin
wine_test_session "$prefix"
mkdir -p "$work/suite"
cp "$launcher" "$work/suite/OrvoMedSuite.exe"
cp "$braden" "$work/suite/T018-Braden.exe"

# result PATIENT NAME BED TOOL VALUE VERDICT LEVEL HOURS_AGO DUE [ADMITTED_HOURS_AGO]: one
# result inserted by the writer, over TLS with its password, as a PC sends it.
n=0
result() {
  n=$((n + 1))
  local admitted=NULL
  [ -n "${10:-}" ] && admitted="now() - interval '${10} hours'"
  PGPASSWORD=$database_password "$database_bin/psql" -X -q -v ON_ERROR_STOP=1 \
    "host=127.0.0.1 port=$database_port dbname=orvomed user=orvomed_writer sslmode=verify-full sslrootcert=$database_ca" \
    -c "INSERT INTO orvomed.orvomed_record (record_id, saved_at, tool_id, tool_title, program_version, computer,
          windows_user, nurse_id, nurse_name, patient_id, patient_name, bed, ward, inputs, outputs, headline_value,
          verdict, level, level_words, result_text, visit_id, admitted_at, assessed_at, due_at)
        VALUES ('$(printf '%08x-0000-4000-8000-%012x' $n $n)', now() - interval '$8 hours', $4, '量表', '1.0', 'PC',
          '护士站', 'N0001', '前班护士', '$1', '$2', '$3', '测试病区', 'a=1', 'b=2', $5, '$6', $7, '提醒', '$6',
          'V$n', $admitted, now() - interval '$8 hours', $9)" || fail "the writer could not insert $1's result"
}
# Due before this shift ends (08:00, 16:00, 24:00 here), halfway to it.
into=$(( ($(date +%-H) * 3600 + $(date +%-M) * 60 + $(date +%-S)) % 28800 ))
in_shift="now() + interval '$(( (28800 - into) / 2 )) seconds'"
result T2001 测试患者一 3 18 11 高危 3 30 "now() - interval '6 hours'"
result T2005 测试患者五 12 18 13 中危 2 50 "now() - interval '2 hours'"
result T2002 测试患者二 5 19 55 高危 2 20 "$in_shift"
result T2004 测试患者四 10 18 12 高危 3 1 "now() + interval '23 hours'" 3
result T2003 测试患者三 8 18 16 低危 1 40 "now() + interval '30 hours'"

# The policy: the reading connection and the ward, as Group Policy writes
# them; through a file, not a command line, as the connection holds a password.
policy_set=1
policy "ReadingDatabase=$GLYVANT_TEST_READING_DATABASE" "Ward=测试病区"

start_launcher() {
  wine "$work/suite/OrvoMedSuite.exe" --nurse-id=N0009 --nurse-name=测试护士 </dev/null >/dev/null 2>&1 &
  program=$!
  launcher_drive click 0 >/dev/null
  for _ in $(seq 60); do
    [[ $(launcher_drive read 114) == *读取* ]] && break
    sleep 0.5
  done
}
# rows: each row's name, scale, result and due words, one a line.
rows() { launcher_drive rows 115 | sed 's/^> //' | awk -F'\t' '{split($8, due, " "); print $2 " " $4 " " $5 " " due[1]}'; }

# ---- Without the hospital's stays ------------------------------------------------------
start_launcher
heading=$(launcher_drive read 114)
[[ $heading == "本病区评估提醒 · 测试病区 · 近 7 日在本病区评估过的患者：8 项，逾期 2 项（"*" 读取）" ]] ||
  fail "the heading: [$heading]"
expect "the rows without stays" "$(rows)" "测试患者一 Braden 11 高危 已逾期
测试患者五 Braden 13 中危 已逾期
测试患者二 Morse 55 高危 本班
测试患者四 Morse 待入院评估 $(date -d '+21 hours' +%m-%d)
测试患者四 NRS 2002 待入院评估 $(date -d '+21 hours' +%m-%d)
测试患者四 Caprini/Padua 待入院评估 $(date -d '+21 hours' +%m-%d)
测试患者四 Braden 12 高危 $(date -d '+23 hours' +%m-%d)
测试患者三 Braden 16 低危 $(date -d '+30 hours' +%m-%d)"
# The window as the nurse sees it, beside the test's folder, for people to look at.
desktop=$(xdotool search --name 'Wine desktop' 2>/dev/null | head -1)
[ -n "$desktop" ] && import -window "$desktop" -trim +repage "$prefix/../ward-list.png" 2>/dev/null
# The strip at each row's left: alarm red, amber, none.
expect "the rows' colours" "$(for k in 0 1 2 3; do launcher_drive strip 115 $k; done | tr '\n' ' ')" \
  "BE1E2D BE1E2D D66C00 FFFFFF "

# 打印交班表: the sheet through the print dialog; the medium- and high-risk
# rows (levels 2 and 3) first under their heading, then the rest, each as the list shows it.
printer_mark
launcher_drive click 116 >/dev/null
drive dialog 15 >/dev/null || fail "no print dialog for the handover sheet"
drive press 1 >/dev/null
if pdf=$(printer_new_pdf); then
  hour=$(date +%-H)
  shift_words=$([ "$hour" -lt 8 ] && echo 大夜班 || { [ "$hour" -lt 16 ] && echo 白班 || echo 小夜班; })
  printer_expect_text "$pdf" "护理交班表" "病区：测试病区" "班次：$shift_words" "打印时间：$(date +%Y-%m-%d)" \
    "近 7 日在本病区评估过的患者" "交班护士签名" "接班护士签名" "第 1 页 / 共 1 页"
  pdftotext -layout "$pdf" - | python3 -c '
import sys, unicodedata
text = "".join(unicodedata.normalize("NFKC", sys.stdin.read()).split())
at = 0
for piece in ["中高危患者(床旁交接)", "3测试患者一T2001Braden11高危前班护士", "已逾期", "12测试患者五T2005Braden13中危",
              "5测试患者二T2002Morse55高危", "本班", "10测试患者四T2004Braden12高危", "其他待评估项目",
              "10测试患者四T2004Morse待入院评估", "10测试患者四T2004Caprini/Padua待入院评估", "8测试患者三T2003Braden16低危"]:
    at = text.find(piece, at)
    assert at >= 0, (piece, text)' || fail "the sheet's rows: $(pdftotext -layout "$pdf" - | head -20)"
  cp "$pdf" "$prefix/../handover.pdf"
else
  fail "the handover sheet reached no PDF"
fi

# Enter on the first: Braden opens for its patient, with the nurse at the PC.
launcher_drive select 115 0 >/dev/null
sleep 1
launcher_drive enter 115 >/dev/null
sleep 4
expect "the opened tool's patient" "$(drive read 5000)" "测试患者一　住院号 T2001　3 床　测试病区"
expect "the bar" "$(launcher_drive read 106)|$(launcher_drive read 107)|$(launcher_drive read 111)" "T2001|测试患者一|N0009"
wineserver -k 2>/dev/null
sleep 1

# ---- The census: the hospital's stays, a table the test fills -----------------------------
database_admin_sql "CREATE TABLE orvomed.stays (patient_id varchar(32), visit_id varchar(32), patient_name varchar(64),
    ward varchar(32), bed varchar(16), admitted_at timestamptz, discharged_at timestamptz);
  ALTER TABLE orvomed.stays OWNER TO orvomed_owner; GRANT SELECT ON orvomed.stays TO orvomed_ward_reader;
  INSERT INTO orvomed.stays VALUES
    ('T2001', 'V1', '测试患者一', '测试病区', '3', now() - interval '5 days', NULL),
    ('T2002', 'V3', '测试患者二', '测试病区', '5', now() - interval '4 days', NULL),
    ('T2003', 'V5', '测试患者三', '测试病区', '8', now() - interval '4 days', NULL),
    ('T2004', 'V4', '测试患者四', '测试病区', '10', now() - interval '3 hours', NULL),
    ('T2005', 'V2', '测试患者五', '测试病区', '12', now() - interval '9 days', now() - interval '1 hour')" >/dev/null ||
  fail "the stays could not be made"
start_launcher
heading=$(launcher_drive read 114)
[[ $heading == "本病区评估提醒 · 测试病区 · 本病区在院患者："* ]] || fail "the census's heading: [$heading]"
listed=$(rows)
grep -q 测试患者五 <<<"$listed" && fail "the discharged patient is listed: [$listed]"
expect "the census's admission rows" "$(grep -c '^测试患者四 .* 待入院评估' <<<"$listed")" 3
expect "the census's first row" "$(head -1 <<<"$listed")" "测试患者一 Morse 待入院评估 已逾期"

# ---- The server stopped: the list stays, with its time and why -----------------------------
database_server_pause
before=$(rows)
launcher_drive saved - >/dev/null  # a tool saved: the list is read again
for _ in $(seq 40); do
  [[ $(launcher_drive read 114) == *服务器无法连接* ]] && break
  sleep 0.5
done
heading=$(launcher_drive read 114)
[[ $heading == "本病区评估提醒 · 测试病区 · 本病区在院患者："*"（"*" 读取；服务器无法连接）" ]] ||
  fail "with the server stopped the heading: [$heading]"
expect "the rows with the server stopped" "$(rows)" "$before"
wineserver -k 2>/dev/null
sleep 1
# Started so: no list, and why.
start_launcher
heading=$(launcher_drive read 114)
[[ $heading == "本病区评估提醒 · 测试病区：未能读取（"*"；服务器无法连接）" ]] || fail "never read, the heading: [$heading]"
expect "the rows never read" "$(rows)" ""
policy "ReadingDatabase=-" "Ward=-"
policy_set=
wineserver -k 2>/dev/null
session_verdict "the ward list: read from the hospital's database, in order and colour, the census, kept when the server stops"
