# Sourced by the scripts that run Windows programs. Starts a private Xvfb display, a fresh Wine
# prefix, a persistent wineserver and a keeper window; wine_env_stop ends all of them.
#   wine_env_start <prefix-dir> [keeper.exe]        64-bit prefix for the x86_64 suite
#   wine_env_start_wow64 <prefix-dir> [keeper.exe]  64-bit prefix that also runs i686 programs
# Set a trap that calls wine_env_stop.

WINE64=/usr/lib/wine/wine64
WINESERVER64=/usr/lib/wine/wineserver64
[ -x "$WINE64" ] || WINE64=$(command -v wine64 || true)
[ -x "$WINESERVER64" ] || WINESERVER64=$(command -v wineserver || true)
# The 32-bit loader (wine32:i386, run through qemu-i386). One 64-bit wineserver serves 32-bit and
# 64-bit clients of a 64-bit prefix alike, and runs natively.
WINE32=/usr/lib/wine/wine
export WINE64 WINESERVER64 WINE32

WINE_ENV_XVFB_PID=""
WINE_ENV_KEEPER_PID=""

wine_env_free_display() {
  local n
  for n in $(seq 91 160); do
    if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then
      echo "$n"; return 0
    fi
  done
  return 1
}

# True when this machine runs i386 Linux programs (wine32 and qemu-i386 registered with binfmt_misc).
wine_env_has_wine32() {
  [ -x "$WINE32" ] && [ -e /proc/sys/fs/binfmt_misc/qemu-i386 ] &&
    grep -qx enabled /proc/sys/fs/binfmt_misc/qemu-i386 && "$WINE32" --version >/dev/null 2>&1
}

# When the 32-bit loader is installed, wineboot of a 64-bit prefix also sets up the prefix's 32-bit
# half, emulated by qemu: about 30 s more. A prefix for 64-bit programs only is booted with the
# 32-bit loader hidden in a private mount namespace, which gives the same prefix as on a machine
# without it. Without the privilege for that the boot is merely slower.
wine_env_boot() {
  local with32=$1
  if [ "$with32" = 1 ] || [ ! -e "$WINE32" ]; then
    "$WINE64" wineboot -i >/dev/null 2>&1
  elif unshare --mount --propagation private true 2>/dev/null; then
    unshare --mount --propagation private sh -c 'mount --bind /dev/null "$1" && shift && exec "$@"' \
      sh "$WINE32" "$WINE64" wineboot -i >/dev/null 2>&1
  else
    echo "wine-env: cannot hide the 32-bit loader (no mount namespace); 64-bit prefix boots slowly" >&2
    "$WINE64" wineboot -i >/dev/null 2>&1
  fi
}

wine_env_start_prefix() {
  local prefix=$1 keeper=$2 with32=$3
  export WINEPREFIX=$prefix
  export WINEDEBUG=-all
  # No debugger on a crash: its dialog waits until the test's time limit, and even without the
  # dialog a program it ended sometimes exits with code 0 (2 in 10 runs, measured), a crash that
  # would pass as success. Without it the program ends at once with the exception's code.
  export WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d"
  export WINEARCH=win64

  local n
  n=$(wine_env_free_display) || { echo "no free X display" >&2; return 1; }
  Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
  WINE_ENV_XVFB_PID=$!
  export DISPLAY=":$n"
  local i
  for i in $(seq 1 100); do
    xdpyinfo >/dev/null 2>&1 && break
    sleep 0.1
  done
  xdpyinfo >/dev/null 2>&1 || { echo "Xvfb did not start on $DISPLAY" >&2; return 1; }

  rm -rf "$prefix"
  mkdir -p "$prefix"
  "$WINESERVER64" -p
  wine_env_boot "$with32"
  if [ "$with32" = 1 ] && [ ! -d "$prefix/drive_c/windows/syswow64" ]; then
    echo "wine-env: the prefix has no 32-bit half (syswow64 missing)" >&2
    return 1
  fi
  # Without a window manager Wine waits about 2 s in DestroyWindow for every shown window.
  "$WINE64" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
  if [ -n "$keeper" ] && [ -f "$keeper" ]; then
    "$WINE64" "$keeper" >/dev/null 2>&1 &
    WINE_ENV_KEEPER_PID=$!
  fi
}

wine_env_start() { wine_env_start_prefix "$1" "${2:-}" 0; }
wine_env_start_wow64() { wine_env_start_prefix "$1" "${2:-}" 1; }

wine_env_stop() {
  if [ -n "${WINEPREFIX:-}" ] && [ -n "$WINESERVER64" ]; then
    "$WINESERVER64" -k >/dev/null 2>&1 || true
    "$WINESERVER64" -w >/dev/null 2>&1 || true
  fi
  [ -n "$WINE_ENV_KEEPER_PID" ] && { kill "$WINE_ENV_KEEPER_PID" 2>/dev/null || true; wait "$WINE_ENV_KEEPER_PID" 2>/dev/null || true; }
  if [ -n "$WINE_ENV_XVFB_PID" ]; then
    kill "$WINE_ENV_XVFB_PID" 2>/dev/null || true
    wait "$WINE_ENV_XVFB_PID" 2>/dev/null || true
  fi
  WINE_ENV_XVFB_PID=""; WINE_ENV_KEEPER_PID=""
}
