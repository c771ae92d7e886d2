# Sourced by the scripts (from the repository's top folder) for what they
# share: the virtual display, the Wine environment and the Wine session.
# Plain sh (with `local`, which dash has too), since the build's wine-run.sh
# sources it as well.

# on_virtual_display SCREEN "$0" "$@": runs the calling script again on a
# virtual X display of SCREEN (WxHxDEPTH), unless it runs on one already.
on_virtual_display() {
  local screen=$1
  shift
  [ -n "${GLYVANT_VIRTUAL_DISPLAY:-}" ] && return 0
  exec env GLYVANT_VIRTUAL_DISPLAY=1 xvfb-run -a -s "-screen 0 $screen" "$@"
}

# wine_environment PREFIX: Wine in the given prefix (never the user's
# ~/.wine), quiet, without the Mono and Gecko prompts the programs do not
# need, and without the menu builder, which would copy the shortcuts of an
# installed package into the Linux user's desktop menus.
wine_environment() {
  WINEPREFIX=$1
  WINEDEBUG=-all
  WINEDLLOVERRIDES='mscoree,mshtml,winemenubuilder.exe='
  export WINEPREFIX WINEDEBUG WINEDLLOVERRIDES
  # Where 32-bit Wine runs under qemu-user (scripts/bootstrap.sh), qemu
  # preloads the library that spares it a minute's start; only qemu reads
  # this, so nothing else gets the preload.
  if [ -f /usr/local/lib/glyvant-wine32/lib/i386-linux-gnu/libreserve_shim.so ]; then
    QEMU_SET_ENV='LD_PRELOAD=/usr/local/lib/glyvant-wine32/$LIB/libreserve_shim.so'
    export QEMU_SET_ENV
  fi
}

# wine_session PREFIX...: readies the prefixes and starts, in each, one
# wineserver and Wine's background services for the whole script, with their
# output detached (a service started by the first program would otherwise
# inherit its output and hold a caller's pipe open, ctest's for one). All of
# it stops when the script exits. Wine runs in the first prefix afterwards.
wine_session() {
  local prefix
  for prefix in "$@"; do
    wine_environment "$prefix"
    scripts/wine-prefix.sh "$WINEPREFIX"
    wineserver -p </dev/null >/dev/null 2>&1
    wine cmd /c exit </dev/null >/dev/null 2>&1 || true
  done
  GLYVANT_WINE_SESSIONS="$*"
  trap 'for p in $GLYVANT_WINE_SESSIONS; do WINEPREFIX=$p wineserver -k 2>/dev/null || true; WINEPREFIX=$p wineserver -w 2>/dev/null || true; done' EXIT
  wine_environment "$1"
}

# build_preset PRESET [TARGET...]: configures the preset's build folder
# (quietly, warnings as errors) and builds the targets, or everything.
build_preset() {
  local preset=$1
  shift
  cmake --preset "$preset" -DGLYVANT_WERROR=ON >/dev/null
  if [ $# -gt 0 ]; then
    cmake --build --preset "$preset" --target "$@"
  else
    cmake --build --preset "$preset"
  fi
}

# build_tool PRESET DIR DESCRIPTOR TARGET [CMAKE ARGUMENTS...]: builds TARGET
# for one tool of the suite in its own folder, without tests or benchmarks;
# the compiler's output is shown only when the build fails.
build_tool() {
  local preset=$1 dir=$2 descriptor=$3 target=$4
  shift 4
  cmake --preset "$preset" -B "$dir" -DGLYVANT_TOOL_SOURCE="$descriptor" -DGLYVANT_TESTS=OFF \
        -DGLYVANT_BENCH=OFF -DGLYVANT_WERROR=ON "$@" >/dev/null
  mkdir -p "$dir"
  cmake --build "$dir" --target "$target" >"$dir/build.log" 2>&1 || { cat "$dir/build.log"; return 1; }
}
