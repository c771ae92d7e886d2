#!/usr/bin/env bash
# The ward list's handover sheet printed to a real printer, CUPS with a
# cups-pdf printer, and read back with pdftotext:
#   handover_print_test.sh <launcher_tests exe> <prefix folder>
# The ward, the shift and the time printed; every row as the list shows
# it, the high-risk ones first under their heading, the rest after.
set -uo pipefail
tests=$1 prefix=$2
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../../support/wine_session.sh"
source "$here/../../app/win32/printer_session.sh"
finish() { printer_session_end; }
printer_session_begin
wine_test_session "$prefix"

printer_mark
GLYVANT_HANDOVER_PRINTER=1 wine "$tests" --gtest_filter=Launcher.PrintsTheHandoverSheet >"$prefix/../handover.log" 2>&1 ||
  { fail "the launcher's print"; grep -A6 Failure "$prefix/../handover.log" >&2; }
if pdf=$(printer_new_pdf); then
  hour=$(date +%-H)
  shift_words=$([ "$hour" -lt 8 ] && echo 大夜班 || { [ "$hour" -lt 16 ] && echo 白班 || echo 小夜班; })
  printer_expect_text "$pdf" "护理交班表" "病区：测试病区" "班次：$shift_words" "打印时间：$(date +%Y-%m-%d)" \
    "本病区评估提醒 · 测试病区" "交班护士签名" "接班护士签名" "第 1 页 / 共 1 页"
  # The rows in order: the high-risk ones (levels 3 and 2) first, then the
  # admission assessment, though it is overdue longest; each with its cells
  # as the list shows them.
  pdftotext -layout "$pdf" - | python3 -c '
import sys, unicodedata
text = "".join(unicodedata.normalize("NFKC", sys.stdin.read()).split())
order = ["高危患者(床旁交接)", "3测试患者一T1001Braden11高危", "已逾期", "5测试患者二T1002Braden11中危", "本班",
         "其他待评估项目", "8测试患者三T1003NRS2002待入院评估", "已逾期"]
at = 0
for piece in order:
    at = text.find(piece, at)
    assert at >= 0, (piece, text)' || fail "the sheet's rows: $(pdftotext -layout "$pdf" - | head -20)"
  cp "$pdf" "$prefix/../handover.pdf"
else
  fail "the handover sheet reached no PDF"
fi
session_verdict "the handover sheet printed and read back"
