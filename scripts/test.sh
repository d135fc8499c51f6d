#!/usr/bin/env bash
# The project's test command: bootstrap, build both architectures, run the native fuzz harnesses
# for a bounded time and the whole suite under Wine on a private display. Everything it starts
# it stops again, also when a test fails or hangs.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
export BUILD_DIR=${BUILD_DIR:-$ROOT/build}

"$ROOT/scripts/build.sh"

status=0

echo "== native tests (packer, fuzz harnesses)"
ctest --test-dir "$BUILD_DIR/native" --output-on-failure --timeout 300 || status=1

. "$ROOT/scripts/lib/wine-env.sh"
trap 'wine_env_stop' EXIT
trap 'exit 130' INT TERM

echo "== Windows tests (x86_64 build under Wine)"
wine_env_start "$BUILD_DIR/wineprefix" "$BUILD_DIR/x86_64/tests/support/keeper.exe"
ctest --test-dir "$BUILD_DIR/x86_64" --output-on-failure --timeout 600 ${CTEST_ARGS:-} || status=1
wine_env_stop

if [ -x "$ROOT/scripts/test32.sh" ]; then
  echo "== 32-bit set (i686 build through Wine's 32-bit loader)"
  "$ROOT/scripts/test32.sh" || status=1
fi

[ $status -eq 0 ] && echo "ALL TESTS PASSED" || echo "SOME TESTS FAILED"
exit $status
