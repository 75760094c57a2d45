#!/usr/bin/env bash
# mirovan-export week and free against month and day, on the sample group
# and on generated months, and their usage errors.
set -uo pipefail
bin=$MIROVAN_BUILD_DIR/bin
source "$(dirname "$0")/common.sh"

group=$("$bin/mirovan-samplegen" "$work/s" 2007-02)
# Around a leap day and across a year's end.
"$bin/mirovan-samplegen" "$work/s" 2012-02 >/dev/null
"$bin/mirovan-samplegen" "$work/s" 2026-12 >/dev/null
shown=$("$EXPORT" members "$group" | awk -F'\t' 'int($4 / 32) % 2 == 0 { print $2 }')
check week.hidden.left.out 11 "$(printf '%s\n' "$shown" | wc -l)"

# A day N days after a date.
plus() { date -u -d "$1 + $2 days" +%F; }

# week: for each shown member in group order, the month lines of the seven
# days, each led by the member's code.
expected_week() { # expected_week FIRST [OPTIONS]
  local first=$1; shift
  local last; last=$(plus "$first" 6)
  for code in $shown; do
    for m in $(printf '%s\n' "${first:0:7}" "${last:0:7}" | uniq); do
      "$EXPORT" month "$group" "$m" --member "$code" "$@"
    done | awk -F'\t' -v f="$first" -v l="$last" -v c="$code" '$1 >= f && $1 <= l { print c "\t" $0 }'
  done
}
for first in 2007-02-01 2007-02-26 2012-02-26 2026-12-29 2007-01-28; do
  out=$("$EXPORT" week "$group" "$first"); check "week.$first.status" 0 $?
  [ -n "$out" ] || { echo "FAIL week.$first: no lines"; fail=1; }
  check "week.$first" "$(expected_week "$first")" "$out"
done
check week.endtime "$(expected_week 2007-02-26 --end-time)" "$("$EXPORT" week "$group" 2007-02-26 --end-time)"
# A week starting the last days of the calendar reads no month past it.
check week.lastdays "" "$("$EXPORT" week "$group" 9999-12-30)"

# free: the working hours less every busy time the day lists show, by an
# independent reading of those lists.
oracle() { # oracle DATE FROM TO LENGTH CODE...
  local date=$1 from=$2 to=$3 len=$4; shift 4
  for code in "$@"; do "$EXPORT" day "$group" "$date" --member "$code" | tail -n +2; done | awk -F'\t' -v from="$from" -v to="$to" -v len="$len" '
    function m(t) { gsub(/ /, "", t); if (t == "") return -1; split(t, a, ":"); return a[1] * 60 + a[2] }
    { split($1, r, "～"); s = m(r[1]); e = m(r[2])
      if (e < 0 || e == s) e = s + 60; else if (e < s) e = 1440
      if (e > 1440) e = 1440
      for (i = s; i < e; i++) busy[i] = 1 }
    END { if (len < 1) len = 1
      for (i = from; i < to; ) { if (busy[i]) { i++; continue } j = i; while (j < to && !busy[j]) j++
        if (j - i >= len) printf "%02d:%02d\t%02d:%02d\n", i / 60, i % 60, j / 60, j % 60
        i = j } }'
}
for date in 2007-02-01 2007-02-14 2007-03-09 2012-02-29 2026-12-31; do
  check "free.all.$date" "$(oracle "$date" 540 1080 30 $shown)" "$("$EXPORT" free "$group" "$date")"
  check "free.three.$date" "$(oracle "$date" 480 1200 15 M002 M005 M009)" \
    "$("$EXPORT" free "$group" "$date" --members M002,M005,M009 --from 8:00 --to 20:00 --length 15)"
  check "free.one.$date" "$(oracle "$date" 0 1440 0 M003)" \
    "$("$EXPORT" free "$group" "$date" --members M003 --from 00:00 --to 24:00 --length 0)"
done
# Named, a hidden member counts.
check free.hidden "$(oracle 2007-02-14 540 1080 30 M099)" "$("$EXPORT" free "$group" 2007-02-14 --members M099)"
[ -n "$("$EXPORT" free "$group" 2007-02-14 --members M001)" ] || { echo "FAIL free.some: no slot"; fail=1; }
# No month file: the whole working day.
check free.nofile "$(printf '09:00\t18:00')" "$("$EXPORT" free "$group" 2031-05-01)"

to_full week "$EXPORT" week "$group" 2007-02-01
to_full free "$EXPORT" free "$group" 2031-05-01

# An unreadable month file: what could be read, the message, status 1.
mkdir "$work/u"; cp "$group" "$work/s/sales200702.sch" "$work/u/"
mkdir "$work/u/sales200703.sch"
"$EXPORT" week "$work/u/sales.group" 2007-02-26 >"$work/out" 2>"$work/err"; check unreadable.week 1 $?
check unreadable.week.lines 1 "$(grep -c 'sales200703.sch' "$work/err")"
check unreadable.week.feb "$(expected_week 2007-02-26 | awk -F'\t' '$2 < "2007-03"')" "$(cat "$work/out")"
"$EXPORT" free "$work/u/sales.group" 2007-03-01 >/dev/null 2>"$work/err"; check unreadable.free 1 $?
check unreadable.free.lines 1 "$(grep -c 'sales200703.sch' "$work/err")"
# A group file cut inside its last member: the members before the cut, status 1.
head -c "$(($(wc -c <"$group") - 2))" "$group" >"$work/u/sales.group"
rmdir "$work/u/sales200703.sch"
"$EXPORT" week "$work/u/sales.group" 2007-02-01 >/dev/null 2>&1; check cut.week 1 $?
"$EXPORT" free "$work/u/sales.group" 2007-02-01 --members M001 >/dev/null 2>&1; check cut.free 1 $?
"$EXPORT" free "$work/u/sales.group" 2007-02-01 --members M099 >/dev/null 2>&1; check cut.free.pastcut 1 $?

"$EXPORT" free "$group" 2007-02-01 --members M001,NOBODY 2>"$work/err" >/dev/null; check usage.unknown 2 $?
grep -q 'コード「NOBODY」のメンバーはいません。' "$work/err" || { echo "FAIL usage.unknown.message"; cat "$work/err"; fail=1; }
for cmd in "week $group" "week $group 2007-02-30" "week $group 2007-02-01 --members M001" "free $group 2007-02-01 --from 9" \
  "free $group 2007-02-01 --to 24:30" "free $group 2007-02-01 --from 18:00 --to 9:00" "free $group 2007-02-01 --length -5" \
  "free $group 2007-02-01 --length x" "free $group 2007-02-01 --end-time" "free $group 2007-02-01 --members"; do
  "$EXPORT" $cmd >/dev/null 2>"$work/err"; check "usage [$cmd]" 2 $?
  head -1 "$work/err" | LC_ALL=C grep -q '[^ -~]' || [ "$cmd" = "week $group" ] \
    || { echo "FAIL not Japanese [$cmd]: $(head -1 "$work/err")"; fail=1; }
done
exit $fail
