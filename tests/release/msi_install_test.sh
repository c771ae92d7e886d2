#!/usr/bin/env bash
# The suite's installer packages where IT meets them. Makes a signed release
# with a throwaway certificate and checks every signature; makes an unsigned
# release of the same sources as a higher version and checks that its
# packages come out the same when made again; then, for each package in a
# fresh Wine prefix: a silent install, every installed program's self-test
# from its installed folder, the Chinese shortcuts, a harmless reinstall, the
# upgrade in place, the refused downgrade, and a silent removal that leaves
# nothing installed and the user's record file byte for byte as it was.
# Both releases reuse the release's build folders.
set -euo pipefail
cd "$(dirname "$0")/../.."
source scripts/common.sh
work=$PWD/build/msi-test
rm -rf "$work"
mkdir -p "$work"

failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

# ---- Releases -------------------------------------------------------------------
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Throwaway release signer/O=Test" \
  -addext extendedKeyUsage=codeSigning -keyout "$work/key.pem" -out "$work/cert.pem" 2>/dev/null
openssl pkcs12 -export -inkey "$work/key.pem" -in "$work/cert.pem" -out "$work/sign.pfx" \
  -passout pass:throwaway
RELEASE_DIST=$work/base RELEASE_SIGN_PFX=$work/sign.pfx RELEASE_SIGN_PASSWORD=throwaway \
  scripts/release.sh --suite >"$work/base.log" 2>&1 || { cat "$work/base.log"; exit 1; }
base=$(basename "$work"/base/OrvoMedSuite-*-win64.msi -win64.msi)
base=${base#OrvoMedSuite-}
IFS=. read -r major minor patch <<<"$base"
raised=$major.$minor.$((${patch:-0} + 1))
RELEASE_DIST=$work/raised RELEASE_VERSION=$raised scripts/release.sh --suite >"$work/raised.log" 2>&1 ||
  { cat "$work/raised.log"; exit 1; }
echo "released $base (signed) and $raised (unsigned)"

verified() { osslsigncode verify -CAfile "$work/cert.pem" -in "$1" >"$work/verify.log" 2>&1; }

for arch in win64 win32; do
  msi=$work/base/OrvoMedSuite-$base-$arch.msi
  verified "$msi" || fail "$msi: the signature does not verify"
  msiextract -C "$work/extract-$arch" "$msi" >/dev/null
  programs=0
  while IFS= read -r -d '' exe; do
    programs=$((programs + 1))
    verified "$exe" || fail "$(basename "$exe") in $(basename "$msi"): the signature does not verify"
  done < <(find "$work/extract-$arch" -name '*.exe' -print0)
  [ "$programs" -gt 0 ] || fail "$msi: no program inside"
  # Every program of the package and of the zip carries the manifest.
  zip=$work/base/OrvoMedSuite-$base-$arch.zip
  python3 -m zipfile -e "$zip" "$work/unzipped-$arch" || fail "$zip: cannot be unpacked"
  find "$work/extract-$arch" "$work/unzipped-$arch" -name '*.exe' -print0 |
    xargs -0 python3 scripts/check-manifest.py || fail "$arch: a released program without its manifest"

  # The unsigned package, made again from the same staged files.
  dir=build/release/suite/$arch
  texts=build/release/suite/native/release_texts_t009_glyvant
  SOURCE_DATE_EPOCH=$(git log -1 --format=%ct) python3 scripts/msi/build_msi.py "$arch" "$raised" \
    "$(echo @MAKER@ | $texts -)" "$(echo @WEBSITE@ | $texts -)" \
    "$dir/OrvoMedSuite-$raised-$arch" "$dir/msi-programs.txt" \
    "$dir/icon/glyvant.ico" "$work/again-$arch.msi"
  cmp -s "$work/again-$arch.msi" "$work/raised/OrvoMedSuite-$raised-$arch.msi" ||
    fail "$arch: the unsigned package is not the same when made again"
done

# ---- Installing -----------------------------------------------------------------
# Each package in a prefix of its own, made for this run.
wine_session "$work/wineprefix-win64" "$work/wineprefix-win32"

msiexec() {
  local code=0
  wine msiexec "$@" /qn </dev/null >/dev/null 2>&1 || code=$?
  echo "$code"
}

# Programs and Features: the installed versions of OrvoMedSuite, one line each.
entries() {
  local view
  for view in 64 32; do
    wine reg export 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall' "$work/$arch.reg" \
      /y /reg:$view >/dev/null 2>&1
    iconv -f UTF-16 -t UTF-8 "$work/$arch.reg" | tr -d '\r' |
      awk -F'"' '/^\[/ { name = ""; version = "" }
                 $2 == "DisplayName" { name = $4 }
                 $2 == "DisplayVersion" { version = $4 }
                 name == "OrvoMedSuite" && version != "" { print version; name = "" }'
  done
}

# installed_as STAGE: the installed folder holds exactly the staged files.
installed_as() {
  diff -r "$folder" "$1" >/dev/null || fail "$arch: the installed files are not those of $(basename "$1")"
}

selftests() {
  local exe code
  mkdir -p "$WINEPREFIX/drive_c/selftest"
  for exe in "$folder"/*.exe; do
    code=0
    (cd "$folder" && wine "$(basename "$exe")" --selftest 'C:\selftest\report.txt' </dev/null) || code=$?
    [ "$code" -eq 0 ] || fail "$arch: installed $(basename "$exe") self-test exited $code"
  done
}

# install_flow ARCH: the whole round for one package; fails on any failure.
install_flow() {
  arch=$1 failures=0
  wine_environment "$work/wineprefix-$arch"
  if [ $arch = win64 ]; then
    folder="$WINEPREFIX/drive_c/Program Files/OrvoMedSuite"
  else
    folder="$WINEPREFIX/drive_c/Program Files (x86)/OrvoMedSuite"
  fi
  stages=build/release/suite/$arch/OrvoMedSuite
  old=$work/base/OrvoMedSuite-$base-$arch.msi new=$work/raised/OrvoMedSuite-$raised-$arch.msi

  # A nurse's records from before the suite was installed.
  records="$(winepath -u "$(wine cmd /c echo %LOCALAPPDATA% | tr -d '\r')")/OrvoMedSuite/records"
  mkdir -p "$records"
  printf '\xEF\xBB\xBF时间,工具,结果\r\n2026-12-01 08:00:00,Glyvant,6.0 U\r\n' >"$records/T009.csv"
  cp "$records/T009.csv" "$work/records-$arch.csv"

  [ "$(msiexec /i "$old")" = 0 ] || fail "$arch: installing $base failed"
  installed_as "$stages-$base-$arch"
  selftests
  # The launcher's shortcut in the folder and on every user's desktop, the
  # tools' and the guides' in 全部工具.
  menu="Start Menu/Programs/OrvoMedSuite"
  where="$menu"
  while IFS=$'\t' read -r exe title summary; do
    # A sign a file name cannot hold shows in its full-width form.
    name=$(printf '%s' "$title" | sed -e 's|/|／|g' -e 's|\\|＼|g' -e 's|:|：|g' -e 's|\*|＊|g' -e 's|?|？|g' \
                                      -e 's|"|＂|g' -e 's|<|＜|g' -e 's|>|＞|g' -e 's/|/｜/g' -e "s|'|＇|g")
    find "$WINEPREFIX/drive_c" -path "*/$where/$name.lnk" | grep -q . ||
      fail "$arch: no Start-menu shortcut $where/$name for $exe"
    [ "$where" = "$menu" ] && launcher=$name
    where="$menu/全部工具"
  done < <(cat "build/release/suite/$arch/msi-programs.txt"; printf 'guides\t使用说明\t\n')
  # Wine gives the per-machine desktop as the user's own.
  desktop() { (cd "$WINEPREFIX/drive_c/users" && find . -path '*/Desktop/*' -printf '%f '); }
  [ "$(desktop)" = "$launcher.lnk " ] || fail "$arch: the desktop holds [$(desktop)], not the launcher"
  [ "$(entries)" = "$base" ] || fail "$arch: after installing, Programs and Features shows [$(entries)]"

  [ "$(msiexec /i "$old")" = 0 ] || fail "$arch: reinstalling $base failed"
  [ "$(entries)" = "$base" ] || fail "$arch: after reinstalling, Programs and Features shows [$(entries)]"

  # IT's choice of no desktop shortcut: the upgrade takes the old one away and puts none.
  [ "$(msiexec /i "$new" DESKTOPSHORTCUT=0)" = 0 ] || fail "$arch: upgrading to $raised failed"
  [ "$(entries)" = "$raised" ] || fail "$arch: after upgrading, Programs and Features shows [$(entries)]"
  [ -z "$(desktop)" ] || fail "$arch: DESKTOPSHORTCUT=0 left [$(desktop)] on the desktop"
  installed_as "$stages-$raised-$arch"
  selftests

  # Windows' 1603, the failed installation, as a Linux exit status holds it.
  code=$(msiexec /i "$old")
  [ "$code" = $((1603 % 256)) ] || fail "$arch: installing $base over $raised gave $code, not 1603"
  [ "$(entries)" = "$raised" ] || fail "$arch: after the downgrade, Programs and Features shows [$(entries)]"
  installed_as "$stages-$raised-$arch"

  [ "$(msiexec /x "$new")" = 0 ] || fail "$arch: removing $raised failed"
  [ -z "$(entries)" ] || fail "$arch: after removal, Programs and Features shows [$(entries)]"
  [ ! -e "$folder" ] || fail "$arch: $folder is left after removal"
  if find "$WINEPREFIX/drive_c" -path '*/Start Menu/Programs/OrvoMedSuite*' | grep -q .; then
    fail "$arch: Start-menu entries are left after removal"
  fi
  cmp -s "$records/T009.csv" "$work/records-$arch.csv" || fail "$arch: the record file changed"
  [ "$(ls -A "$records")" = T009.csv ] || fail "$arch: the records folder changed"
  [ "$failures" -eq 0 ] || return 1
  echo "$arch: installed, self-tested, reinstalled, upgraded, refused the downgrade, removed"
}

# Both at once, each in its own prefix.
install_flow win64 >"$work/win64.log" 2>&1 &
win64=$!
install_flow win32 >"$work/win32.log" 2>&1 &
win32=$!
wait $win64 || failures=$((failures + 1))
wait $win32 || failures=$((failures + 1))
cat "$work/win64.log" "$work/win32.log"
[ "$failures" -eq 0 ] || { echo "$failures failures" >&2; exit 1; }
echo "both packages passed"
