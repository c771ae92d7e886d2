#!/usr/bin/env bash
# Prints from the real programs under Wine to a real printer: CUPS with a
# cups-pdf printer, whose PDFs are read back with pdftotext and pdfinfo.
#   print_to_pdf_test.sh <Glyvant.exe> <rota tool's exe> <ui_driver.exe> <prefix folder>
# Glyvant's defaults, the 40-nurse rota over several pages, Cancel, Print
# refused without a result, a label printer as the default, printers but no
# default, and no printer at all. Starts cupsd when it is not running and
# stops what it started; the machine's default printer is put back.
set -uo pipefail
glyvant=$1 rota=$2 driver=$3 prefix=$4
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../../support/wine_session.sh"
source "$here/printer_session.sh"

label_printer=GlyvantTestLabel

# ---- The printers ---------------------------------------------------------------
# A label printer: cups-pdf's PPD with a 30 x 20 mm label as its paper,
# which Wine's PostScript driver reads.
add_label_printer() {
  local ppd label='Label30x20/Label 30 x 20 mm' code='"<</PageSize[85 57]/ImagingBBox null>>setpagedevice"'
  ppd=$(mktemp --suffix=.ppd)
  sed -e "/^\*PageSize A4\//a *PageSize $label: $code" -e "/^\*PageRegion A4\//a *PageRegion $label: $code" \
      -e "/^\*ImageableArea A4\//a *ImageableArea $label: \"0 0 85 57\"" \
      -e "/^\*PaperDimension A4\//a *PaperDimension $label: \"85 57\"" \
      -e 's/^\*Default\(PageSize\|PageRegion\|ImageableArea\|PaperDimension\): A4$/*Default\1: Label30x20/' \
      /usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd >"$ppd"
  lpadmin -p "$label_printer" -v cups-pdf:/ -E -P "$ppd" 2>/dev/null
  rm -f "$ppd"
}
finish() {
  lpadmin -x "$label_printer" 2>/dev/null
  printer_session_end
}
printer_session_begin
wine_test_session "$prefix"

# ---- Without a result: refused, nothing printed ----------------------------------
printer_mark
start "$glyvant" --patient-id=2026001234 --patient-name=测试患者甲 --bed=12 --ward=普外一科 --nurse-name=测试护士
drive click 1006 >/dev/null
shown=$(drive dialog 10)
grep -qF '请先点击“计算”生成结果。' <<<"$shown" || fail "Print without a result showed [$shown]"
drive press 1 >/dev/null

# ---- Glyvant's defaults, with Ctrl+P as a nurse presses it -------------------------
drive click 1001 >/dev/null
sleep 1
xdotool key ctrl+p
drive dialog 15 >/dev/null || fail "Ctrl+P opened no print dialog"
drive press 1 >/dev/null
if pdf=$(printer_new_pdf); then
  printer_expect_text "$pdf" Glyvant 分类：内分泌 "姓名：测试患者甲 住院号：2026001234 床号：12" "科室：普外一科 评估时间：" \
    "评估护士签名：________（测试护士）" 本餐碳水：60 g 碳水系数：10 g/U 规格：100 U/ml \
    餐时胰岛素：6.0 U 抽取体积：0.060 ml 结论：按碳水系数计算完成 提示等级：绿色（完成） \
    参考依据：糖尿病胰岛素强化治疗：ICR 碳水胰岛素比值 \
    本工具为临床辅助计算/记录工具，结果不能替代医师诊疗判断 "第 1 页 / 共 1 页"
  pdfinfo "$pdf" | grep -q '^Pages: *1$' || fail "Glyvant's page is not one page"
  cp "$pdf" "$prefix/../print-glyvant.pdf"
else
  fail "Glyvant's print reached no PDF"
fi

# ---- Cancel: no job -----------------------------------------------------------------
printer_mark
drive click 1006 >/dev/null
drive dialog 15 >/dev/null || fail "no print dialog to cancel"
drive press 2 >/dev/null
sleep 4
[ -z "$(printer_new_pdfs)" ] || fail "Cancel printed"
lpstat -o "$printer" 2>/dev/null | grep -q . && fail "Cancel left a job"
stop

# ---- The 40-nurse, 31-day rota over several pages; an "&" in its patient's name prints --
printer_mark
start "$rota" --patient-id=2026000002 --patient-name=测试\&患者乙
drive type 2000 40 >/dev/null
drive type 2001 31 >/dev/null
drive click 1001 >/dev/null
drive click 1006 >/dev/null
drive dialog 15 >/dev/null || fail "no print dialog for the rota"
drive press 1 >/dev/null
if pdf=$(printer_new_pdf); then
  pages=$(pdfinfo "$pdf" | sed -n 's/^Pages: *//p')
  [ "${pages:-0}" -gt 1 ] || fail "the rota printed on ${pages:-no} page(s)"
  nurses=()
  for n in $(seq -w 1 40); do nurses+=("护士$n："); done
  printer_expect_text "$pdf" "${nurses[@]}" "31日D" "提示：连续夜班不超过 2 个" "第 1 页 / 共 $pages 页" \
    "第 $pages 页 / 共 $pages 页" 本工具为临床辅助计算/记录工具 "评估护士签名：________"
  page=2 printer_expect_text "$pdf" "姓名：测试&患者乙 住院号：2026000002"
  cp "$pdf" "$prefix/../print-rota.pdf"
else
  fail "the rota's print reached no PDF"
fi
stop

# ---- A label printer as the default ---------------------------------------------------
# Wine takes CUPS's default as Windows' when a program starts. The dialog
# opens on it, and printing on its paper is refused with the paper's size.
add_label_printer
lpadmin -d "$label_printer"
printer_mark
start "$glyvant"
drive click 1001 >/dev/null
drive click 1006 >/dev/null
drive dialog 15 >/dev/null || fail "no print dialog with a label printer as the default"
drive press 1 >/dev/null
sleep 1
shown=$(drive dialog 15)
[ "$shown" = "打印
当前打印机的纸张为 30 × 20 mm，无法排版打印结果。请选择 A4 或 A5 纸张的打印机。" ] || fail "printing on a label showed [$shown]"
drive press 1 >/dev/null
sleep 4
[ -z "$(printer_new_pdfs)" ] || fail "something printed on the label"
lpstat -o "$label_printer" 2>/dev/null | grep -q . && fail "the label printer got a job"
stop
lpadmin -d "$printer"

# ---- Printers, but no default --------------------------------------------------------
# Wine sets a default whenever a program starts and CUPS has printers: it is
# taken away while Glyvant runs (Wine reads it from the registry each time).
# The print dialog opens for the nurse to choose a printer; Cancel there
# says nothing.
printer_mark
start "$glyvant"
wine reg delete 'HKCU\Software\Microsoft\Windows NT\CurrentVersion\Windows' /v Device /f >/dev/null 2>&1
drive click 1001 >/dev/null
drive click 1006 >/dev/null
shown=$(drive dialog 15)
case $shown in ""|打印*) fail "without a default Print showed [$shown], not the print dialog" ;; esac
drive press 2 >/dev/null
sleep 1
shown=$(drive dialog 3) && fail "Cancel without a default showed [$shown]"
[ -z "$(printer_new_pdfs)" ] || fail "Cancel without a default printed"
stop

# ---- No printer at all ----------------------------------------------------------------
# Whatever printers the machine has, Wine finds none through a CUPS server
# that is not there.
printer_mark
CUPS_SERVER=/nonexistent/cups.sock start "$glyvant"
drive click 1001 >/dev/null
drive click 1006 >/dev/null
shown=$(drive dialog 15)
grep -qF '未找到可用的打印机，请先在系统中添加打印机。' <<<"$shown" || fail "without a printer Print showed [$shown]"
drive press 1 >/dev/null
sleep 2
[ -z "$(printer_new_pdfs)" ] || fail "something printed without a printer"
stop

session_verdict "print_to_pdf: every print as expected"
