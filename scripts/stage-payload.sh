#!/usr/bin/env bash
# Stages the third-party parts of the payload in <stage-dir> (inside the build tree, never
# committed): the Nynorsk dictionaries, hyphenation and thesaurus from Debian's packages, and
# hunspell's sources, from which the build makes hunspell.dll. Files that are already staged and
# unchanged are left alone, so a second run is quick and triggers no rebuild.
set -euo pipefail
STAGE=${1:?usage: stage-payload.sh <stage-dir>}
HUNSPELL_VERSION=1.7.1
mkdir -p "$STAGE"

log() { printf 'stage-payload: %s\n' "$*" >&2; }

stage_file() {  # <source> <package>
  local src=$1 pkg=$2 dst
  dst="$STAGE/$(basename "$src")"
  if [ ! -f "$src" ]; then
    log "$src is missing: install Debian's package $pkg (scripts/bootstrap.sh does)"
    exit 1
  fi
  cmp -s "$src" "$dst" 2>/dev/null || cp "$src" "$dst"
}

stage_file /usr/share/hunspell/nn_NO.dic hunspell-no
stage_file /usr/share/hunspell/nn_NO.aff hunspell-no
stage_file /usr/share/hyphen/hyph_nn_NO.dic hyphen-no
stage_file /usr/share/mythes/th_nb_NO_v2.dat mythes-no

SRC_DIR="$STAGE/hunspell-$HUNSPELL_VERSION"
if [ ! -f "$SRC_DIR/.staged" ]; then
  work="$STAGE/.hunspell-download"
  rm -rf "$work" "$SRC_DIR"
  mkdir -p "$work"
  if ! (cd "$work" && apt-get source -qq hunspell >apt.log 2>&1); then
    log "apt-get source hunspell failed (does a deb-src entry exist? scripts/bootstrap.sh adds one):"
    cat "$work/apt.log" >&2
    exit 1
  fi
  if [ ! -f "$work/hunspell-$HUNSPELL_VERSION/src/hunspell/hunspell.h" ]; then
    log "apt-get source hunspell did not give hunspell $HUNSPELL_VERSION:"
    ls "$work" >&2
    exit 1
  fi
  mv "$work/hunspell-$HUNSPELL_VERSION" "$SRC_DIR"
  rm -rf "$work"
  touch "$SRC_DIR/.staged"
fi
