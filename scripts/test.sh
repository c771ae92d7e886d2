#!/usr/bin/env bash
# Checks every descriptor in suite/, builds the native, sanitizer, 64-bit and
# 32-bit Windows builds with warnings as errors, and runs every test:
# natively, under the sanitizers, and under Wine on a virtual X display (the
# window tests need one; they run in the 64-bit build only); and installs,
# upgrades and removes the suite's installer packages under Wine
# (tests/release/msi_install_test.sh). Ends with one ctest summary over all.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/common.sh

if [ -z "${GLYVANT_VIRTUAL_DISPLAY:-}" ]; then
  scripts/bootstrap.sh
  # Every descriptor of the suite, checked as a suite author would.
  scripts/check-tool.sh suite/*.cpp
  for preset in native native-asan windows windows-x86; do build_preset "$preset"; done
fi
on_virtual_display 1280x1024x24 "$0" "$@"

# One wineserver and one set of Wine's background services for the whole
# run (a service started by a test would hold ctest's pipe open).
# The tests' prefixes: one per virtual desktop size, one per Windows build.
wine_session "$PWD/build/windows/wineprefix-1280x1024" "$PWD/build/windows/wineprefix-1280x680" \
             "$PWD/build/windows/wineprefix-800x600" "$PWD/build/windows-x86/wineprefix-1280x1024"

mkdir -p build/all
cat > build/all/CTestTestfile.cmake <<CTEST
# Every test of the four builds in one run, and the installer packages' test,
# which makes two releases in the release's own folders and so belongs to no
# build. That one runs alone: once, with it beside them, a Wine self-test
# exited 1 without a word, which it never did alone.
subdirs("../native" "../native-asan" "../windows" "../windows-x86")
add_test(release_msi_install "bash" "$PWD/tests/release/msi_install_test.sh")
set_tests_properties(release_msi_install PROPERTIES TIMEOUT 1800 RUN_SERIAL ON)
# The hazard log cites tests by these names, and the window tests' cases by
# theirs: each must be one of them.
add_test(hazard_log_names_tests "bash" "$PWD/tests/hazard_log_check.sh" "$PWD/docs/hazards.md" "$PWD/build/all"
         $(printf '"%s" ' "$PWD"/build/windows/tests/glyvant_{window,list_window,report_window,launcher}_tests.exe))
CTEST
ctest --test-dir build/all --output-on-failure -j2
