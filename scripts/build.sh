#!/usr/bin/env bash
# Builds everything: the native helpers, the staged payload, the i686 product and the x86_64 test build.
# BUILD_DIR (default: build/ in the checkout) holds all of it.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD_DIR=${BUILD_DIR:-$ROOT/build}
JOBS=${JOBS:-$(nproc)}

[ "${SKIP_BOOTSTRAP:-0}" = 1 ] || "$ROOT/scripts/bootstrap.sh"

cmake -S "$ROOT/cmake/native" -B "$BUILD_DIR/native" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$BUILD_DIR/native" -j "$JOBS"

STAGE_DIR="$BUILD_DIR/stage"
if [ -x "$ROOT/scripts/stage-payload.sh" ]; then
  "$ROOT/scripts/stage-payload.sh" "$STAGE_DIR"
fi

for arch in i686 x86_64; do
  cmake -S "$ROOT" -B "$BUILD_DIR/$arch" \
    -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/toolchain-$arch.cmake" \
    -DNATIVE_TOOLS_DIR="$BUILD_DIR/native/tools" \
    -DPAYLOAD_STAGE_DIR="$STAGE_DIR" >/dev/null
  cmake --build "$BUILD_DIR/$arch" -j "$JOBS"
done
