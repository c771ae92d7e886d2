#!/usr/bin/env bash
# Takes a screenshot of Glyvant.exe after Calculate with the default inputs,
# for people to look at: the real program under Wine on a virtual X display,
# F5 pressed in its first input field.
# Usage: scripts/screenshot.sh [OUT.png] [PROGRAM.exe [ARGUMENTS...]]  (another tool's build, say,
# started as a hospital system starts it, with a patient)
# With SCREENSHOT_TYPE set, that text is typed where the window puts the
# focus instead of F5: a search in the launcher's box, say.
set -euo pipefail
cd "$(dirname "$0")/.."
out=${1:-build/glyvant.png}
program=${2:-build/windows/Glyvant.exe}

source scripts/common.sh

[ -n "${GLYVANT_VIRTUAL_DISPLAY:-}" ] || build_preset windows glyvant >/dev/null
on_virtual_display 1280x960x24 "$0" "$@"

# A Wine virtual desktop draws the window's title bar and frame itself, so
# the picture looks as on Windows without a window manager. It is set in the
# prefix's registry, as the tests' prefixes have it (scripts/wine-prefix.sh):
# `wine explorer /desktop=...` fails on some machines (BadWindow at
# X_CreateWindow) and leaves nothing to take a picture of.
desktop=1280x860  # the launcher is 1232 wide
wine_session "$PWD/build/windows/wineprefix-$desktop"

wine "$program" "${@:3}" </dev/null >/dev/null 2>&1 &
window=
for _ in $(seq 60); do
  window=$(xdotool search --name 'Wine desktop' 2>/dev/null | head -1) && [ -n "$window" ] && break
  sleep 0.5
done
[ -n "$window" ] || { echo "screenshot: no Wine desktop showed for $out" >&2; exit 1; }
sleep 4                      # the window shows and its first field takes the focus
if [ -n "${SCREENSHOT_TYPE:-}" ]; then
  xdotool type --delay 100 "$SCREENSHOT_TYPE"
else
  xdotool key F5             # Calculate, through the message loop's routing
fi
sleep 2
mkdir -p "$(dirname "$out")"
# The desktop's plain background around the window is trimmed away.
import -window "$window" -trim +repage "$out"
echo "screenshot: $out"
