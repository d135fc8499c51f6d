#!/usr/bin/env bash
# Runs one Windows program under the Wine loader that matches its architecture.
# The environment (WINEPREFIX, DISPLAY, ...) comes from the caller (scripts/test.sh).
set -euo pipefail
exe=$1; shift
machine=$(od -An -tx2 -j $(( $(od -An -tu4 -j60 -N4 "$exe") + 4 )) -N2 "$exe" | tr -d ' ')
case "$machine" in
  8664) loader=${WINE64:-/usr/lib/wine/wine64} ;;
  014c) loader=${WINE32:-/usr/lib/wine/wine} ;;
  *) echo "wine-exec: unknown machine type $machine in $exe" >&2; exit 2 ;;
esac
exec "$loader" "$exe" "$@"
