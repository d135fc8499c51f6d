#!/usr/bin/env bash
# Runs the tests of the i686 tree labelled wine32 (the shipped architecture) through Wine's 32-bit
# loader under qemu, in a prefix of their own that also runs i686 programs. scripts/test.sh calls
# it after building; CTEST_ARGS (e.g. "-R name") selects here too. SKIP_WINE32=1 skips it, loudly.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD_DIR=${BUILD_DIR:-$ROOT/build}
TREE=$BUILD_DIR/i686

if [ "${SKIP_WINE32:-0}" = 1 ]; then
  echo "test32: *** SKIPPED: the 32-bit set did not run (SKIP_WINE32=1) ***" >&2
  exit 0
fi
[ -f "$TREE/CTestTestfile.cmake" ] || { echo "test32: no i686 build in $TREE (run scripts/build.sh)" >&2; exit 1; }

# Booting the prefix's emulated half takes half a minute: not for a selection without 32-bit tests.
# shellcheck disable=SC2086
selected=$(ctest --test-dir "$TREE" -N -L wine32 ${CTEST_ARGS:-} | sed -n 's/^Total Tests: //p')
if [ "${selected:-0}" -eq 0 ]; then
  echo "test32: no 32-bit tests selected"
  exit 0
fi

. "$ROOT/scripts/lib/wine-env.sh"
if ! wine_env_has_wine32; then
  echo "test32: this machine cannot run i686 programs (wine32:i386 and qemu-i386 in binfmt_misc are" \
       "needed): run scripts/bootstrap.sh, or set SKIP_WINE32=1 to go without the 32-bit set" >&2
  exit 1
fi

trap 'wine_env_stop' EXIT
trap 'exit 130' INT TERM

# The keeper is the native x86_64 one: it only has to hold Wine's desktop process open.
keeper=$BUILD_DIR/x86_64/tests/support/keeper.exe
[ -f "$keeper" ] || keeper=$TREE/tests/support/keeper.exe
wine_env_start_wow64 "$BUILD_DIR/wineprefix32" "$keeper"

status=0
# shellcheck disable=SC2086
ctest --test-dir "$TREE" -L wine32 --output-on-failure --timeout 2400 ${CTEST_ARGS:-} || status=1
exit $status
