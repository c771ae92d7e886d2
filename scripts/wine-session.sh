# Sourced by the scripts that run Windows programs: `wine_session PREFIX`
# readies the Wine prefix and starts one wineserver and Wine's background
# services for the whole script, with their output detached (a service
# started by the first program would otherwise inherit its output and hold a
# caller's pipe open, ctest's for one). All of it stops when the script exits.
wine_session() {
  export WINEPREFIX="$1" WINEDEBUG=-all WINEDLLOVERRIDES='mscoree,mshtml='
  scripts/wine-prefix.sh "$WINEPREFIX"
  trap 'wineserver -k 2>/dev/null || true; wineserver -w 2>/dev/null || true' EXIT
  wineserver -p </dev/null >/dev/null 2>&1
  wine cmd /c exit </dev/null >/dev/null 2>&1 || true
}
