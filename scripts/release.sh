#!/usr/bin/env bash
# Builds the zips and installer packages a hospital deploys.
#   scripts/release.sh [TOOL]     one tool of suite/ (default Glyvant), e.g.
#                                 scripts/release.sh t106_drug_compatibility
#   scripts/release.sh --suite    every tool of suite/, for 64- and 32-bit Windows
# One tool: dist/<program>-<version>-win64.zip (dist/Glyvant-1.0-win64.zip by
# default) with the program, its user guide and deployment note made from
# docs/release/, the Group Policy template of docs/release/policy/ in
# policy/, and SHA256SUMS.txt. The suite: dist/OrvoMedSuite-<version>-
# win64.zip and -win32.zip, each with every tool's program (Glyvant.exe, and
# T010-InsulinCorrection.exe and so on), each program's user guide in
# 使用说明\, the suite's deployment note and catalogue 工具目录.txt from
# docs/release/suite/, the Group Policy template in policy/, and
# SHA256SUMS.txt; and the same files as the Windows Installer packages
# dist/OrvoMedSuite-<version>-win64.msi and -win32.msi
# (scripts/msi/build_msi.py).
# Nothing is packaged unless every descriptor passes scripts/check-tool.sh,
# the policy template passes scripts/check-policy.py, and every program's
# self-test exits 0 under Wine (the 32-bit programs under 32-bit Wine). The
# same commit gives the same bytes, unless signed.
#
# Environment:
#   RELEASE_SIGN_PFX       a PKCS#12 file: every program is Authenticode-signed
#                          before it is tested and packaged, then each package;
#                          RELEASE_SIGN_PASSWORD is its password
#   RELEASE_DIST           the folder the packages go to (default dist)
#   RELEASE_VERSION        build as this version (major.minor.patch) instead of
#                          the project's: the upgrade test's higher version
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/common.sh
scripts/bootstrap.sh

# UTF-8 with a byte-order mark and CR LF line ends: Notepad of every Windows
# version then shows the Chinese text right.
windows_text() { printf '\xEF\xBB\xBF'; sed 's/$/\r/'; }

dist=${RELEASE_DIST:-dist}
# Every configure sets the version, so a raised one never sticks to the
# build folders that the next release reuses.
version_option=-DGLYVANT_VERSION=${RELEASE_VERSION:-}

# The version a build folder's programs carry.
configured_version() {
  local version
  version=$(sed -n 's/^#define GLYVANT_VERSION_TEXT "\(.*\)"$/\1/p' "$1/generated/glyvant_version.h")
  [ -n "$version" ] || { echo "release: CMake gave no version" >&2; exit 2; }
  echo "$version"
}

# sign FILE NAME: Authenticode-signs FILE in place, with NAME and the maker's
# website in the signature, when a signing certificate is given.
signing() { [ -n "${RELEASE_SIGN_PFX:-}" ]; }
sign() {
  signing || return 0
  [ -f "$RELEASE_SIGN_PFX" ] || { echo "release: no file $RELEASE_SIGN_PFX to sign with" >&2; exit 2; }
  # The password from a pipe, not the command line that every user can list.
  osslsigncode sign -pkcs12 "$RELEASE_SIGN_PFX" -readpass <(printf '%s' "${RELEASE_SIGN_PASSWORD:-}") \
    -n "$2" -i "https://$website/" -h sha256 -in "$1" -out "$1.signed" >/dev/null ||
    { rm -f "$1.signed"; echo "release: signing $1 failed" >&2; exit 1; }
  mv "$1.signed" "$1"
}

# The deployment note says whether the programs are signed: a line that
# begins with [signed] or [unsigned] is kept, without the tag, only then.
signed_lines() {
  if signing; then
    sed -e '/^\[unsigned\]/d' -e 's/^\[signed\]//'
  else
    sed -e '/^\[signed\]/d' -e 's/^\[unsigned\]//'
  fi
}

# imports_only_system_dlls OBJDUMP EXE: the deployment note promises that
# nothing but Windows' own DLLs is needed.
imports_only_system_dlls() {
  cmake -DOBJDUMP="$1" -DEXECUTABLE="$2" -P tests/imports_check.cmake >/dev/null
}

# The release's own Wine prefix: `wineserver -k` at the end stops every
# program of its prefix, and the development prefixes may be running
# somebody's tests. One release at a time uses it and the build folders.
# With 32-bit Wine installed it runs the 32-bit programs under 32-bit Wine.
start_wine() {
  wine_session "$PWD/build/release/wineprefix"
}
mkdir -p build/release
exec 9>build/release/wine.lock
flock 9

# selftest STAGE EXE REPORT: runs the program's self-test in its staged
# folder, as IT would after unpacking; false unless it exits 0.
selftest() {
  local code=0
  rm -f "$3"
  # A path relative to the staged folder: Wine does not translate a Linux one.
  (cd "$1" && wine "$2" --selftest "$(realpath -m --relative-to="$1" "$3")" </dev/null) || code=$?
  if [ "$code" -ne 0 ]; then
    echo "release: the self-test of $2 exited with $code, not 0 (report: $3)" >&2
    return 1
  fi
  echo "release: self-test of $2 passed: $(head -n 1 "$3" | tr -d '\r')"
}

# The time every packaged file carries: the last commit's.
epoch=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct 2>/dev/null || echo 315532800)}

# package STAGE ZIP: SHA256SUMS.txt of every staged file, then the zip.
package() {
  local stage=$1 zip=$2
  # CR LF but no byte-order mark: `sha256sum -c` would take the mark for part
  # of the first line and skip that file with a mere warning.
  (cd "$stage" && find . -type f ! -name SHA256SUMS.txt -printf '%P\n' | LC_ALL=C sort |
     tr '\n' '\0' | xargs -0 sha256sum -- | sed 's/$/\r/' >SHA256SUMS.txt)
  # Deterministic: entries sorted by path, every one with the time of the
  # last commit (or SOURCE_DATE_EPOCH) and the same permissions, so the same
  # sources give the same zip.
  rm -f "$zip.part"
  python3 - "$stage" "$zip.part" "$epoch" <<'PYTHON'
import os, sys, time, zipfile
stage, out, epoch = sys.argv[1], sys.argv[2], int(sys.argv[3])
stamp = time.gmtime(max(epoch, 315532800))[:6]  # zip times begin in 1980
names = []
for folder, _, files in os.walk(stage):
    for name in files:
        names.append(os.path.relpath(os.path.join(folder, name), stage))
with zipfile.ZipFile(out, "w") as z:
    for name in sorted(names, key=lambda n: n.encode()):
        entry = zipfile.ZipInfo(name, stamp)
        entry.compress_type = zipfile.ZIP_DEFLATED
        entry.external_attr = 0o100644 << 16  # a plain file, rw-r--r--
        entry.flag_bits |= 0x800              # the name is UTF-8
        with open(os.path.join(stage, name), "rb") as f:
            z.writestr(entry, f.read())
PYTHON
  mv "$zip.part" "$zip"
  echo "release: $zip ($(stat -c %s "$zip") bytes)"
}

# ---- One tool ------------------------------------------------------------------
release_tool() {
  local tool=$1
  local source="$PWD/suite/$tool.cpp"
  if [[ ! $tool =~ ^[A-Za-z0-9_]+$ ]] || [ ! -f "$source" ]; then
    echo "release: no descriptor suite/$tool.cpp" >&2
    exit 2
  fi
  scripts/check-tool.sh "$source"
  python3 scripts/check-policy.py docs/release/policy
  local dir=build/release/$tool
  # Without the link time in its header the program is the same, byte for
  # byte, whenever the same sources are built, and so are the checksums.
  build_tool windows "$dir" "$source" glyvant -DCMAKE_EXE_LINKER_FLAGS=-Wl,--no-insert-timestamp \
             "$version_option"
  # The texts come from a native helper linked with the same descriptor.
  build_tool native "$dir/native" "$source" release_texts "$version_option"
  check_policy_template "$dir/native/release_texts"
  local version name
  version=$(configured_version "$dir")
  website=$(echo @WEBSITE@ | "$dir/native/release_texts" -)
  name=$(sed -n 's/^GLYVANT_PROGRAM_NAME:INTERNAL=//p' "$dir/CMakeCache.txt")
  local exe=$name.exe stage=$dir/$name-$version-win64 zip=$dist/$name-$version-win64.zip
  # A zip left from an earlier run must not pass for this one if it fails.
  rm -f "$zip" "$zip.part"
  rm -rf "$stage"
  mkdir -p "$stage" "$dist"
  cp "$dir/Glyvant.exe" "$stage/$exe"
  imports_only_system_dlls x86_64-w64-mingw32-objdump "$stage/$exe"
  sign "$stage/$exe" "$name"
  start_wine
  selftest "$stage" "$exe" "$dir/selftest.txt" || { echo "release: nothing was packaged" >&2; exit 1; }
  for text in 使用说明 部署说明-DEPLOYMENT; do
    signed_lines <"docs/release/$text.template.txt" | "$dir/native/release_texts" "$exe" |
      windows_text >"$stage/$text.txt"
  done
  cp -r docs/release/policy "$stage/"
  package "$stage" "$zip"
}

# ---- The suite -------------------------------------------------------------------
# suite_build PRESET DIR TARGET [CMAKE ARGUMENTS...]: the whole suite in one
# build folder, so the core is compiled once for every tool.
suite_build() {
  cmake --preset "$1" -B "$2" -DGLYVANT_SUITE=ON -DGLYVANT_TESTS=OFF -DGLYVANT_BENCH=OFF \
        -DGLYVANT_WERROR=ON "${@:4}" >/dev/null
  cmake --build "$2" --target "$3" >"$2/build.log" 2>&1 || { cat "$2/build.log"; exit 1; }
}

# check_policy_template TEXTS: the Group Policy template names the key and
# the limit the programs read, as the release texts' helper TEXTS gives them.
check_policy_template() {
  python3 scripts/check-policy.py docs/release/policy "$(echo @POLICY_KEY@ | "$1" -)" "$(echo @CONNECTION_LIMIT@ | "$1" -)"
}

release_suite() {
  scripts/check-tool.sh suite/*.cpp
  python3 scripts/check-policy.py docs/release/policy
  local root=build/release/suite
  mkdir -p "$root" "$dist"
  suite_build native "$root/native" suite_texts "$version_option"
  local texts=$root/native
  check_policy_template "$texts/release_texts_t009_glyvant"
  local version maker
  version=$(configured_version "$texts")
  maker=$(echo @MAKER@ | "$texts/release_texts_t009_glyvant" -)
  website=$(echo @WEBSITE@ | "$texts/release_texts_t009_glyvant" -)
  # Old packages must not pass for this run's if it fails.
  rm -f "$dist"/OrvoMedSuite-"$version"-win{64,32}.{zip,msi}
  # Once: Wine's background programs keep the lock's file open until the end.
  start_wine
  local arch preset objdump bits dir stage stem program failed msi launcher launcher_name launcher_header
  local quality quality_name quality_header
  for arch in win64 win32; do
    if [ $arch = win64 ]; then
      preset=windows objdump=x86_64-w64-mingw32-objdump bits=64
    else
      preset=windows-x86 objdump=i686-w64-mingw32-objdump bits=32
    fi
    dir=$root/$arch
    suite_build "$preset" "$dir" suite_programs -DCMAKE_EXE_LINKER_FLAGS=-Wl,--no-insert-timestamp \
                "$version_option"
    stage=$dir/OrvoMedSuite-$version-$arch
    rm -rf "$stage" "$dir/selftest"
    mkdir -p "$stage/使用说明" "$dir/selftest"
    while read -r stem program; do
      cp "$dir/suite/$program.exe" "$stage/"
      imports_only_system_dlls "$objdump" "$stage/$program.exe"
      sign "$stage/$program.exe" "$program"
    done <"$dir/suite_programs.txt"
    # The launcher, beside the programs it opens, under the name and title
    # its build gives it.
    launcher_header=$dir/generated/orvomed_launcher/glyvant_program.h
    launcher_name=$(sed -n 's/^#define GLYVANT_PROGRAM_NAME "\(.*\)"$/\1/p' "$launcher_header")
    launcher=$(sed -n 's/^#define GLYVANT_PROGRAM_TITLE "\(.*\)"$/\1/p' "$launcher_header")
    [ -n "$launcher_name" ] && [ -n "$launcher" ] || { echo "release: the launcher's build names no program" >&2; exit 1; }
    cp "$dir/$launcher_name.exe" "$stage/"
    imports_only_system_dlls "$objdump" "$stage/$launcher_name.exe"
    sign "$stage/$launcher_name.exe" "$launcher_name"
    # The quality department's program beside the launcher that starts it,
    # under the name and title its build gives it.
    quality_header=$dir/generated/orvomed_quality/glyvant_program.h
    quality_name=$(sed -n 's/^#define GLYVANT_PROGRAM_NAME "\(.*\)"$/\1/p' "$quality_header")
    quality=$(sed -n 's/^#define GLYVANT_PROGRAM_TITLE "\(.*\)"$/\1/p' "$quality_header")
    [ -n "$quality_name" ] && [ -n "$quality" ] || { echo "release: the quality program's build names no program" >&2; exit 1; }
    cp "$dir/$quality_name.exe" "$stage/"
    imports_only_system_dlls "$objdump" "$stage/$quality_name.exe"
    sign "$stage/$quality_name.exe" "$quality_name"

    failed=0
    while read -r stem program; do
      selftest "$stage" "$program.exe" "$dir/selftest/$program.txt" || failed=1
    done <"$dir/suite_programs.txt"
    # Its self-test passes only when every program of its catalogue is staged.
    selftest "$stage" "$launcher_name.exe" "$dir/selftest/$launcher_name.txt" || failed=1
    selftest "$stage" "$quality_name.exe" "$dir/selftest/$quality_name.txt" || failed=1
    if [ "$failed" -ne 0 ]; then
      echo "release: a self-test did not pass; nothing was packaged" >&2
      exit 1
    fi

    # Each program's guide, its entry in the catalogue and its shortcut in
    # the installer package, from the program's own descriptor; the note from
    # the shared definitions.
    # The launcher first: its guide, and its shortcut in the package. The
    # texts name it by the title its build gives it (@LAUNCHER@).
    sed "s/@LAUNCHER@/$launcher/g" docs/release/suite/启动器说明.template.txt |
      "$texts/release_texts_t009_glyvant" "$launcher_name.exe" | windows_text >"$stage/使用说明/$launcher_name.txt"
    printf '%s\t%s\t%s\n' "$launcher_name.exe" "$launcher" \
      按名称、拼音首字母或编号查找并打开全部护理计算工具 >"$dir/msi-programs.txt"
    sed "s/@QUALITY@/$quality/g" docs/release/suite/质量月报说明.template.txt |
      "$texts/release_texts_t009_glyvant" "$quality_name.exe" | windows_text >"$stage/使用说明/$quality_name.txt"
    printf '%s\t%s\t%s\n' "$quality_name.exe" "$quality" 从医院数据库生成各病区护理质量指标月报（Excel） >>"$dir/msi-programs.txt"
    sed -e "s/@BITS@/$bits/g" -e "s/@LAUNCHER@/$launcher/g" docs/release/suite/工具目录.template.txt |
      "$texts/release_texts_t009_glyvant" Glyvant.exe >"$dir/catalogue.txt"
    while read -r stem program; do
      "$texts/release_texts_$stem" "$program.exe" <docs/release/使用说明.template.txt |
        windows_text >"$stage/使用说明/$program.txt"
      sed "s/@GUIDE@/$program.txt/g" docs/release/suite/工具目录.entry.template.txt |
        "$texts/release_texts_$stem" "$program.exe" >>"$dir/catalogue.txt"
      # Each text asked for alone: release_texts leaves out a line that
      # names an empty one.
      printf '%s\t%s\t%s\n' "$program.exe" \
        "$(echo @TITLE@ | "$texts/release_texts_$stem" "$program.exe")" \
        "$(echo @SUMMARY@ | "$texts/release_texts_$stem" "$program.exe")" >>"$dir/msi-programs.txt"
    done <"$dir/suite_programs.txt"
    windows_text <"$dir/catalogue.txt" >"$stage/工具目录.txt"
    sed -e "s/@BITS@/$bits/g" -e "s/@LAUNCHER@/$launcher/g" docs/release/suite/部署说明-DEPLOYMENT.template.txt |
      signed_lines |
      "$texts/release_texts_t009_glyvant" Glyvant.exe | windows_text >"$stage/部署说明-DEPLOYMENT.txt"
    cp -r docs/release/policy "$stage/"
    package "$stage" "$dist/OrvoMedSuite-$version-$arch.zip"
    # The same staged files, checksums included, as the package IT deploys.
    msi=$dist/OrvoMedSuite-$version-$arch.msi
    SOURCE_DATE_EPOCH=$epoch python3 scripts/msi/build_msi.py "$arch" "$version" "$maker" "$website" \
      "$stage" "$dir/msi-programs.txt" "$dir/icon/glyvant.ico" "$msi.part"
    sign "$msi.part" "OrvoMedSuite $version ($bits-bit)"
    mv "$msi.part" "$msi"
    echo "release: $msi ($(stat -c %s "$msi") bytes)"
  done
}

if [ "${1:-}" = --suite ]; then
  release_suite
else
  release_tool "${1:-t009_glyvant}"
fi
