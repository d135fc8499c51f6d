#!/usr/bin/env bash
# Runs the benchmarks under Wine and prints their figures. Not a test: build first
# (scripts/build.sh). The x86_64 build runs natively; the shipped i686 exe's start-up and install
# figures follow under emulation when this machine runs 32-bit Windows programs. Arguments go to
# every benchmark (the number of rounds).
set -euo pipefail
shopt -s nullglob
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD_DIR=${BUILD_DIR:-$ROOT/build}

. "$ROOT/scripts/lib/wine-env.sh"
trap 'wine_env_stop' EXIT
trap 'exit 130' INT TERM
keeper=$BUILD_DIR/x86_64/tests/support/keeper.exe
wine_env_start "$BUILD_DIR/wineprefix-bench" "$keeper"
# Only the benchmark programs: the folder also holds the programs they start (the setup, the
# stand-in host and the one-window baseline).
for exe in "$BUILD_DIR"/x86_64/bench/*_bench.exe; do
  echo "== $(basename "$exe") (x86_64)"
  "$ROOT/scripts/wine-exec.sh" "$exe" "$@"
done
wine_env_stop

bench32=$BUILD_DIR/i686/bench/wizard_bench.exe
if wine_env_has_wine32 && [ -f "$bench32" ]; then
  echo "== wizard_bench.exe (i686, the shipped exe, under qemu emulation)"
  wine_env_start_wow64 "$BUILD_DIR/wineprefix-bench32" "$keeper"
  "$ROOT/scripts/wine-exec.sh" "$bench32" "$@"
else
  echo "== the 32-bit figures: not measured (no 32-bit Wine here, or $bench32 not built)"
fi
