#!/usr/bin/env bash
# Tests of the payload packer: a round trip through --list and --check, byte-identical output for
# the same inputs, and every refusal with its message, a non-zero exit and no output file.
set -uo pipefail
PACKER=$1
T=$(mktemp -d)
trap 'rm -rf "$T"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

TAB=$'\t'
STAMP="2024-06-01 12:34:56"
printf 'hello, world\n' >"$T/a.txt"
: >"$T/empty"
head -c 100000 /dev/zero >"$T/zeros"
long255=$(printf 'n%.0s' $(seq 1 255))
long256=${long255}x

cat >"$T/good.manifest" <<EOF
# comment line, then a blank line

a.txt${TAB}a.txt${TAB}${STAMP}
sub\\Inner Name (1).txt${TAB}$T/zeros${TAB}1980-01-01 00:00:00
${TAB}empty${TAB}2099-12-31 23:59:58
${long255}${TAB}a.txt${TAB}${STAMP}
EOF

# Round trip.
if ! "$PACKER" "$T/good.manifest" "$T/good.bin" 2>"$T/err"; then
  fail "good manifest refused: $(cat "$T/err")"
else
  [ "$(od -An -tx1 -N2 "$T/good.bin" | tr -d ' ')" = "78da" ] || fail "stream does not start 78 da"
  "$PACKER" --list "$T/good.bin" >"$T/list" || fail "--list failed"
  expected="a.txt${TAB}13${TAB}${STAMP}
sub\\Inner Name (1).txt${TAB}100000${TAB}1980-01-01 00:00:00
${TAB}0${TAB}2099-12-31 23:59:58
${long255}${TAB}13${TAB}${STAMP}
4 records, $((13 + 5 + 13 + 13 + 22 + 100000 + 13 + 13 + 255 + 13)) bytes inflated"
  [ "$(cat "$T/list")" = "$expected" ] || { fail "--list output differs"; diff <(echo "$expected") "$T/list"; }
  "$PACKER" --check "$T/good.manifest" "$T/good.bin" >/dev/null || fail "--check rejected its own payload"
  "$PACKER" --inflate "$T/good.bin" "$T/good.records" || fail "--inflate failed"
  [ "$(head -c 6 "$T/good.records" | od -An -c | tr -d ' ')" = "005a.txt" ] || fail "--inflate: first record is not a.txt"
  [ "$(stat -c %s "$T/good.records")" = "$(sed -n 's/^4 records, \([0-9]*\) bytes inflated$/\1/p' "$T/list")" ] \
    || fail "--inflate: size differs from --list"
  "$PACKER" "$T/good.manifest" "$T/again.bin" && cmp -s "$T/good.bin" "$T/again.bin" \
    || fail "two runs over the same inputs differ"
  printf 'hello, World\n' >"$T/a.txt"
  "$PACKER" --check "$T/good.manifest" "$T/good.bin" >/dev/null 2>&1 && fail "--check missed changed contents"
  printf 'hello, world\n' >"$T/a.txt"
  sed 's/12:34:56/12:34:58/' "$T/good.manifest" >"$T/restamped.manifest"
  "$PACKER" --check "$T/restamped.manifest" "$T/good.bin" >/dev/null 2>&1 && fail "--check missed a time stamp"
  { head -c 5000 /dev/urandom; cat "$T/good.bin"; head -c 300 /dev/urandom; } >"$T/carrier.exe"
  "$PACKER" --find-in "$T/carrier.exe" "$T/good.bin" >/dev/null || fail "--find-in missed the payload"
  "$PACKER" --find-in "$T/carrier.exe" "$T/again.bin" >/dev/null || fail "--find-in missed an identical payload"
  "$PACKER" --find-in "$T/good.records" "$T/good.bin" >/dev/null 2>&1 && fail "--find-in found what is not there"
  head -c 200 "$T/good.bin" >"$T/cut.bin"
  "$PACKER" --list "$T/cut.bin" >/dev/null 2>&1 && fail "--list accepted a truncated stream"
fi

# A file of 2^31 bytes, sparse so that it costs no disk.
truncate -s 2147483648 "$T/huge"

# name | source | stamp | expected message fragment
refusals=(
  "${long256}|a.txt|${STAMP}|longer than 255 bytes"
  "\\abs.txt|a.txt|${STAMP}|absolute"
  "/abs.txt|a.txt|${STAMP}|absolute"
  "C:\\abs.txt|a.txt|${STAMP}|absolute"
  "C:rel.txt|a.txt|${STAMP}|absolute"
  "..|a.txt|${STAMP}|\"..\" component"
  "sub\\..\\x.txt|a.txt|${STAMP}|\"..\" component"
  "sub/../x.txt|a.txt|${STAMP}|\"..\" component"
  "x\\..|a.txt|${STAMP}|\"..\" component"
  "missing.txt|nothere.txt|${STAMP}|is missing"
  "huge.bin|huge|${STAMP}|larger than 2^31-1 bytes"
  "odd.txt|a.txt|2024-06-01 12:34:57|odd seconds"
  "late.txt|a.txt|2100-01-01 00:00:00|valid date"
  "early.txt|a.txt|1979-12-31 23:59:58|valid date"
  "feb.txt|a.txt|2023-02-29 00:00:00|valid date"
  "fmt.txt|a.txt|2024-06-01T12:34:56|YYYY-MM-DD"
)
i=0
for row in "${refusals[@]}"; do
  IFS='|' read -r name src stamp fragment <<<"$row"
  i=$((i + 1))
  printf 'a.txt\ta.txt\t%s\n%s\t%s\t%s\n' "$STAMP" "$name" "$src" "$stamp" >"$T/bad$i.manifest"
  rm -f "$T/out$i.bin"
  if "$PACKER" "$T/bad$i.manifest" "$T/out$i.bin" 2>"$T/err"; then
    fail "accepted: $row"
  else
    grep -qF -- "$fragment" "$T/err" || fail "message for '$row' lacks '$fragment': $(cat "$T/err")"
    grep -q ":2: " "$T/err" || fail "message for '$row' does not name line 2"
  fi
  ls "$T"/out$i.bin* >/dev/null 2>&1 && fail "output left behind for '$row'"
done

printf 'a.txt\ta.txt\n' >"$T/fields.manifest"
"$PACKER" "$T/fields.manifest" "$T/out.bin" 2>"$T/err" && fail "accepted two fields"
grep -q "three tab-separated fields" "$T/err" || fail "field count message: $(cat "$T/err")"
"$PACKER" "$T/nothere.manifest" "$T/out.bin" 2>/dev/null && fail "accepted a missing manifest"
"$PACKER" >/dev/null 2>&1; [ $? -eq 2 ] || fail "usage error does not exit 2"

total=$(( ${#refusals[@]} + 17 ))
echo "$((total - failures)) passed, $failures failed"
[ $failures -eq 0 ]
