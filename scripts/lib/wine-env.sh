# Sourced by the scripts that run Windows programs. Starts a private Xvfb display, a fresh Wine
# prefix, a persistent wineserver and a keeper window; wine_env_stop ends all of them.
# Call wine_env_start <prefix-dir> [keeper.exe]; set a trap that calls wine_env_stop.

WINE64=/usr/lib/wine/wine64
WINESERVER64=/usr/lib/wine/wineserver64
[ -x "$WINE64" ] || WINE64=$(command -v wine64 || true)
[ -x "$WINESERVER64" ] || WINESERVER64=$(command -v wineserver || true)
export WINE64 WINESERVER64

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

wine_env_start() {
  local prefix=$1 keeper=${2:-}
  export WINEPREFIX=$prefix
  export WINEDEBUG=-all
  export WINEDLLOVERRIDES="mscoree,mshtml="
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
  "$WINE64" wineboot -i >/dev/null 2>&1
  # Without a window manager Wine waits about 2 s in DestroyWindow for every shown window.
  "$WINE64" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
  if [ -n "$keeper" ] && [ -f "$keeper" ]; then
    "$WINE64" "$keeper" >/dev/null 2>&1 &
    WINE_ENV_KEEPER_PID=$!
  fi
}

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
