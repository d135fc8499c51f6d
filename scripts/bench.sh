#!/usr/bin/env bash
# Runs the benchmarks of the x86_64 build under Wine and prints their figures. Not a test: build
# first (scripts/build.sh). Arguments go to every benchmark (archive_bench: number of rounds).
set -euo pipefail
shopt -s nullglob
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD_DIR=${BUILD_DIR:-$ROOT/build}

. "$ROOT/scripts/lib/wine-env.sh"
trap 'wine_env_stop' EXIT
trap 'exit 130' INT TERM
wine_env_start "$BUILD_DIR/wineprefix-bench" "$BUILD_DIR/x86_64/tests/support/keeper.exe"
for exe in "$BUILD_DIR"/x86_64/bench/*.exe; do
  echo "== $(basename "$exe")"
  "$ROOT/scripts/wine-exec.sh" "$exe" "$@"
done
