#!/usr/bin/env bash
# Installs the Debian packages that the builds, the tests and the run command
# need. Does nothing when they are all present, so every command can call it.
set -euo pipefail

packages=(
  cmake ninja-build g++ googletest libbenchmark-dev python3
  clang-14 libclang-rt-14-dev                      # fuzzing with the sanitizers
  g++-mingw-w64-x86-64-posix mingw-w64-tools binutils-mingw-w64-x86-64
  g++-mingw-w64-i686-posix binutils-mingw-w64-i686 # the 32-bit Windows build
  wine wine64 wine32:i386                          # running both Windows builds
  xvfb xauth x11-apps xdotool imagemagick          # a display for windows, screenshots
  fonts-noto-cjk                                   # Chinese text under Wine
  time valgrind                                    # peak memory in scripts/measure.sh, instruction counts
  wixl msitools faketime                           # the installer packages
  osslsigncode openssl                             # signing them, and the signing test
  cups printer-driver-cups-pdf poppler-utils       # a real printer for the print test, its PDFs read back
  fonts-wqy-microhei                               # a TrueType Chinese face that prints under Wine
  unicode-data                                     # the pinyin of the titles, for the launcher's search
  libreoffice-calc-nogui                           # the record file read back as a spreadsheet reads it
  postgresql unixodbc unixodbc-dev odbc-postgresql # a real database server for the delivery tests, reached through ODBC
  dpkg-dev zlib1g-dev libz-mingw-w64-dev           # libxlsxwriter built from Debian's source package, below
  python3-openpyxl                                 # workbooks read back by the tests
)

# wine32 comes from the i386 architecture, which a fresh machine lacks.
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  need_i386=1
else
  need_i386=0
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
sudo=()
[ "$(id -u)" -ne 0 ] && sudo=(sudo)
export DEBIAN_FRONTEND=noninteractive
if [ ${#missing[@]} -gt 0 ] || [ "$need_i386" = 1 ]; then
  echo "bootstrap: installing ${missing[*]}" >&2
  [ "$need_i386" = 1 ] && "${sudo[@]}" dpkg --add-architecture i386
  # A mirror caught mid-sync fails the update for a minute or so: wait it
  # out, then try the install with the lists that did come (it fails itself
  # if a package is not in them).
  for attempt in 1 2 3 4 5; do
    "${sudo[@]}" apt-get update -q && break
    echo "bootstrap: the package lists did not all update; trying again in 30 s" >&2
    [ "$attempt" = 5 ] || sleep 30
  done
  "${sudo[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

# libxlsxwriter, which Debian builds for Linux only: its source package, at
# this exact version, for the build to compile for every target
# (cmake/xlsxwriter.cmake). apt checks the files against the signed archive's
# index, dpkg-source against the .dsc's checksums as it extracts them (its
# "Can't check signature" only says no developers' keyring is installed: the
# archive's index vouches for the .dsc). The folder lies under build/, which
# git ignores. Once extracted, nothing is done.
xlsxwriter_version=1.1.4-2
xlsxwriter_dir=$(cd "$(dirname "$0")/.." && pwd)/build/debian-source
if [ "$(cat "$xlsxwriter_dir/libxlsxwriter.version" 2>/dev/null)" != "$xlsxwriter_version" ] ||
   [ ! -f "$xlsxwriter_dir/libxlsxwriter/CMakeLists.txt" ]; then
  echo "bootstrap: fetching Debian's source package libxlsxwriter $xlsxwriter_version" >&2
  # `apt-get source` needs a deb-src entry for bookworm main beside the deb
  # one; a machine's own is kept, else one on the mirror its deb entry uses.
  targets=$(apt-get indextargets --no-release-info --format '$(TARGET_OF) $(RELEASE) $(COMPONENT) $(SITE)')
  if ! echo "$targets" | grep -x 'deb-src bookworm main .*' >/dev/null; then
    site=$(echo "$targets" | sed -n 's/^deb bookworm main //p' | head -n 1)
    printf 'Types: deb-src\nURIs: %s\nSuites: bookworm\nComponents: main\nSigned-By: %s\n' \
      "${site:-http://deb.debian.org/debian}" /usr/share/keyrings/debian-archive-keyring.gpg |
      "${sudo[@]}" tee /etc/apt/sources.list.d/glyvant-debian-src.sources >/dev/null
  fi
  mkdir -p "$xlsxwriter_dir/download"
  (
    cd "$xlsxwriter_dir/download"
    # A new entry's index is not on the machine until the lists are updated.
    if ! apt-get source -q --print-uris "libxlsxwriter=$xlsxwriter_version" >/dev/null 2>&1; then
      for attempt in 1 2 3 4 5; do
        "${sudo[@]}" apt-get update -q && break
        echo "bootstrap: the package lists did not all update; trying again in 30 s" >&2
        [ "$attempt" = 5 ] || sleep 30
      done
    fi
    apt-get source -q --download-only "libxlsxwriter=$xlsxwriter_version"
    rm -rf ../libxlsxwriter ../libxlsxwriter.part ../libxlsxwriter.version
    dpkg-source -q -x --no-copy "libxlsxwriter_$xlsxwriter_version.dsc" ../libxlsxwriter.part
    mv ../libxlsxwriter.part ../libxlsxwriter
    echo "$xlsxwriter_version" >../libxlsxwriter.version
  )
fi

# Some machines (virtual machines among them) run no 32-bit code at all:
# there 32-bit Wine runs under qemu-user, which the kernel starts for every
# 32-bit program, with a small library that spares Wine a minute's start
# (scripts/wine32/reserve_shim.c; scripts/common.sh hands it to qemu).
/lib/ld-linux.so.2 --version >/dev/null 2>&1 && exit 0
shim=/usr/local/lib/glyvant-wine32
source=$(dirname "$0")/wine32/reserve_shim.c
if [ ! -x /usr/bin/qemu-i386-static ] || [ "$source" -nt "$shim/lib/i386-linux-gnu/libreserve_shim.so" ]; then
  echo "bootstrap: 32-bit programs do not run here; setting up qemu-user for 32-bit Wine" >&2
  "${sudo[@]}" apt-get install -y -q --no-install-recommends qemu-user-static gcc-multilib
  "${sudo[@]}" mkdir -p "$shim/lib/i386-linux-gnu" "$shim/lib/x86_64-linux-gnu"
  "${sudo[@]}" gcc -m32 -shared -fPIC -O2 "$source" \
               -o "$shim/lib/i386-linux-gnu/libreserve_shim.so"
  # A 64-bit twin that does nothing: 64-bit programs started from 32-bit Wine
  # inherit the preload, and find a library of their own there.
  echo 'void reserve_shim_absent(void) {}' |
    "${sudo[@]}" gcc -x c -shared -fPIC - -o "$shim/lib/x86_64-linux-gnu/libreserve_shim.so"
fi
binfmt=/proc/sys/fs/binfmt_misc
[ -f "$binfmt/register" ] || "${sudo[@]}" mount -t binfmt_misc binfmt_misc "$binfmt"
if [ ! -f "$binfmt/qemu-i386" ]; then
  # Debian registers no i386 format on amd64, where the kernel runs it itself.
  # The magic and mask of an i386 ELF executable or shared object; F opens
  # the emulator now, so it works inside any later mount namespace.
  printf '%s' ':qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:/usr/bin/qemu-i386-static:F' |
    "${sudo[@]}" tee "$binfmt/register" >/dev/null
fi
/lib/ld-linux.so.2 --version >/dev/null 2>&1 || { echo "bootstrap: 32-bit programs still do not run" >&2; exit 1; }

