# A real printer for the tests that print from the real programs under Wine:
# CUPS with a cups-pdf printer, whose PDFs are read back with pdftotext.
# Sourced; printer_session_begin starts cupsd when it is not running and
# adds the printer as the default, printer_session_end takes away what
# begin added or started and puts the machine's default printer back.

printer=GlyvantTestPDF
pdf_folder=${HOME:-/root}/PDF
printer_cupsd_pid=
printer_old_default=
printer_marker=

# lpstat -r exits 0 either way; only its words tell.
printer_cupsd_running() { lpstat -r 2>/dev/null | grep -q '^scheduler is running'; }

printer_session_begin() {
  if ! printer_cupsd_running; then
    # In the foreground, so that it is stopped by its own id.
    /usr/sbin/cupsd -f </dev/null >/dev/null 2>&1 &
    printer_cupsd_pid=$!
    for _ in $(seq 100); do printer_cupsd_running && break; sleep 0.1; done
    printer_cupsd_running || { echo "cannot start cupsd" >&2; exit 1; }
  fi
  printer_old_default=$(lpstat -d 2>/dev/null | sed -n 's/^system default destination: //p')
  lpadmin -p "$printer" -v cups-pdf:/ -E -m lsb/usr/cups-pdf/CUPS-PDF_opt.ppd 2>/dev/null
  lpadmin -d "$printer"
  mkdir -p "$pdf_folder"
  printer_marker=$(mktemp)
}

printer_session_end() {
  lpadmin -x "$printer" 2>/dev/null
  [ -n "$printer_old_default" ] && lpadmin -d "$printer_old_default" 2>/dev/null
  if [ -n "$printer_cupsd_pid" ]; then kill "$printer_cupsd_pid"; wait "$printer_cupsd_pid" 2>/dev/null; fi
  [ -n "$printer_marker" ] && rm -f "$printer_marker"
  return 0
}

# A job's PDF is told by its time, not its name: cups-pdf names files by
# job number, which starts again whenever cupsd does, and overwrites.
printer_mark() { sleep 1; touch "$printer_marker"; }
printer_new_pdfs() { find "$pdf_folder" -maxdepth 1 -name '*.pdf' -newer "$printer_marker" 2>/dev/null; }
# printer_new_pdf: waits for the job since the mark to be done and prints its PDF.
printer_new_pdf() {
  local pdf
  for _ in $(seq 120); do
    pdf=$(printer_new_pdfs | head -1)
    if [ -n "$pdf" ] && [ -s "$pdf" ] && ! lpstat -o "$printer" 2>/dev/null | grep -q .; then
      sleep 1; echo "$pdf"; return 0
    fi
    sleep 0.5
  done
  return 1
}

# printer_expect_text PDF TEXT...: each text on the PDF's pages (on page
# $page alone when it is set), spaces aside, or a failure (the caller's
# `fail`). Both are compared in NFKC form:
# Wine's PostScript driver names some glyphs by their compatibility
# character (不 comes back as U+F967), which looks the same on paper.
printer_expect_text() {
  local missing
  missing=$(pdftotext ${page:+-f $page -l $page} "$1" - | python3 -c '
import sys, unicodedata
norm = lambda t: "".join(unicodedata.normalize("NFKC", t).split())
page = norm(sys.stdin.read())
for text in sys.argv[1:]:
    if norm(text) not in page: print(text)' "${@:2}")
  [ -z "$missing" ] || fail "$(basename "$1") lacks: $missing"
}
