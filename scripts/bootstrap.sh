#!/usr/bin/env bash
# Installs the Debian packages that the builds, the tests and the run command
# need. Does nothing when they are all present, so every command can call it.
set -euo pipefail

packages=(
  cmake ninja-build g++ googletest libbenchmark-dev python3
  clang-14 libclang-rt-14-dev                      # fuzzing with the sanitizers
  g++-mingw-w64-x86-64-posix mingw-w64-tools binutils-mingw-w64-x86-64
  wine wine64                                      # running the Windows build
  xvfb xauth x11-apps xdotool imagemagick          # a display for windows, screenshots
  fonts-noto-cjk                                   # Chinese text under Wine
  time                                             # peak memory in scripts/measure.sh
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "bootstrap: installing ${missing[*]}" >&2
sudo=()
[ "$(id -u)" -ne 0 ] && sudo=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -q
"${sudo[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
