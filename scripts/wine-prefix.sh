#!/bin/sh
# Creates a Wine prefix once (the first start of Wine takes seconds), with the
# font replacements that let the Chinese text and the monospaced result box
# show on Linux. Safe to call from parallel tests: the first one does the work.
set -e
prefix=$1
[ -f "$prefix/.glyvant-ready" ] && exit 0
mkdir -p "$prefix"
(
  flock 9
  if [ ! -f "$prefix/.glyvant-ready" ]; then
    export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES='mscoree,mshtml='
    wineboot -i >/dev/null 2>&1 || true
    key='HKCU\Software\Wine\Fonts\Replacements'
    wine reg add "$key" /v 'Microsoft YaHei UI' /t REG_SZ /d 'Noto Sans CJK SC' /f >/dev/null 2>&1
    wine reg add "$key" /v 'Consolas' /t REG_SZ /d 'DejaVu Sans Mono' /f >/dev/null 2>&1
    wineserver -w
    touch "$prefix/.glyvant-ready"
  fi
) 9>"$prefix.lock"
