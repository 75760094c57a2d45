#!/usr/bin/env bash
# mirovan-export ics on the sample group and personal file, read back by
# an independent parser (python3-icalendar) and compared event by event
# with what `month` and `memos` print; the time zone, repeatability,
# failures and bad usage.
set -uo pipefail
bin=$MIROVAN_BUILD_DIR/bin
source "$(dirname "$0")/common.sh"
py=/usr/bin/python3
group=$("$bin/mirovan-samplegen" "$work/s" 2007-02)
personal=$work/s/calendar.mvp

# Prints each event as `month` or `memos` would print its line, after
# checking what every importer relies on.
cat >"$work/lines.py" <<'PY'
import sys, datetime
from icalendar import Calendar
cal = Calendar.from_ical(open(sys.argv[1], 'rb').read())
zones = [c for c in cal.walk('VTIMEZONE')]
uids = set()
def t(d):
    s = '%d:%02d ' % (d.hour, d.minute)
    return ' ' + s if len(s) == 5 else s
for ev in cal.walk('VEVENT'):
    uid = str(ev['UID'])
    assert uid not in uids, 'UID twice: ' + uid
    uids.add(uid)
    assert 'DTSTAMP' in ev
    start = ev.decoded('DTSTART')
    summary = str(ev['SUMMARY'])
    if isinstance(start, datetime.datetime):
        assert ev['DTSTART'].params['TZID'] == 'Asia/Tokyo'
        assert start.utcoffset() == datetime.timedelta(hours=9), start.utcoffset()
        end = ev.decoded('DTEND')
        assert end.date() == start.date() and end > start
        mark = ' [仮]' if str(ev.get('STATUS', '')) == 'TENTATIVE' else ' '
        print('%s\t%s～%s%s%s' % (start.date().isoformat(), t(start), t(end), mark, summary))
    else:
        assert ev.decoded('DTEND') == start + datetime.timedelta(days=1)
        print('%s\t%s' % (start.isoformat(), str(ev.get('DESCRIPTION', summary)).replace('\n', '\\r\\n')))
if uids and any(isinstance(ev.decoded('DTSTART'), datetime.datetime) for ev in cal.walk('VEVENT')):
    assert [str(z['TZID']) for z in zones] == ['Asia/Tokyo'], zones
    std = zones[0].walk('STANDARD')[0]
    assert std.decoded('TZOFFSETTO') == datetime.timedelta(hours=9)
PY

for member in M001 M003 M007; do
  "$EXPORT" ics "$group" --member "$member" --from 2007-01 --months 3 -o "$work/$member.ics"; check "$member.status" 0 $?
  expected=$(for m in 2007-01 2007-02 2007-03; do "$EXPORT" month "$group" "$m" --member "$member" --end-time; done)
  [ -n "$expected" ] || { echo "FAIL $member: the sample has no entries"; fail=1; }
  check "$member.events" "$expected" "$("$py" "$work/lines.py" "$work/$member.ics")"
  grep -q "^CATEGORIES:営業部" "$work/$member.ics" || { echo "FAIL $member.categories"; fail=1; }
done
# Unchanged files, the same bytes; standard output is the file's text.
"$EXPORT" ics "$group" --member M003 --from 2007-01 --months 3 -o "$work/again.ics"
cmp -s "$work/M003.ics" "$work/again.ics" || { echo "FAIL: a second export differs"; fail=1; }
"$EXPORT" ics "$group" --member M003 --from 2007-01 --months 3 | cmp -s - "$work/M003.ics" || { echo "FAIL: stdout differs"; fail=1; }

to_full ics "$EXPORT" ics "$group" --member M003 --from 2007-01
to_full ics.personal "$EXPORT" ics --personal "$personal" --from 2007-01
# Memos: all-day events, the same days and texts as `memos`.
"$EXPORT" ics --personal "$personal" --from 2007-01 --months 3 -o "$work/memos.ics"; check memos.status 0 $?
expected=$(for m in 2007-01 2007-02 2007-03; do "$EXPORT" memos "$personal" "$m"; done)
[ -n "$expected" ] || { echo "FAIL memos: the sample has no memos"; fail=1; }
check memos.events "$expected" "$("$py" "$work/lines.py" "$work/memos.ics")"

# A folder that does not exist: the file is named, nothing is written.
"$EXPORT" ics "$group" --member M003 -o "$work/no/x.ics" 2>"$work/err"; check nofolder.status 1 $?
grep -q "ファイル「$work/no/x.ics」が開けません。" "$work/err" || { echo "FAIL nofolder.message"; cat "$work/err"; fail=1; }
# -o writes through a link and into devices, and never replaces either.
mkdir "$work/real"
ln -s real/link.ics "$work/link.ics"
"$EXPORT" ics "$group" --member M003 --from 2007-01 --months 3 -o "$work/link.ics"; check link.status 0 $?
[ -L "$work/link.ics" ] && cmp -s "$work/real/link.ics" "$work/M003.ics" || { echo "FAIL link: not written through"; fail=1; }
check link.beside "link.ics" "$(ls -A "$work/real")"
"$EXPORT" ics "$group" --member M003 --from 2007-01 --months 3 -o /dev/stdout | cmp -s - "$work/M003.ics" \
  || { echo "FAIL -o /dev/stdout"; fail=1; }
ln -s /dev/full "$work/full.ics"
"$EXPORT" ics "$group" --member M003 -o "$work/full.ics" 2>"$work/err"; check full.status 1 $?
grep -q "full.ics へのｱｸｾｽ中にﾃﾞｨｽｸがいっぱいになりました。" "$work/err" || { echo "FAIL full.message"; cat "$work/err"; fail=1; }
[ -L "$work/full.ics" ] && [ -c /dev/full ] || { echo "FAIL full: the link or device was replaced"; fail=1; }
"$EXPORT" ics "$group" --member M003 -o "$work/real" 2>/dev/null; check folder.status 1 $?
[ -d "$work/real" ] || { echo "FAIL folder replaced"; fail=1; }
"$EXPORT" ics --personal "$work/missing.mvp" >/dev/null 2>&1; check missing.status 1 $?
[ ! -e "$work/missing.mvp" ] || { echo "FAIL: the missing personal file was created"; fail=1; }

# No member given and none chosen before: not an empty calendar.
"$EXPORT" ics "$group" >"$work/out" 2>"$work/err"; check nomember.status 2 $?
check nomember.out "" "$(cat "$work/out")"
grep -q -- '--member' "$work/err" || { echo "FAIL nomember.message"; cat "$work/err"; fail=1; }
"$EXPORT" ics >/dev/null 2>&1; check usage.none 2 $?
"$EXPORT" ics "$group" --months 0 >/dev/null 2>&1; check usage.zero 2 $?
"$EXPORT" ics "$group" --months 121 >/dev/null 2>&1; check usage.many 2 $?
"$EXPORT" ics "$group" --from 2007-13 >/dev/null 2>&1; check usage.from 2 $?
"$EXPORT" ics "$group" --from 9999-12 --months 2 >/dev/null 2>&1; check usage.past9999 2 $?
"$EXPORT" ics "$group" --personal "$personal" >/dev/null 2>&1; check usage.both 2 $?
"$EXPORT" ics "$group" --member NOBODY >/dev/null 2>&1; check usage.member 2 $?
exit $fail
