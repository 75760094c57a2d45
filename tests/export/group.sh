#!/usr/bin/env bash
# mirovan-export members / month / day on the sample group, and its
# exit statuses for unreadable files and bad usage.
set -uo pipefail
bin=$MIROVAN_BUILD_DIR/bin
source "$(dirname "$0")/common.sh"

group=$("$bin/mirovan-samplegen" "$work/s" 2007-02)
check samplegen "$work/s/sales.group" "$group"
# Without a month it writes the months around today, which the clock pins.
MIROVAN_NOW=2007-02-01T09:00 "$bin/mirovan-samplegen" "$work/now" >/dev/null
check samplegen.today "sales200701.sch sales200702.sch sales200703.sch" "$(cd "$work/now" && echo *.sch)"
(cd "$work" && "$bin/mirovan-samplegen" --help 2>/dev/null); check samplegen.help.status 2 $?
check samplegen.help.nofolder no "$([ -e "$work/--help" ] && echo yes || echo no)"

out=$("$EXPORT" members "$group"); check members.status 0 $?
check members.count 12 "$(printf '%s\n' "$out" | wc -l)"
check members.first "$(printf '0\tM001\t佐藤 一郎\t0')" "$(printf '%s\n' "$out" | head -1)"
check members.hidden "$(printf '11\tM099\t監査用アカウント\t32')" "$(printf '%s\n' "$out" | tail -1)"

out=$("$EXPORT" month "$group" 2007-02 --member M003 --no-end-time); check month.status 0 $?
[ -n "$out" ] || { echo "FAIL month: no lines"; fail=1; }
# Days ascend; within a day the start times ascend.
sorted=$(printf '%s\n' "$out" | awk -F'\t' '{ t = substr($2, 1, 6); gsub(/ /, "", t); split(t, hm, ":"); printf "%s %04d\n", $1, hm[1] * 100 + hm[2] }')
check month.order "$(printf '%s\n' "$sorted" | sort -s -k1,1 -k2,2n)" "$sorted"
check month.dates "" "$(printf '%s\n' "$out" | cut -f1 | grep -v '^2007-02-[0-2][0-9]$')"
with=$("$EXPORT" month "$group" 2007-02 --member M003 --end-time | head -1 | cut -f2)
case "$with" in *～*) ;; *) echo "FAIL month.endtime: [$with]"; fail=1 ;; esac

first=$(printf '%s\n' "$out" | head -1 | cut -f1)
out=$("$EXPORT" day "$group" "$first" --member M003); check day.status 0 $?
d=${first#2007-02-}; d=${d#0}
check day.title "2007年2月${d}日のスケジュール" "$(printf '%s\n' "$out" | head -1)"
check day.rows "$("$EXPORT" month "$group" 2007-02 --member M003 | grep -c "^$first")" "$(($(printf '%s\n' "$out" | wc -l) - 1))"

# Without --member: the saved choice, here none, so nothing.
check month.nomember "" "$("$EXPORT" month "$group" 2007-02)"
# A month without a file is empty, not an error.
"$EXPORT" month "$group" 2031-05 --member M003 >/dev/null; check month.nofile 0 $?

to_full members "$EXPORT" members "$group"
to_full month "$EXPORT" month "$group" 2007-02 --member M003
to_full day "$EXPORT" day "$group" "$first" --member M003
to_full help "$EXPORT" --help
"$EXPORT" members "$work/missing.group" 2>"$work/err"; check missing.status 1 $?
grep -q 'ファイルが見つかりません。' "$work/err" || { echo "FAIL missing.message"; cat "$work/err"; fail=1; }
head -c 30 "$group" >"$work/cut.group"
"$EXPORT" members "$work/cut.group" >/dev/null 2>&1; check truncated.status 1 $?

# Cut inside the last member record: the members before it, as the
# program lists them, then the reader's message and status 1.
mkdir "$work/c"
cutm=$work/c/sales.group
head -c "$(($(wc -c <"$group") - 2))" "$group" >"$cutm"
cp "$work/s/sales200702.sch" "$work/c/"
out=$("$EXPORT" members "$cutm" 2>"$work/err"); check cutmember.status 1 $?
check cutmember.out "$("$EXPORT" members "$group" | head -11)" "$out"
check cutmember.lines 1 "$(grep -c "$cutm" "$work/err")"
for cmd in "month $cutm 2007-02" "day $cutm $first" "ics $cutm --from 2007-02 --months 1"; do
  set -- $cmd
  "$EXPORT" "$@" --member M003 >/dev/null 2>&1; check "cutmember.$1" 1 $?
done
check cutmember.month "$("$EXPORT" month "$group" 2007-02 --member M003)" "$("$EXPORT" month "$cutm" 2007-02 --member M003 2>/dev/null)"

# A month file that is there but cannot be read is an error naming it, for
# each command that reads month files; a missing file or a last record cut
# off (Tillbrook may be writing it) is none.
mkdir "$work/u"
cp "$group" "$work/u/"
ugroup=$work/u/sales.group
head -c -3 "$work/s/sales200702.sch" >"$work/u/sales200702.sch"
for cmd in "month $ugroup 2007-02" "day $ugroup 2007-02-01" "ics $ugroup --from 2007-02 --months 1"; do
  set -- $cmd
  "$EXPORT" "$@" --member M003 >/dev/null 2>"$work/err"; check "cutrecord.$1" 0 $?
  check "cutrecord.$1.err" "" "$(cat "$work/err")"
done
"$EXPORT" month "$group" 2007-02 --member M003 | sort >"$work/whole"
"$EXPORT" month "$ugroup" 2007-02 --member M003 | sort >"$work/cut"
check cutrecord.shown "" "$(comm -13 "$work/whole" "$work/cut")"
unreadable() { # unreadable KIND: each command on the unreadable month file
  for cmd in "month $ugroup 2007-02" "day $ugroup 2007-02-01" "ics $ugroup --from 2007-01 --months 3"; do
    set -- $cmd
    "$EXPORT" "$@" --member M003 >/dev/null 2>"$work/err"; check "$kind.$1" 1 $?
    check "$kind.$1.lines" 1 "$(grep -c 'sales200702.sch' "$work/err")"
  done
}
rm "$work/u/sales200702.sch"; mkdir "$work/u/sales200702.sch"; kind=folder unreadable
grep -q "sales200702.sch へのｱｸｾｽは拒否されました。" "$work/err" || { echo "FAIL folder.message"; cat "$work/err"; fail=1; }
rmdir "$work/u/sales200702.sch"; mkfifo "$work/u/sales200702.sch"; kind=fifo unreadable
rm "$work/u/sales200702.sch"; ln -s /dev/zero "$work/u/sales200702.sch"; kind=device unreadable
if [ "$(id -u)" != 0 ]; then
  rm "$work/u/sales200702.sch"; cp "$work/s/sales200702.sch" "$work/u/"; chmod 000 "$work/u/sales200702.sch"
  kind=denied unreadable
fi

"$EXPORT" month "$group" 2007-13 >/dev/null 2>&1; check usage.month 2 $?
"$EXPORT" day "$group" 2007-02-30 >/dev/null 2>&1; check usage.day 2 $?
"$EXPORT" month "$group" 2007-02 --member NOBODY >/dev/null 2>&1; check usage.member 2 $?
"$EXPORT" members >/dev/null 2>&1; check usage.args 2 $?
"$EXPORT" frobnicate >/dev/null 2>&1; check usage.command 2 $?
"$EXPORT" month "$group" 2007-02 --bogus >/dev/null 2>&1; check usage.option 2 $?
# Option errors speak Japanese like the file errors: the first line of
# each, before the usage text.
"$EXPORT" month "$group" 2007-02 --bogus 2>"$work/err"
check usage.option.message "mirovan-export: 「--bogus」というオプションはありません。" "$(head -1 "$work/err")"
for cmd in "frobnicate" "month $group 2007-13" "day $group 2007-02-30" "month $group 2007-02 --member" \
  "holidays 99" "ics $group --months 0" "ics $group --from 2007-13" "memos x" "calendar $group 2007-02" \
  "calendar $group 2007-02 --pdf x.pdf --paper A9" "calendar $group 2007-02 --pdf x.pdf --height 5"; do
  "$EXPORT" $cmd >/dev/null 2>"$work/err"
  head -1 "$work/err" | LC_ALL=C grep -q '[^ -~]' || { echo "FAIL not Japanese [$cmd]: $(head -1 "$work/err")"; fail=1; }
done
exit $fail
