#!/bin/sh
# Creates a Wine prefix once (the first start of Wine takes seconds), with the
# font replacements that let the Chinese text and the monospaced result box
# show on Linux. Safe to call from parallel tests: the first one does the work.
#
# A prefix named wineprefix-<W>x<H> (the tests' prefixes) shows every program
# on one Wine virtual desktop of that size; wineprefix-<W>x<H>-<N>dpi at a
# display scaling of N DPI as well. The tests need one: without a
# window manager on the X display Wine would wait seconds for one at every
# window, and a desktop smaller than the window shows how it is placed there.
# It is set for the whole prefix, since Wine ignores the per-program setting
# once its 32-bit part is installed; hence one prefix per desktop size.
set -e
prefix=$1
# A prefix made before 32-bit Wine was installed no longer starts after it
# ("could not load kernel32.dll"): the stamp names the Wine it was made with,
# and a prefix made with another is made anew. A new number sets up every
# prefix again, when the set-up below changes.
if [ -d /usr/lib/i386-linux-gnu/wine/i386-windows ]; then wine_kind=wow64; else wine_kind=win64; fi
stamp=$prefix/.glyvant-ready-7-$wine_kind
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
    # Only a prefix of ours, stamped by an earlier set-up, is cleared.
    if ls "$prefix"/.glyvant-ready-* >/dev/null 2>&1; then
      find "$prefix" -mindepth 1 -delete
    fi
    wineboot -i >/dev/null 2>&1 || true
    # Wine links the prefix's Desktop, Documents and the like to the Linux
    # home: a shortcut that an installer puts on the desktop, or a file a
    # program saves to Documents, would land there. They become folders of
    # the prefix's own.
    for link in "$prefix"/drive_c/users/*/*; do
      if [ -L "$link" ]; then rm "$link" && mkdir "$link"; fi
    done
    key='HKCU\Software\Wine\Fonts\Replacements'
    # A prefix that prints (wineprefix-print-...) draws Chinese in a TrueType
    # face: Wine's PostScript driver embeds TrueType outlines but not the CFF
    # ones of the Noto CJK fonts, which print as boxes.
    case $(basename "$prefix") in
      wineprefix-print*) face='WenQuanYi Micro Hei' ;;
      *) face='Noto Sans CJK SC' ;;
    esac
    wine reg add "$key" /v 'Microsoft YaHei UI' /t REG_SZ /d "$face" /f >/dev/null 2>&1
    # Wine draws window captions in Tahoma, which has no Chinese glyphs: the
    # suite's tools have Chinese titles.
    wine reg add "$key" /v 'Tahoma' /t REG_SZ /d 'Noto Sans CJK SC' /f >/dev/null 2>&1
    # A monospaced face that has the Chinese glyphs too: the result box
    # shows Chinese labels in Consolas.
    wine reg add "$key" /v 'Consolas' /t REG_SZ /d 'Noto Sans Mono CJK SC' /f >/dev/null 2>&1
    size=$(basename "$prefix" | sed -n 's/^wineprefix-\(print-\)\{0,1\}\([0-9]*x[0-9]*\)\(-[0-9]*dpi\)\{0,1\}$/\2/p')
    if [ -n "$size" ]; then
      wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /t REG_SZ /d Tests /f >/dev/null 2>&1
      wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Tests /t REG_SZ /d "$size" /f >/dev/null 2>&1
    fi
    # wineprefix-WxH-144dpi: the display scaling a user sets in Windows
    # (144 is 150 %), which Wine 8 reads from here.
    dpi=$(basename "$prefix" | sed -n 's/^wineprefix-.*-\([0-9]*\)dpi$/\1/p')
    if [ -n "$dpi" ]; then
      wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
    fi
    wineserver -w
    touch "$stamp"
  fi
) 9>"$prefix.lock"
