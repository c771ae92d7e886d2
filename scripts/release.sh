#!/usr/bin/env bash
# Builds the zip a hospital deploys, for one tool of suite/ (default Glyvant):
#   scripts/release.sh [TOOL]        e.g. scripts/release.sh t106_drug_compatibility
# builds its Windows program in build/release/<TOOL>/, runs the program's
# self-test under Wine and packages nothing unless it exits 0, then writes
# dist/Glyvant-<version>-win64.zip (another tool: dist/<TOOL>-<version>-win64.zip)
# holding the program, the user guide and deployment note made for that tool
# from docs/release/, and SHA256SUMS.txt.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/common.sh
scripts/bootstrap.sh

tool=${1:-t009_glyvant}
source="$PWD/suite/$tool.cpp"
if [[ ! $tool =~ ^[A-Za-z0-9_]+$ ]] || [ ! -f "$source" ]; then
  echo "release: no descriptor suite/$tool.cpp" >&2
  exit 2
fi
if [ "$tool" = t009_glyvant ]; then name=Glyvant; else name=$tool; fi
exe=$name.exe
dir=build/release/$tool

# Without the link time in its header the program is the same, byte for
# byte, whenever the same sources are built, and so are the zip's checksums.
build_tool windows "$dir" "$source" glyvant -DCMAKE_EXE_LINKER_FLAGS=-Wl,--no-insert-timestamp
# The texts come from a native helper linked with the same descriptor.
build_tool native "$dir/native" "$source" release_texts
# The project's version, as CMake read it from project() for this build.
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$dir/CMakeCache.txt")
[ -n "$version" ] || { echo "release: CMake gave no project version" >&2; exit 2; }
stage=$dir/$name-$version-win64      # exactly what goes into the zip
zip=dist/$name-$version-win64.zip
# A zip left from an earlier run must not pass for this one if it fails.
rm -f "$zip" "$zip.part"
rm -rf "$stage"
mkdir -p "$stage" dist
cp "$dir/Glyvant.exe" "$stage/$exe"
# The deployment note promises that nothing but Windows' own DLLs is needed.
cmake -DOBJDUMP=x86_64-w64-mingw32-objdump -DEXECUTABLE="$stage/$exe" \
      -P tests/imports_check.cmake >/dev/null

# The release's own Wine prefix: `wineserver -k` at the end stops every
# program of its prefix, and the development prefix (build/windows) may be
# running somebody's tests. One release at a time uses it, for the same reason.
exec 9>build/release/wine.lock
flock 9
wine_session "$PWD/build/release/wineprefix"
report=$dir/selftest.txt
rm -f "$report"
code=0
(cd "$stage" && wine "$exe" --selftest ../selftest.txt </dev/null) || code=$?
if [ "$code" -ne 0 ]; then
  echo "release: the self-test of $exe exited with $code, not 0 (report: $report);" \
       "nothing was packaged" >&2
  exit 1
fi
echo "release: self-test of $exe passed: $(head -n 1 "$report" | tr -d '\r')"

# UTF-8 with a byte-order mark and CR LF line ends: Notepad of every Windows
# version then shows the Chinese text right.
windows_text() { printf '\xEF\xBB\xBF'; sed 's/$/\r/'; }
for text in 使用说明 部署说明-DEPLOYMENT; do
  "$dir/native/release_texts" "$exe" <"docs/release/$text.template.txt" | windows_text >"$stage/$text.txt"
done
# CR LF but no byte-order mark: `sha256sum -c` would take the mark for part
# of the first line and skip that file with a mere warning.
(cd "$stage" && sha256sum -- "$exe" 使用说明.txt 部署说明-DEPLOYMENT.txt | sed 's/$/\r/' >SHA256SUMS.txt)

# Deterministic: entries sorted by name, every one with the time of the last
# commit (or SOURCE_DATE_EPOCH) and the same permissions, so the same sources
# give the same zip.
epoch=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct 2>/dev/null || echo 315532800)}
python3 - "$stage" "$zip.part" "$epoch" <<'PYTHON'
import os, sys, time, zipfile
stage, out, epoch = sys.argv[1], sys.argv[2], int(sys.argv[3])
stamp = time.gmtime(max(epoch, 315532800))[:6]  # zip times begin in 1980
with zipfile.ZipFile(out, "w") as z:
    for name in sorted(os.listdir(stage)):
        entry = zipfile.ZipInfo(name, stamp)
        entry.compress_type = zipfile.ZIP_DEFLATED
        entry.external_attr = 0o100644 << 16  # a plain file, rw-r--r--
        with open(os.path.join(stage, name), "rb") as f:
            z.writestr(entry, f.read())
PYTHON
mv "$zip.part" "$zip"
echo "release: $zip ($(stat -c %s "$zip") bytes): $(cd "$stage" && ls | tr '\n' ' ')"
