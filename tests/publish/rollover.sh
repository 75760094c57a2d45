#!/usr/bin/env bash
# mirovan-publish --watch across midnight into the 1st (the clock run by
# libfaketime, the waits by the real one): the today mark moves and the
# window of months with it; the month that left it goes from the pages,
# the vdir and the feeds, which are the export's bytes for the new window.
set -uo pipefail
bin=$MIROVAN_BUILD_DIR/bin
source "$MIROVAN_TEST_SOURCE/tests/export/common.sh"
faketime=$(dpkg -L libfaketime 2>/dev/null | grep '/libfaketime\.so\.1$' | head -1)
[ -n "$faketime" ] || { echo "SKIP: libfaketime missing"; exit 77; }
group=$(MIROVAN_NOW=2007-02-15T10:00 "$bin/mirovan-samplegen" "$work/s" 2007-02)
out=$work/out
# No --from: the window starts at last month.
# Preloaded, not through the faketime command, whose child would outlive
# the kill; the sanitizers let it load first.
LD_PRELOAD=$faketime FAKETIME="@2007-03-31 23:59:57" FAKETIME_DONT_FAKE_MONOTONIC=1 \
  ASAN_OPTIONS=${ASAN_OPTIONS:+$ASAN_OPTIONS:}verify_asan_link_order=0 \
  "$PUBLISH" --watch --to "$out" "$group" 2>"$work/log" &
pid=$!
trap 'kill $pid 2>/dev/null; rm -rf "$work"' EXIT
wait_for 20 grep -q "変更を待ちます" "$work/log" || { echo "FAIL: never started"; cat "$work/log"; exit 1; }
pages() { (cd "$out/sales/M001" && ls); }
check before.pages "$(printf '%s.html\n' 2007-{02..12} 2008-{01..03})" "$(pages)"
grep -cE 'class="([a-z]+ )*today' "$out/sales/M001/2007-03.html" >/dev/null || { echo "FAIL: no today mark on 31 March"; fail=1; }
ls "$out/sales/vdir/M001" | grep '^200702-' >/dev/null || { echo "FAIL: no February events to lose"; fail=1; }

wait_for 10 grep -q "^mirovan-publish: 営業部 (日付が変わりました): " "$work/log" || { echo "FAIL: the day did not change"; cat "$work/log"; fail=1; }
check after.pages "$(printf '%s.html\n' 2007-{03..12} 2008-{01..04})" "$(pages)"
check after.today "0 1" "$(grep -cE 'class="([a-z]+ )*today' "$out/sales/M001/2007-03.html") $(grep -cE 'class="([a-z]+ )*today' "$out/sales/M001/2007-04.html")"
check after.vdir "" "$(ls "$out/sales/vdir/M001" | grep '^200702-')"
check after.feed "$("$EXPORT" ics "$group" --member M001 --from 2007-03 --months 14)" "$(cat "$out/sales/M001.ics")"
grep -F '2007年2月' "$out/sales/index.html" >/dev/null && { echo "FAIL: the group page still links February's week"; fail=1; }
kill -TERM $pid
wait $pid; check sigterm.status 0 $?
exit $fail
