#!/bin/sh
# Creates a Wine prefix once (the first start of Wine takes seconds), with the
# font replacements that let the Chinese text and the monospaced result box
# show on Linux. Safe to call from parallel tests: the first one does the work.
set -e
prefix=$1
# A new number sets up every prefix again, when the set-up below changes.
stamp=$prefix/.glyvant-ready-5
[ -f "$stamp" ] && exit 0
. "$(dirname "$0")/common.sh"
mkdir -p "$prefix"
(
  flock 9
  if [ ! -f "$stamp" ]; then
    wine_environment "$prefix"
    # A persistent server left by an interrupted test run would make the
    # wait below last forever.
    wineserver -k 2>/dev/null || true
    wineboot -i >/dev/null 2>&1 || true
    key='HKCU\Software\Wine\Fonts\Replacements'
    wine reg add "$key" /v 'Microsoft YaHei UI' /t REG_SZ /d 'Noto Sans CJK SC' /f >/dev/null 2>&1
    # Wine draws window captions in Tahoma, which has no Chinese glyphs: the
    # suite's tools have Chinese titles.
    wine reg add "$key" /v 'Tahoma' /t REG_SZ /d 'Noto Sans CJK SC' /f >/dev/null 2>&1
    # A monospaced face that has the Chinese glyphs too: the result box
    # shows Chinese labels in Consolas.
    wine reg add "$key" /v 'Consolas' /t REG_SZ /d 'Noto Sans Mono CJK SC' /f >/dev/null 2>&1
    # The window tests run on Wine virtual desktops: without a window manager
    # on the X display, Wine would wait seconds for one at every window, and
    # one desktop smaller than the window shows how it is placed there.
    apps='HKCU\Software\Wine\AppDefaults'
    wine reg add "$apps\glyvant_window_tests.exe\Explorer" /v Desktop /t REG_SZ /d Tests /f >/dev/null 2>&1
    wine reg add "$apps\glyvant_report_window_tests.exe\Explorer" /v Desktop /t REG_SZ /d Tests /f >/dev/null 2>&1
    wine reg add "$apps\glyvant_small_screen_tests.exe\Explorer" /v Desktop /t REG_SZ /d Small /f >/dev/null 2>&1
    wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Tests /t REG_SZ /d 1280x1024 /f >/dev/null 2>&1
    wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Small /t REG_SZ /d 800x600 /f >/dev/null 2>&1
    wineserver -w
    touch "$stamp"
  fi
) 9>"$prefix.lock"
