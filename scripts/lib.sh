# Shared by scripts/test, scripts/demo and scripts/bench: install, build, a private X
# display and a fresh Wine prefix, and the clean-up of exactly what was started here.
# shellcheck shell=bash

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
# Another build folder (a second work tree, say) can be named in GLMBX_BUILD_DIR; the 64-bit
# edition builds into GLMBX_BUILD64_DIR.
BUILD="${GLMBX_BUILD_DIR:-$ROOT/build}"
BUILD64="${GLMBX_BUILD64_DIR:-$ROOT/build64}"
GLMBX_STARTED_XVFB=""
GLMBX_XVFB_FD_FILE=""

glmbx_install() {
  bash "$ROOT/scripts/install"
}

# Builds a tree: $1 the folder (default $BUILD), $2 the preset (default mingw-i686), further
# arguments go to the first configuration.
glmbx_build() {
  local build="${1:-$BUILD}" preset="${2:-mingw-i686}"
  shift $(( $# < 2 ? $# : 2 ))
  if [ ! -f "$build/CMakeCache.txt" ]; then
    mkdir -p "$build"
    (cd "$ROOT" && cmake --preset "$preset" -B "$build" "$@") >"$build/configure.log" 2>&1 || { cat "$build/configure.log"; return 1; }
  fi
  cmake --build "$build" -- -k 0 >"$build/build.log" 2>&1 || { tail -60 "$build/build.log"; return 1; }
  if grep -q 'warning:' "$build/build.log"; then
    grep 'warning:' "$build/build.log" | head -20
  fi
}

# The 64-bit edition (its tests and the installer), after the 32-bit one in $BUILD.
glmbx_build64() {
  glmbx_build "$BUILD64" mingw-x86_64 -DGLMBX_OTHER_EDITION_DIR="$BUILD/bin"
}

# A private Xvfb on a display it chooses itself; with $1 = reuse, an existing DISPLAY is kept.
glmbx_start_xvfb() {
  if [ "${1:-}" = reuse ] && [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
    return 0
  fi
  GLMBX_XVFB_FD_FILE="$(mktemp)"
  # The display number arrives on fd 3; Xvfb keeps the pipe it writes to open.
  Xvfb -displayfd 3 -screen 0 1024x768x24 -noreset -nolisten tcp 3>"$GLMBX_XVFB_FD_FILE" \
    >"$BUILD/xvfb.log" 2>&1 &
  GLMBX_STARTED_XVFB=$!
  local i
  for i in $(seq 1 100); do
    if [ -s "$GLMBX_XVFB_FD_FILE" ]; then break; fi
    kill -0 "$GLMBX_STARTED_XVFB" 2>/dev/null || { cat "$BUILD/xvfb.log"; return 1; }
    sleep 0.1
  done
  export DISPLAY=":$(head -n1 "$GLMBX_XVFB_FD_FILE" | tr -d '[:space:]')"
  for i in $(seq 1 100); do
    xdpyinfo >/dev/null 2>&1 && return 0
    sleep 0.1
  done
  echo "Xvfb did not come up" >&2
  return 1
}

# A new Wine prefix (named by $1) inside a build tree ($3, default $BUILD), of the architecture
# $2 (win32 by default; win64 runs both editions); Mono and Gecko are never offered.
glmbx_fresh_prefix() {
  export WINEPREFIX="${3:-$BUILD}/${1:-wineprefix}"
  export WINEARCH="${2:-win32}"
  export WINEDLLOVERRIDES="mscoree,mshtml="
  export WINEDEBUG=-all
  local log="${3:-$BUILD}/wineboot.log"
  if [ -d "$WINEPREFIX" ]; then
    wineserver -k >/dev/null 2>&1 || true
    rm -rf "$WINEPREFIX"
  fi
  wineboot -i >"$log" 2>&1 </dev/null
  # wineboot links the Desktop folder to the home folder; the stand-in shell fills and cleans
  # the Desktop folder, so it must be a real folder inside the prefix.
  local desktop
  for desktop in "$WINEPREFIX"/drive_c/users/*/Desktop; do
    if [ -L "$desktop" ]; then
      rm -f "$desktop" && mkdir -p "$desktop"
    fi
  done
  # A crashing test program must fail at once, not wait for a debugger or a crash dialog.
  wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >>"$log" 2>&1 </dev/null
  wine reg delete 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Debugger /f >>"$log" 2>&1 </dev/null || true
  # A 64-bit prefix keeps the 32-bit programs' debugger in the registry's 32-bit view.
  if [ "$WINEARCH" = win64 ]; then
    wine reg delete 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Debugger /f /reg:32 >>"$log" 2>&1 </dev/null || true
  fi
  # Without a window manager, "managed" windows cost about 2 s at every unmap.
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >>"$log" 2>&1 </dev/null
  wineserver -w
  # One server for the whole run: without it every test program pays Wine's start-up.
  wineserver -p
  wine cmd /c exit >/dev/null 2>&1 </dev/null || true
}

glmbx_cleanup() {
  if [ -n "${WINEPREFIX:-}" ] && [ -d "$WINEPREFIX" ]; then
    wineserver -k >/dev/null 2>&1 || true
  fi
  if [ -n "$GLMBX_STARTED_XVFB" ]; then
    kill "$GLMBX_STARTED_XVFB" 2>/dev/null || true
    wait "$GLMBX_STARTED_XVFB" 2>/dev/null || true
  fi
  [ -n "$GLMBX_XVFB_FD_FILE" ] && rm -f "$GLMBX_XVFB_FD_FILE"
  return 0
}
