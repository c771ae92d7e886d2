#!/usr/bin/env bash
# A nurse's session with the real programs under Wine, as the hospital
# system starts them:
#   patient_session_test.sh <T018 Braden exe> <launcher exe> <ui_driver exe> <prefix folder>
# Braden started with the patient, the nurse and two inputs shows the
# patient, calculates, copies (the patient first), saves (the row's new
# columns hold every field, an earlier version's file stays byte for byte as
# it was; LibreOffice reads both) and prints (the patient block and the
# signature line, read back from the PDF); started again for the patient, it
# shows the first save as the last assessment. A name that is a spreadsheet
# formula is text in the record as LibreOffice reads it, and as typed on the
# band and the page. The launcher, started with A and the nurse, opens Braden
# for A; a scan of B into its bar clears A's name and bed; A's window, named
# for A, asks before it saves A's row; B's window saves B's; a scan into the
# patient window empties the name. Invented patients only.
set -uo pipefail
braden=$1 launcher=$2 driver=$3 prefix=$4
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../../support/wine_session.sh"
source "$here/printer_session.sh"

work=$(mktemp -d)
finish() {
  printer_session_end
  rm -rf "$work"
}
printer_session_begin
wine_test_session "$prefix"

# Save, and OK on the box that tells it was saved.
save_and_confirm() {
  local shown
  drive click 1002 >/dev/null
  shown=$(drive dialog 10)
  grep -q '^已保存' <<<"$shown" || fail "Save showed [$shown]"
  drive press 1 >/dev/null
  sleep 1
}
# expect WHAT GOT WANTED: the text a user reads, against the one expected.

local_appdata=$(wine cmd /c 'echo %LOCALAPPDATA%' 2>/dev/null | tr -d '\r')
records="$(winepath -u "$local_appdata" 2>/dev/null)/OrvoMedSuite/records"
rm -rf "$records"
mkdir -p "$records"
# A file an earlier version began: its own header, a row with no patient.
printf '\xef\xbb\xbf时间,工具,感知能力,潮湿程度,活动能力,移动能力,营养摄取能力,摩擦力和剪切力,结果\r\n2026-11-30 08:00:00,压力性损伤风险评估（Braden）,感知能力=4,潮湿程度=4,活动能力=4,移动能力=4,营养摄取能力=4,摩擦力和剪切力=3,"总分：23 分\r\n"\r\n' \
  >"$records/T018.csv"
old_file=$(sha256sum <"$records/T018.csv")

# spreadsheet FILE: the record as LibreOffice reads it (formulas evaluated,
# as a spreadsheet opening a CSV may), written back as plain CSV.
spreadsheet() {
  rm -rf "$work/sheet"
  soffice --headless "-env:UserInstallation=file://$work/lo-profile" \
    --infilter='CSV:44,34,76,1,,0,false,true,false,false,true' \
    --convert-to 'csv:Text - txt - csv (StarCalc):44,34,76,1,,0,false,true,false,false,false' \
    --outdir "$work/sheet" "$1" >/dev/null 2>&1
  cat "$work/sheet"/*.csv 2>/dev/null
}

patient_line='测试患者甲　住院号 2026001234　12 床　普外一科'
his=(--patient-id=2026001234 --patient-name=测试患者甲 --bed=12 --ward=普外一科 --nurse-id=N0001
     --nurse-name=测试护士 --visit-id=3 --admitted-at=2026-12-08T09:30 --set=sensory=3 --set=friction=2)

# ---- Started as the hospital system starts it ----------------------------------
start "$braden" "${his[@]}"
expect "the band" "$(drive read 5000)" "$patient_line"
expect "the last assessment" "$(drive read 5001)" "本机本用户无此患者的记录"
for input in 2001 2002 2003 2004; do drive choose "$input" 3 >/dev/null || fail "cannot choose $input"; done
drive click 1001 >/dev/null
sleep 1
drive click 1003 >/dev/null
sleep 1
copied=$(drive clipboard -)
expect "the copy's first line" "$(head -1 <<<"$copied")" "$patient_line"
grep -qF '感知能力：3 分：轻度受限' <<<"$copied" || fail "the copy lacks the --set input: [$copied]"
save_and_confirm
expect "the last assessment after Save" "$(drive read 5001 | sed 's/^上次评估：[0-9-]* [0-9:]*//')" "　总分 21 分　无明显风险　测试护士"
record_number=$(grep -ao '[0-9a-f]\{8\}-[0-9a-f]\{4\}-4[0-9a-f]\{3\}-[89ab][0-9a-f]\{3\}-[0-9a-f]\{12\}' "$records/T018-2.csv" | tail -1)

printer_mark
drive click 1006 >/dev/null
drive dialog 15 >/dev/null || fail "no print dialog"
drive press 1 >/dev/null
if pdf=$(printer_new_pdf); then
  printer_expect_text "$pdf" "姓名：测试患者甲" "住院号：2026001234" "床号：12" "科室：普外一科" "评估护士签名：" "测试护士" \
    "感知能力：3 分：轻度受限" "总分：21 分" "评估时间：$(date +%Y-%m-%d)" "打印时间：$(date +%Y-%m-%d)" \
    "记录编号：$record_number"
  cp "$pdf" "$prefix/../print-patient.pdf"
else
  fail "the print reached no PDF"
fi
stop

[ "$(sha256sum <"$records/T018.csv")" = "$old_file" ] || fail "the earlier version's file changed"
python3 - "$(spreadsheet "$records/T018-2.csv")" "$(spreadsheet "$records/T018.csv")" <<'EOF' || fail "the record as LibreOffice reads it"
import csv, io, re, sys
new, old = (list(csv.reader(io.StringIO(t))) for t in sys.argv[1:])
header = new[0]
assert header[-15:] == ["记录编号", "住院号", "姓名", "床号", "科室", "护士工号", "护士姓名", "Windows 用户", "计算机名",
                        "保存时间", "就诊号", "入院时间", "评估时间", "主要结果", "下次评估"], header
assert len(new) == 2 and len(new[1]) == len(header), new
row = dict(zip(header, new[1]))
assert re.fullmatch(r"[0-9a-f]{8}-[0-9a-f]{4}-4[0-9a-f]{3}-[89ab][0-9a-f]{3}-[0-9a-f]{12}", row["记录编号"]), row
for column, value in [("住院号", "2026001234"), ("姓名", "测试患者甲"), ("床号", "12"), ("科室", "普外一科"),
                      ("护士工号", "N0001"), ("护士姓名", "测试护士"), ("感知能力", "感知能力=3"),
                      ("就诊号", "3"), ("主要结果", "21"),
                      ("摩擦力和剪切力", "摩擦力和剪切力=2")]:
    assert row[column] == value, (column, row[column])
assert row["Windows 用户"] and row["计算机名"], row
assert re.fullmatch(r"\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d[+-]\d\d:\d\d", row["保存时间"]), row["保存时间"]
assert row["保存时间"][:10] == row["时间"][:10], row
# LibreOffice reads the admission as a time: its seconds appear.
assert row["入院时间"].startswith("2026-12-08T09:30"), row["入院时间"]
assert row["评估时间"] <= row["保存时间"] and row["评估时间"][:10] == row["时间"][:10], row
assert "总分：21 分" in row["结果"], row["结果"]
assert len(old) == 2 and old[1][0] == "2026-11-30 08:00:00" and len(old[1]) == 9, old
EOF

# ---- The same patient again: the first save is the last assessment ---------------
start "$braden" "${his[@]}"
last=$(drive read 5001)
[[ $last == 上次评估：* && $last == *"　总分 21 分　无明显风险　测试护士" ]] || fail "started again it showed [$last]"
for input in 2001 2002 2003 2004; do drive choose "$input" 0 >/dev/null; done
drive click 1001 >/dev/null
save_and_confirm
stop
[ "$(grep -c '2026001234' "$records/T018-2.csv")" = 2 ] || fail "the second save is not the file's second row"

# ---- Five earlier results (13, 17, 21 after the 21 and 9 above) on paper, with the due line ----
start "$braden" "${his[@]}"
for option in 1 2 3; do
  for input in 2001 2002 2003 2004; do drive choose "$input" "$option" >/dev/null; done
  drive click 1001 >/dev/null
  save_and_confirm
done
drive choose 2001 0 >/dev/null
drive click 1001 >/dev/null
printer_mark
drive click 1006 >/dev/null
drive dialog 15 >/dev/null && drive press 1 >/dev/null
pdf=$(printer_new_pdf) || fail "the earlier assessments' page reached no PDF"
pdftotext -layout "$pdf" - | python3 -c '
import re, sys, unicodedata
text = unicodedata.normalize("NFKC", sys.stdin.read())
assert "既往评估(最近5次,本机本用户记录)" in "".join(text.split()), text
# The result of 18 ends with when it is due, as the window shows it.
assert re.search(r"下次评估:(\d{4}-)?\d\d-\d\d\d\d:\d\d前\(低危:每72小时;", "".join(text.split())), text
rows = re.findall(r"\d{4}-\d\d-\d\d \d\d:\d\d\s+(\d+) 分\s+(\S+)\s+测试护士", text)
assert rows == [("21", "无明显风险"), ("9", "极高危"), ("13", "中危"), ("17", "低危"), ("21", "无明显风险")], rows
' || fail "the page's earlier assessments"
stop

# ---- A name that is a formula: text in the record, as typed on band and page ------
formula='=HYPERLINK("http://x","点我")'
# As a hospital system writes the file: a byte-order mark, a comment, a
# blank line, and an input the launcher would refuse but a tool takes.
printf '\xef\xbb\xbf# HIS\r\npatient-id=2026001299\r\n\r\npatient-name=%s\nset=sensory=2\r\n' "$formula" >"$work/patient.txt"
start "$braden" "--patient-file=$(winepath -w "$work/patient.txt" 2>/dev/null)"
expect "the band with a formula's name" "$(drive read 5000)" "$formula　住院号 2026001299"
for input in 2001 2002 2003 2004 2005; do drive choose "$input" 1 >/dev/null; done
drive click 1001 >/dev/null
save_and_confirm
printer_mark
drive click 1006 >/dev/null
drive dialog 15 >/dev/null || fail "no print dialog for the formula's page"
drive press 1 >/dev/null
if pdf=$(printer_new_pdf); then printer_expect_text "$pdf" "姓名：$formula"; else fail "the formula's page reached no PDF"; fi
stop
python3 - "$(spreadsheet "$records/T018-2.csv")" "$formula" <<'EOF' || fail "LibreOffice read the formula's name otherwise"
import csv, io, sys
rows = list(csv.reader(io.StringIO(sys.argv[1])))
name = rows[-1][rows[0].index("姓名")]
assert name == "'" + sys.argv[2], name
EOF

# ---- A name that holds the self-test switch: only a name ------------------------------
# A report written there would overwrite a file (or, over UNC, log on to
# another server) and open no window.
public_dir="$(winepath -u 'C:\users\Public' 2>/dev/null)"
rm -f "$public_dir/x" "$public_dir/x y"
start "$braden" --patient-id=2026001300 '--patient-name=--selftest C:\users\Public\x y'
expect "the band with the switch in the name" "$(drive read 5000)" '--selftest C:\users\Public\x y　住院号 2026001300'
stop
[ -e "$public_dir/x" ] || [ -e "$public_dir/x y" ] && fail "the name wrote a self-test report"

# ---- The launcher and two patients -------------------------------------------------
# Started as the hospital system starts it, with A and the nurse; Braden
# opened for A; B's wristband scanned into the bar's number field, which
# selects its text on the click, so that A's number goes, and A's name and
# bed with it; the nurse stays. A's window stays A's and says so when Save
# asks; B's own window is B's.
mkdir -p "$work/suite"
cp "$launcher" "$work/suite/OrvoMedSuite.exe"
cp "$braden" "$work/suite/T018-Braden.exe"
wine "$work/suite/OrvoMedSuite.exe" --patient-id=2026001234 --patient-name=测试患者甲 --bed=12 --nurse-id=N0001 \
  --nurse-name=测试护士 </dev/null >/dev/null 2>&1 &
program=$!
launcher_drive click 0 >/dev/null  # waits for the window
sleep 1
launcher_drive type 101 018 >/dev/null
sleep 1
launcher_drive click 104 >/dev/null  # 打开
sleep 3
title_a="压力性损伤风险评估（Braden）— 测试患者甲 2026001234"
title_b="压力性损伤风险评估（Braden）— 测试患者乙 2026005678"
window_a() { GLYVANT_DRIVE_TITLE=$title_a drive "$@"; }
window_b() { GLYVANT_DRIVE_TITLE=$title_b drive "$@"; }
expect "A's window from the launcher" "$(window_a title -)" "$title_a"
[ -z "$(ls -A "$(dirname "$records")/handover" 2>/dev/null)" ] || fail "the hand-over file stayed"
read -r x y < <(launcher_drive where 106)
xdotool mousemove "$x" "$y" click 1
sleep 1
xdotool type --delay 20 2026005678
xdotool key Return                   # the scanner's Enter: on to 姓名
sleep 1
expect "the bar after B's scan" \
  "$(launcher_drive read 106)|$(launcher_drive read 107)|$(launcher_drive read 108)|$(launcher_drive read 112)" \
  "2026005678|||测试护士"
launcher_drive type 107 测试患者乙 >/dev/null
sleep 1
# calculate_and_save WINDOW OPTION: every Braden item at OPTION, Calculate,
# Save; the box Save shows.
calculate_and_save() {
  local input
  for input in 2000 2001 2002 2003 2004 2005; do "$1" choose "$input" "$2" >/dev/null; done
  "$1" click 1001 >/dev/null
  sleep 1
  "$1" click 1002 >/dev/null
  drive dialog 10
}
shown=$(calculate_and_save window_a 1)
grep -q '本窗口的结果属于 测试患者甲（2026001234）' <<<"$shown" || fail "Save in A's window asked [$shown]"
drive press 6 >/dev/null  # 是
sleep 1
shown=$(drive dialog 10)
grep -q '已保存：测试患者甲（2026001234）' <<<"$shown" || fail "Save in A's window said [$shown]"
drive press 1 >/dev/null
sleep 1
launcher_drive click 104 >/dev/null  # 打开, for B
sleep 3
expect "B's window from the launcher" "$(window_b title -)" "$title_b"
shown=$(calculate_and_save window_b 2)
grep -q '已保存：测试患者乙（2026005678）' <<<"$shown" || fail "Save in B's window said [$shown]"
drive press 1 >/dev/null
sleep 1
python3 - "$records/T018-2.csv" <<'EOF' || fail "the rows of A's and B's windows"
import csv, sys
rows = list(csv.reader(open(sys.argv[1], encoding="utf-8-sig", newline="")))
a, b = dict(zip(rows[0], rows[-2])), dict(zip(rows[0], rows[-1]))
assert (a["住院号"], a["姓名"], a["床号"], a["护士姓名"]) == ("2026001234", "测试患者甲", "12", "测试护士"), a
assert (b["住院号"], b["姓名"], b["床号"], b["护士姓名"]) == ("2026005678", "测试患者乙", "", "测试护士"), b
EOF
# The band of B's window opens the patient window; a scan of another
# number replaces B's and empties B's name.
window_b click 5000 >/dev/null
sleep 1
xdotool type --delay 20 2026009999
sleep 1
dialog_drive() { GLYVANT_DRIVE_WINDOW=OrvoMedPatientWnd drive "$@"; }
expect "the patient window after a scan" "$(dialog_drive read 5100)|$(dialog_drive read 5101)" "2026009999|"
lists="$(dirname "$records")"
grep -rqs '2026001234\|测试患者甲\|2026005678' "$lists"/launcher* && fail "the launcher kept a patient in its lists"
wineserver -k 2>/dev/null

session_verdict "the nurse's session: patient shown, copied, saved, read back, printed, found again"
