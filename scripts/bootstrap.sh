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

DEBIAN_URI=http://deb.debian.org/debian
DEBIAN_KEYRING=/usr/share/keyrings/debian-archive-keyring.gpg
need_update=0

# Writes an apt sources file once; an existing file is left as it is.
add_sources() {
  local file=$1 types=$2 suites=$3
  [ -f "$file" ] && return 0
  printf 'Types: %s\nURIs: %s\nSuites: %s\nComponents: main\nSigned-By: %s\n' \
    "$types" "$DEBIAN_URI" "$suites" "$DEBIAN_KEYRING" | $SUDO tee "$file" >/dev/null
  need_update=1
}

installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }

# Runs an apt-get command quietly; on failure shows its output and stops.
apt_quiet() {
  local what=$1 out; shift
  if ! out=$(DEBIAN_FRONTEND=noninteractive $SUDO apt-get -y -qq "$@" 2>&1); then
    printf '%s\n' "$out" | tail -n 20 >&2
    log "$what failed"
    exit 1
  fi
}

apt_update() {
  [ $need_update -eq 1 ] || return 0
  apt_quiet "apt-get update" update
  need_update=0
}

apt_install() { apt_quiet "apt-get install $*" install --no-install-recommends "$@"; }

# The 32-bit set: the shipped i686 exe runs through Wine's 32-bit loader under qemu's user-mode
# emulator, because this kernel refuses 32-bit code. qemu 7.2 of bookworm cannot map Wine's shared
# user data; the backported qemu can. SKIP_WINE32=1 leaves all of it out (the 32-bit tests then say so).
WITH_WINE32=1
if [ "${SKIP_WINE32:-0}" = 1 ]; then
  log "SKIP_WINE32=1: the 32-bit Wine set is not installed"
  WITH_WINE32=0
fi

# hunspell's sources (for the payload's hunspell.dll) come from Debian's deb-src entries.
add_sources /etc/apt/sources.list.d/project-deb-src.sources deb-src "bookworm bookworm-updates"
if [ $WITH_WINE32 = 1 ]; then
  if ! grep -qx i386 <(dpkg --print-foreign-architectures); then
    $SUDO dpkg --add-architecture i386 || { log "dpkg refused to add the i386 architecture"; exit 1; }
    need_update=1
  fi
  add_sources /etc/apt/sources.list.d/project-backports.sources deb bookworm-backports
fi

missing=()
for p in "${PKGS[@]}"; do
  installed "$p" || missing+=("$p")
done
if [ $WITH_WINE32 = 1 ]; then
  installed wine32:i386 || missing+=(wine32:i386)
  qemu_version=$(dpkg-query -W -f='${Version}' qemu-user 2>/dev/null || true)
  if [ -z "$qemu_version" ] || dpkg --compare-versions "$qemu_version" lt 1:10~; then
    need_qemu=1
  else
    need_qemu=0
  fi
fi
if [ ${#missing[@]} -gt 0 ] || [ "${need_qemu:-0}" = 1 ]; then
  log "installing: ${missing[*]} $([ "${need_qemu:-0}" = 1 ] && echo "qemu-user (bookworm-backports)")"
  need_update=1
fi
apt_update
[ ${#missing[@]} -eq 0 ] || apt_install "${missing[@]}"
[ $WITH_WINE32 = 1 ] || exit 0
[ "$need_qemu" = 0 ] || apt_install -t bookworm-backports qemu-user

QEMU_I386=/usr/bin/qemu-i386
WINE32_LOADER=/usr/lib/wine/wine
BINFMT=/proc/sys/fs/binfmt_misc
[ -x "$QEMU_I386" ] || { log "$QEMU_I386 is missing after installing qemu-user"; exit 1; }
[ -x "$WINE32_LOADER" ] || { log "$WINE32_LOADER is missing after installing wine32:i386"; exit 1; }

if [ ! -e "$BINFMT/register" ]; then
  $SUDO mount -t binfmt_misc binfmt_misc "$BINFMT" \
    || { log "the kernel refused to mount binfmt_misc on $BINFMT"; exit 1; }
fi
if [ "$(cat "$BINFMT/status")" != enabled ]; then
  echo 1 | $SUDO tee "$BINFMT/status" >/dev/null || { log "cannot enable binfmt_misc"; exit 1; }
fi

# i386 ELF executables go to qemu. F: the kernel opens qemu once, here; P: qemu gets the caller's
# argv[0] untouched (it reads the kernel's flag for that). With F the kernel keeps the file it opened: after a qemu upgrade it would still run the old
# binary, so the registration remembers which file (and which boot) it was made for.
I386_MAGIC='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
I386_MASK='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'
BINFMT_STAMP=/run/project-qemu-i386.binfmt
qemu_identity="$(cat /proc/sys/kernel/random/boot_id) $(stat -L -c '%d:%i:%s:%Y' "$QEMU_I386")"

binfmt_current() {
  local entry=$BINFMT/qemu-i386
  [ -e "$entry" ] || return 1
  grep -qx enabled "$entry" &&
    grep -qx "interpreter $QEMU_I386" "$entry" &&
    grep -q '^flags: .*F' "$entry" && grep -q '^flags: .*P' "$entry" &&
    grep -qx "magic $(printf '%b' "$I386_MAGIC" | od -An -tx1 | tr -d ' \n')" "$entry" &&
    grep -qx "mask $(printf '%b' "$I386_MASK" | od -An -tx1 | tr -d ' \n')" "$entry" &&
    [ "$(cat "$BINFMT_STAMP" 2>/dev/null)" = "$qemu_identity" ]
}

if ! binfmt_current; then
  if [ -e "$BINFMT/qemu-i386" ]; then
    echo -1 | $SUDO tee "$BINFMT/qemu-i386" >/dev/null \
      || { log "cannot remove the stale qemu-i386 binfmt registration"; exit 1; }
  fi
  printf ':qemu-i386:M::%s:%s:%s:FP\n' "$I386_MAGIC" "$I386_MASK" "$QEMU_I386" \
    | $SUDO tee "$BINFMT/register" >/dev/null \
    || { log "the kernel refused the qemu-i386 binfmt registration"; exit 1; }
  echo "$qemu_identity" | $SUDO tee "$BINFMT_STAMP" >/dev/null
fi

if ! "$WINE32_LOADER" --version >/dev/null 2>&1; then
  log "registered qemu-i386, but the 32-bit Wine loader still does not start"
  exit 1
fi
