#!/usr/bin/env bash
# Checks the payload of each architecture's build: the packed stream holds exactly the records of
# its manifest, hunspell.dll imports only Windows system DLLs and exports the C interface, and the
# executables that read the payload from their own module carry that very stream.
# usage: check-built-payloads.sh <payload-packer> <build-dir holding i686/ and x86_64/>
set -uo pipefail
PACKER=$1
BUILD=$2
failures=0
checks=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
pass() { checks=$((checks + 1)); }

# Every DLL that a clean Windows install has in its system folder and that the runtimes may use.
SYSTEM_DLLS=" kernel32.dll msvcrt.dll user32.dll advapi32.dll gdi32.dll shell32.dll ole32.dll ntdll.dll "

for arch in i686 x86_64; do
  tree=$BUILD/$arch
  dir=$tree/resources/payload
  if [ ! -f "$dir/payload.bin" ]; then
    fail "$arch: no payload in $dir (build both architectures first)"
    continue
  fi
  "$PACKER" --check "$dir/payload.manifest" "$dir/payload.bin" >/dev/null && pass \
    || fail "$arch: payload.bin does not hold the records of payload.manifest"
  [ "$(od -An -tx1 -N2 "$dir/payload.bin" | tr -d ' ')" = "78da" ] && pass || fail "$arch: payload does not start 78 da"

  dll=$dir/hunspell/hunspell.dll
  objdump=$arch-w64-mingw32-objdump
  [ "$arch" = x86_64 ] && objdump=x86_64-w64-mingw32-objdump
  imports=$($objdump -p "$dll" | sed -n 's/^\s*DLL Name: //p' | tr 'A-Z' 'a-z')
  ok=1
  for name in $imports; do
    case "$SYSTEM_DLLS" in *" $name "*) ;; *) fail "$arch: hunspell.dll imports $name"; ok=0 ;; esac
  done
  [ $ok = 1 ] && pass
  exports=$($objdump -p "$dll" | sed -n 's/^\s*\[ *[0-9]*\] \(Hunspell_[a-z_]*\)$/\1/p')
  for fn in Hunspell_create Hunspell_spell Hunspell_suggest Hunspell_free_list Hunspell_destroy; do
    grep -qx "$fn" <<<"$exports" && pass || fail "$arch: hunspell.dll does not export $fn"
  done
  case "$($objdump -f "$dll" | sed -n 's/^architecture: \([^,]*\),.*/\1/p')" in
    i386) [ "$arch" = i686 ] && pass || fail "$arch: hunspell.dll is 32-bit" ;;
    i386:x86-64) [ "$arch" = x86_64 ] && pass || fail "$arch: hunspell.dll is 64-bit" ;;
    *) fail "$arch: hunspell.dll of unknown architecture" ;;
  esac

  # A link time stamp would make every build's payload different.
  pe=$(od -An -tu4 -j60 -N4 "$dll" | tr -d ' ')
  [ "$(od -An -tu4 -j$((pe + 8)) -N4 "$dll" | tr -d ' ')" = 0 ] && pass \
    || fail "$arch: hunspell.dll carries a link time stamp"

  # The executables that must carry the payload, relative to the tree.
  for exe in tests/archive/archive_tests.exe; do
    if [ -f "$tree/$exe" ]; then
      "$PACKER" --find-in "$tree/$exe" "$dir/payload.bin" >/dev/null && pass || fail "$arch: $exe does not carry payload.bin"
    else
      fail "$arch: $exe is missing"
    fi
  done
done
echo "$checks passed, $failures failed"
[ $failures -eq 0 ]
