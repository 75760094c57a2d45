#!/usr/bin/env bash
# mirovan-export memos on personal files built byte by byte: the lines of
# one month, the escapes, the forms of a record, failures and bad usage.
set -uo pipefail
source "$(dirname "$0")/common.sh"
le32() { local h; h=$(printf '%08x' "$1"); printf "\\x${h:6:2}\\x${h:4:2}\\x${h:2:2}\\x${h:0:2}"; }
record() { # record MONTHKEY PRINTF-TEXT: the key, a one-byte length, the text
  printf "$2" >"$work/text"
  le32 "$1"; printf "\\x$(printf %02x "$(wc -c <"$work/text")")"; cat "$work/text"
}
file=$work/calendar.mvp
{
  le32 4
  # Days 1, 3 and 5 of January; 予定 has a backslash as its trail byte.
  record 200701 'abc\t\t\x97\x5c\x92\xe8\t\ta\\b\r\n'
  # Field 29 of February is no day of it.
  record 200702 "\\tfeb$(printf '\\t%.0s' {1..26})last\\tbeyond"
  # UTF-16 form: 予定 on day 2.
  le32 200703; printf '\xff\xfe\xff\x03\x09\x00\x88\x4e\x9a\x5b'
  # A later record of January is not January's.
  record 200701 'shadowed'
} >"$file"
cp "$file" "$work/original"

out=$("$EXPORT" memos "$file" 2007-01 2>"$work/err"); check jan.status 0 $?
check jan.out "$(printf '2007-01-01\tabc\n2007-01-03\t予定\n2007-01-05\ta\\\\b\\r\\n')" "$out"
check jan.err "" "$(cat "$work/err")"
check feb.out "$(printf '2007-02-02\tfeb\n2007-02-28\tlast')" "$("$EXPORT" memos "$file" 2007-02)"
check mar.out "$(printf '2007-03-02\t予定')" "$("$EXPORT" memos "$file" 2007-03)"
out=$("$EXPORT" memos "$file" 2007-04); check apr.status 0 $?
check apr.out "" "$out"
cmp -s "$file" "$work/original" || { echo "FAIL: the export changed the file"; fail=1; }

to_full memos "$EXPORT" memos "$file" 2007-01
# Four zero bytes: no memos, no message.
printf '\0\0\0\0' >"$work/empty.mvp"
check empty.out "" "$("$EXPORT" memos "$work/empty.mvp" 2007-01 2>&1)"

# A missing file is reported and not created.
"$EXPORT" memos "$work/missing.mvp" 2007-01 >"$work/out" 2>"$work/err"; check missing.status 1 $?
check missing.out "" "$(cat "$work/out")"
grep -q "ファイル「$work/missing.mvp」が開けません。" "$work/err" || { echo "FAIL missing.message"; cat "$work/err"; fail=1; }
[ ! -e "$work/missing.mvp" ] || { echo "FAIL: the missing file was created"; fail=1; }
"$EXPORT" memos "$work/no/such.mvp" 2007-01 >/dev/null 2>&1; check nofolder.status 1 $?
[ ! -e "$work/no" ] || { echo "FAIL: a folder was created"; fail=1; }
"$EXPORT" memos "$work" 2007-01 >/dev/null 2>"$work/err"; check directory.status 1 $?
grep -q "ｱｸｾｽは拒否されました" "$work/err" || { echo "FAIL directory.message"; cat "$work/err"; fail=1; }

# Cut inside the second record: nothing printed, the file named.
head -c 40 "$file" >"$work/cut.mvp"
"$EXPORT" memos "$work/cut.mvp" 2007-01 >"$work/out" 2>"$work/err"; check cut.status 1 $?
check cut.out "" "$(cat "$work/out")"
grep -q "cut.mvp" "$work/err" || { echo "FAIL cut.message"; cat "$work/err"; fail=1; }
cmp -s "$work/cut.mvp" <(head -c 40 "$file") || { echo "FAIL: the cut file was changed"; fail=1; }
# The message names the file as typed; bytes that are no text show as U+FFFD.
cut="$work/予定 😀"$'\xff'.mvp
head -c 40 "$file" >"$cut"
"$EXPORT" memos "$cut" 2007-01 >/dev/null 2>"$work/err"; check cut.bytes.status 1 $?
check cut.bytes.message "mirovan-export: ファイル「$work/予定 😀"$'\xef\xbf\xbd'".mvp」は途中で切れています。(例外コード：3)" "$(cat "$work/err")"

"$EXPORT" memos >/dev/null 2>&1; check usage.none 2 $?
"$EXPORT" memos "$file" >/dev/null 2>&1; check usage.one 2 $?
"$EXPORT" memos "$file" 2007-01 2007-02 >/dev/null 2>&1; check usage.three 2 $?
for bad in 2007-13 2007-00 2007-1 07-01 2007/01 abcd-ef 2007-01-01 ''; do
  "$EXPORT" memos "$file" "$bad" >/dev/null 2>&1; check "usage.month[$bad]" 2 $?
done
exit $fail
