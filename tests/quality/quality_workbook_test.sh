#!/usr/bin/env bash
# OrvoMedQuality.exe under Wine against a PostgreSQL server of the test's
# own (tests/delivery/database_server.sh), its connection in the Wine
# registry's policy key:
#   quality_workbook_test.sh <OrvoMedQuality exe> <launcher exe> <ui_driver exe> <file_holder exe> <prefix folder> <work folder>
# Thirteen months of invented wards' assessments (quality_rows.py) arrive
# through the writer as ward PCs send them. The month's workbook, written
# headless and from the window, read back by openpyxl holds cell for cell
# what the views return for the month, the same month a year before and the
# month before (quality_workbook_check.py); HIS figures typed into it turn
# into rates once LibreOffice recalculates it; with the hospital's stays its
# HIS sheet and VTE rates are the database's. A month of no rows says so,
# no month is this one, and the library's temporary files may lie in a
# Chinese folder or a drive's root; a server stopped, a wrong password, a
# login without the readers' role, a database without the views and a
# workbook held open by another program are each told, with their own exit
# code, and leave no file but the one there before. The
# workbook rendered by LibreOffice stays in the work folder as PNG pages.
# The launcher's button opens the program.
set -uo pipefail
quality=$1 launcher=$2 driver=$3 holder=$4 prefix=$5 work=$6
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../support/wine_session.sh"
source "$here/../delivery/database_server.sh"
rm -rf "$work" && mkdir -p "$work/out" && work=$(cd "$work" && pwd)
policy_set=
finish() {
  [ -z "$policy_set" ] || WINEPREFIX=$session_prefix policy "QualityDatabase=-"
  database_server_stop
}
trap 'exit 130' INT TERM
database_server_start "$work/server" || exit 1
wine_test_session "$prefix"

database_reports_login || exit 1
python3 "$here/quality_rows.py" | database_login_psql orvomed_writer "$database_password" -f - >/dev/null || exit 1
connection() { echo "Driver={PostgreSQL Unicode};Server=127.0.0.1;Port=$database_port;Database=$3;Uid=$1;Pwd=$2;$database_tls"; }
reports=$(connection orvomed_test_reports "$reports_password" orvomed)

policy_set=1
policy "QualityDatabase=$reports"

# The last month of rows: the one before this.
month=$(TZ=Asia/Shanghai date -d "$(TZ=Asia/Shanghai date +%Y-%m-01) -1 day" +%Y-%m)
first_day() { TZ=Asia/Shanghai date -d "$month-01 -$1 month" +%Y-%m-01; }
# The views' rows of the month, a year before and the month before (of the
# whole hospital, the thirteen months), as the report's login reads them.
views() {
  local months="'$(first_day 0)', '$(first_day 12)', '$(first_day 1)'" sql
  local year="BETWEEN '$(first_day 12)' AND '$(first_day 0)'"
  sql="SELECT 'R', month, ward, tool_id, due, on_time, on_time_share FROM orvomed.quality_reassessments WHERE month $year;
       SELECT 'T', month, ward, family, tool_id, assessments, patients, high_risk_results, high_risk_patients
         FROM orvomed.quality_totals WHERE month $year;
       SELECT 'A', month, ward, braden_24h, morse_24h, nrs2002_24h, vte_24h FROM orvomed.quality_admissions WHERE month $year;"
  [ "${1:-}" = stays ] && sql+="SELECT 'H', month, ward, admissions, discharges, bed_days, braden_24h, morse_24h, nrs2002_24h,
         vte_24h, vte_assessed_discharges, vte_moderate_high_discharges FROM orvomed.quality_stays WHERE month IN ($months);"
  database_login_psql orvomed_test_reports "$reports_password" -c "$sql" >"$work/views.txt"
}
# run ARGUMENT...: the program headless; its exit code, its words in $said.
run() {
  wine "$quality" "$@" </dev/null >/dev/null 2>"$work/said.txt"
  local code=$?
  said=$(tr -d '\r' <"$work/said.txt" | grep '^OrvoMedQuality: ' | tail -n 1)
  return $code
}
book="$work/out/护理 月报.xlsx"
win_book=$(winepath -w "$book" 2>/dev/null)
expect_run() {  # WHAT CODE WORDS ARGUMENT...
  local what=$1 code=$2 words=$3
  shift 3
  run "$@"
  local got=$?
  [ "$got" = "$code" ] || fail "$what: exit $got, not $code ($said)"
  [[ $said == *"$words"* ]] || fail "$what: [$said]"
  [ -z "$(ls "$work/out" | grep '\.new$')" ] || fail "$what: a half-written file was left: $(ls "$work/out")"
}
check_book() {  # BOOK MODE [WORK] (the month: $book_month, else the report's)
  /usr/bin/python3 "$here/quality_workbook_check.py" "$1" "$work/views.txt" "${book_month:-$month}" "${@:2}" ||
    fail "the workbook ($2)"
}

# ---- Headless, without the hospital's stays -------------------------------------
views
expect_run "headless" 0 "工作簿已生成" --month="$month" "--out=$win_book"
check_book "$book" typed "$work"
expect_run "a month of no rows" 0 "工作簿已生成" --month=2020-01 "--out=$(winepath -w "$work/out/empty.xlsx" 2>/dev/null)"
book_month=2020-01 check_book "$work/out/empty.xlsx" empty
# Only the wards asked for, each once, whatever the commas and spaces.
expect_run "two wards" 0 "工作簿已生成" --month="$month" "--wards=心内科， 外科[一]/2:3,心内科" "--out=$(winepath -w "$work/out/wards.xlsx" 2>/dev/null)"
# And this month when none is given.
expect_run "this month" 0 "工作簿已生成" "--out=$(winepath -w "$work/out/now.xlsx" 2>/dev/null)"
wards=$(/usr/bin/python3 -c 'import openpyxl, sys; ws = openpyxl.load_workbook(sys.argv[1])["汇总"]
print(" ".join(str(ws.cell(r, 1).value) for r in range(6, 9)), openpyxl.load_workbook(sys.argv[2])["汇总"]["A1"].value)' \
  "$work/out/wards.xlsx" "$work/out/now.xlsx")
[ "$wards" = "外科[一]/2:3 心内科 全院合计 护理质量指标月报 · $(date +%Y年%-m月)" ] ||
  fail "two wards, and this month: the summary lists [$wards]"
rm -f "$work/out/wards.xlsx" "$work/out/now.xlsx"
# The library's temporary files in a Chinese user's folder and in a drive's
# root, its workbook in a Chinese folder: the names its defaults break on.
mkdir -p "$work/临时 文件" "$work/out/质控 月报"
for temp in "$(winepath -w "$work/临时 文件" 2>/dev/null)" 'C:\'; do
  for v in TEMP TMP; do wine reg add 'HKCU\Environment' /v $v /t REG_SZ /d "$temp" /f >/dev/null 2>&1; done
  expect_run "temporary files in $temp" 0 "工作簿已生成" --month="$month" \
    "--out=$(winepath -w "$work/out/质控 月报/月报.xlsx" 2>/dev/null)"
  check_book "$work/out/质控 月报/月报.xlsx" plain
  rm -f "$work/out/质控 月报/月报.xlsx"
done
for v in TEMP TMP; do wine reg add 'HKCU\Environment' /v $v /t REG_EXPAND_SZ /d '%USERPROFILE%\AppData\Local\Temp' /f >/dev/null 2>&1; done
rmdir "$work/out/质控 月报"

# ---- From the window ------------------------------------------------------------
export GLYVANT_DRIVE_WINDOW=OrvoMedQualityWindow
quality_drive() { drive "$@"; }
window_book=$work/out/窗口.xlsx
start "$quality"
quality_drive type 100 "$month" >/dev/null
quality_drive type 102 "$(winepath -w "$window_book" 2>/dev/null)" >/dev/null
quality_drive click 104 >/dev/null
for _ in $(seq 60); do [[ $(quality_drive read 106) == 已生成* ]] && break; sleep 0.5; done
[[ $(quality_drive read 106) == "已生成：$(winepath -w "$window_book" 2>/dev/null)" ]] ||
  fail "the window's status: [$(quality_drive read 106)]"
quality_drive click 105 >/dev/null  # nothing on its way to cancel
[[ $(quality_drive read 106) == 已生成* ]] || fail "a cancel of nothing: [$(quality_drive read 106)]"
desktop=$(xdotool search --name 'Wine desktop' 2>/dev/null | head -1)
[ -n "$desktop" ] && import -window "$desktop" -trim +repage "$work/quality-window.png" 2>/dev/null
check_book "$window_book" plain
# Cancelled while a query waits on a lock (held long enough for a slow
# machine's two clicks): no file.
cancelled_book=$work/out/取消.xlsx
database_admin_sql "BEGIN; LOCK TABLE orvomed.orvomed_record IN ACCESS EXCLUSIVE MODE; SELECT pg_sleep(10); COMMIT" >/dev/null &
locker=$!
sleep 1
quality_drive type 102 "$(winepath -w "$cancelled_book" 2>/dev/null)" >/dev/null
quality_drive click 104 >/dev/null
sleep 1
quality_drive click 105 >/dev/null
wait $locker
for _ in $(seq 40); do [[ $(quality_drive read 106) == 已取消* ]] && break; sleep 0.5; done
[[ $(quality_drive read 106) == "已取消，未写入任何文件" ]] || fail "cancelled: [$(quality_drive read 106)]"
[ ! -e "$cancelled_book" ] && [ -z "$(ls "$work/out" | grep '\.new$')" ] || fail "cancelled: a file was left: $(ls "$work/out")"
stop
unset GLYVANT_DRIVE_WINDOW

# ---- What cannot be done is told, and nothing is half written ------------------
before=$(sha256sum <"$book")
wine "$holder" "$win_book" 30 >"$work/holder.txt" 2>/dev/null &
held=$!
for _ in $(seq 40); do grep -q held "$work/holder.txt" && break; sleep 0.5; done
expect_run "held open by another program" 9 "工作簿正被其他程序" --month="$month" "--out=$win_book"
kill $held 2>/dev/null; wait $held 2>/dev/null
[ "$(sha256sum <"$book")" = "$before" ] || fail "held open: the workbook there before was changed"
policy "QualityDatabase=$(connection orvomed_ward_reader "$database_reader_password" orvomed)"
expect_run "a login without the readers' role" 5 "无权读取质量指标视图" --month="$month" "--out=$work/out/refused.xlsx"
policy "QualityDatabase=$(connection orvomed_test_reports wrong-password orvomed)"
expect_run "a wrong password" 5 "登录被拒绝" --month="$month" "--out=$work/out/refused.xlsx"
policy "QualityDatabase=$(connection orvomed_test_reports "$reports_password" postgres)"
expect_run "a database without the views" 6 "没有质量指标视图" --month="$month" "--out=$work/out/none.xlsx"
policy "QualityDatabase=-"
expect_run "no connection set" 3 "QualityDatabase" --month="$month" "--out=$work/out/none.xlsx"
expect_run "a month that is none" 2 "不是 年-月" --month=2026-13 "--out=$work/out/none.xlsx"
[ "$(ls "$work/out" | sort | tr '\n' ' ')" = "empty.xlsx 护理 月报.xlsx 窗口.xlsx " ] || fail "files left: $(ls "$work/out")"

# ---- With the hospital's stays --------------------------------------------------
python3 "$here/quality_rows.py" --stays | database_as_owner "$database_bin/psql" -X -q -v ON_ERROR_STOP=1 \
  "host=$database_root port=$database_port dbname=orvomed" -f - >/dev/null || exit 1
database_schema orvomed || fail "the script run again with the stays"
policy "QualityDatabase=$reports"
views stays
expect_run "with the stays" 0 "工作簿已生成" --month="$month" "--out=$win_book"
check_book "$book" stays
# For people to look at: the workbook as LibreOffice prints it.
(cd "$work" && soffice "-env:UserInstallation=file://$work/office-profile" --headless --convert-to pdf \
   --outdir "$work/pdf" "$book" >/dev/null 2>&1 && pdftoppm -r 60 -png "$work/pdf/护理 月报.pdf" "$work/pdf/page") ||
  fail "LibreOffice did not render the workbook"
[ "$(ls "$work/pdf" | grep -c '\.png$')" -ge 8 ] || fail "the rendered workbook: $(ls "$work/pdf")"

database_server_pause
expect_run "the server stopped" 4 "服务器" --month="$month" "--out=$work/out/stopped.xlsx"
[ ! -e "$work/out/stopped.xlsx" ] || fail "the server stopped: a workbook was written"
mkdir -p "$work/suite" && cp "$launcher" "$work/suite/OrvoMedSuite.exe" && cp "$quality" "$work/suite/OrvoMedQuality.exe"
GLYVANT_DRIVE_WINDOW=OrvoMedLauncherWnd start "$work/suite/OrvoMedSuite.exe"
launcher_drive click 117 >/dev/null
[[ $(GLYVANT_DRIVE_WINDOW=OrvoMedQualityWindow drive read 106) == 从医院数据库* ]] ||
  fail "the launcher's button opened no quality window"
session_verdict "quality_workbook: the workbook read back as the views return it, headless and from the window"
