#!/usr/bin/env bash
# The first command: bootstraps, builds, prepares a demo Wine prefix in the build tree with the
# stand-in host "cwp.exe" in C:\Program Files\Corvella, and starts the setup there.
#   With DISPLAY set, the wizard opens on that display and the person runs it.
#   Without one, a private virtual display is used and the driver walks the wizard through every
#   page to Finish, saving a PNG of each page it reaches.
# Afterwards it prints the installed files, the update log and the stand-in host's spell check of
# a few words on what was installed. It runs the shipped 32-bit exe when this machine can run
# 32-bit Windows programs (Wine's 32-bit loader under qemu), else its x86_64 twin, and says which.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
export BUILD_DIR=${BUILD_DIR:-$ROOT/build}
EXE_NAME=CorvellaNynorskSpellcheckerSetup.exe

"$ROOT/scripts/build.sh"

. "$ROOT/scripts/lib/wine-env.sh"

if wine_env_has_wine32 && [ "${RUN_X86_64:-0}" != 1 ]; then
  ARCH=i686
  WHY="the shipped 32-bit exe: this machine runs 32-bit Windows programs (Wine's 32-bit loader under qemu-i386)"
else
  ARCH=x86_64
  WHY="the x86_64 twin of the product: this machine cannot run 32-bit Windows programs (no wine32 with qemu-i386; see scripts/bootstrap.sh)"
  [ "${RUN_X86_64:-0}" = 1 ] && WHY="the x86_64 twin of the product (RUN_X86_64=1)"
fi
SETUP=$BUILD_DIR/$ARCH/shell/$EXE_NAME
HOST=$BUILD_DIR/$ARCH/tests/e2e/cwp.exe
DRIVER=$BUILD_DIR/x86_64/tests/e2e/e2e-driver.exe
DEMO=$BUILD_DIR/demo
SHOTS=$DEMO/shots
PREFIX=$DEMO/wineprefix
HOST_DIR='C:\Program Files\Corvella'
for f in "$SETUP" "$HOST" "$DRIVER"; do [ -f "$f" ] || { echo "run: $f is missing (build failed?)" >&2; exit 1; }; done

# Z: is the Linux root in every fresh prefix.
winpath() { printf 'Z:%s' "$1" | tr / '\\'; }

prepare_prefix() {
  mkdir -p "$PREFIX/drive_c/Program Files/Corvella"
  cp "$HOST" "$PREFIX/drive_c/Program Files/Corvella/cwp.exe"
}

report() {
  local data="$PREFIX/drive_c/ProgramData/Corvella"
  echo
  echo "== installed files"
  if [ -d "$data/Public" ]; then
    (cd "$data/Public" && find . -type f -printf '%TY-%Tm-%Td %TH:%TM %10s  %p\n' | sort -k4)
  else
    echo "(none: the install did not run)"
  fi
  echo
  echo "== update log ($data/Update.log)"
  if [ -f "$data/Update.log" ]; then tr -d '\r' <"$data/Update.log" | sed 's/\t/ <tab>/'; else echo "(none)"; fi
  echo
  echo "== the stand-in host's spell check on the installed files"
  local out="$DEMO/spell.txt"
  rm -f "$out"
  if "$ROOT/scripts/wine-exec.sh" "$PREFIX/drive_c/Program Files/Corvella/cwp.exe" --spell "$(winpath "$out")" \
      ordbok ordbk ikkje skule >/dev/null 2>&1 && [ -f "$out" ]; then
    tr -d '\r' <"$out"
  else
    echo "(the host found no usable language folder)"
  fi
}

mkdir -p "$DEMO"
echo "run: starting $SETUP"
echo "run: that is $WHY"

if [ -n "${DISPLAY:-}" ]; then
  # The person's own display: a prefix of our own, kept between runs, with its wineserver.
  export WINEPREFIX=$PREFIX WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINEARCH=win64
  if [ ! -f "$PREFIX/system.reg" ]; then
    mkdir -p "$PREFIX"
    wine_env_boot "$([ "$ARCH" = i686 ] && echo 1 || echo 0)"
  fi
  prepare_prefix
  status=0
  "$ROOT/scripts/wine-exec.sh" "$SETUP" "-d$HOST_DIR" || status=$?
  echo "run: the setup ended with exit code $status"
  report
  exit 0
fi

trap 'wine_env_stop' EXIT
trap 'exit 130' INT TERM
if [ "$ARCH" = i686 ]; then
  wine_env_start_wow64 "$PREFIX" "$BUILD_DIR/x86_64/tests/support/keeper.exe"
else
  wine_env_start "$PREFIX" "$BUILD_DIR/x86_64/tests/support/keeper.exe"
fi
prepare_prefix
rm -rf "$SHOTS"
mkdir -p "$SHOTS"
S=$(winpath "$SHOTS")
cat >"$DEMO/walk.txt" <<EOF
timeout 60000
start '$(winpath "$SETUP")' "-d$HOST_DIR"
window
text TopLbl "Welcome to the Corvella Norwegian (Nynorsk) Spellchecker"
shot '$S\\0-welcome.png'
click NextBtn
text TopLbl "License Agreement"
shot '$S\\1-licence.png'
click NextBtn
text TopLbl "Specify Home Folder"
text DestDirEdt '$HOST_DIR'
shot '$S\\2-home-folder.png'
click NextBtn
text TopLbl "Ready to Install"
shot '$S\\3-ready.png'
click NextBtn
text TopLbl "Installation Complete"
shot '$S\\5-finish.png'
click NextBtn
exit 0
EOF
echo "run: no DISPLAY: walking the wizard on a private display with the driver"
"$ROOT/scripts/wine-exec.sh" "$DRIVER" "$(winpath "$DEMO/walk.txt")"
echo
echo "== screenshots of the pages (the installing page passes too fast to catch)"
ls -1 "$SHOTS"/*.png
report
