#!/usr/bin/env bash
# Installs, idempotently, everything this project needs on a fresh Debian 12 machine.
# Only Debian's package registry is used. Quiet unless something fails.
set -euo pipefail

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"

log() { printf 'bootstrap: %s\n' "$*" >&2; }

PKGS=(
  cmake make pkg-config
  g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix
  binutils-mingw-w64-i686 binutils-mingw-w64-x86-64
  libz-mingw-w64-dev
  wine64 xvfb xauth x11-utils imagemagick
  googletest zlib1g-dev
  clang libclang-rt-14-dev
  dpkg-dev
  hunspell-no hyphen-no mythes-no
)

missing=()
for p in "${PKGS[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

# hunspell's sources (for the payload's hunspell.dll) come from Debian's deb-src entries.
SRC_LIST=/etc/apt/sources.list.d/project-deb-src.sources
need_update=0
if [ ! -f "$SRC_LIST" ]; then
  $SUDO tee "$SRC_LIST" >/dev/null <<'SRC'
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm bookworm-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SRC
  need_update=1
fi

if [ ${#missing[@]} -gt 0 ] || [ $need_update -eq 1 ]; then
  log "installing: ${missing[*]:-(sources only)}"
  $SUDO apt-get update -qq >/dev/null || { log "apt-get update failed"; exit 1; }
  if [ ${#missing[@]} -gt 0 ]; then
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null \
      || { log "apt-get install failed for: ${missing[*]}"; exit 1; }
  fi
fi
