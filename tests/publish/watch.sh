#!/usr/bin/env bash
# mirovan-publish --watch: a month file written under it, cut off first
# and completed later, is published once whole and never half; what it
# does not touch keeps its time; SIGTERM ends it cleanly.
set -uo pipefail
bin=$MIROVAN_BUILD_DIR/bin
source "$MIROVAN_TEST_SOURCE/tests/export/common.sh"
export MIROVAN_NOW=2007-02-15T10:00
group=$("$bin/mirovan-samplegen" "$work/s" 2007-02)
feb=$work/s/sales200702.sch
mv "$feb" "$work/feb.sch"
out=$work/out
"$PUBLISH" --watch --to "$out" --from 2007-01 --months 3 "$group" 2>"$work/log" &
pid=$!
trap 'kill $pid 2>/dev/null; rm -rf "$work"' EXIT
wait_for 20 grep -q "変更を待ちます" "$work/log" || { echo "FAIL: never started"; cat "$work/log"; exit 1; }
empty=$(cat "$out/sales/M001.ics")
january=$(stat -c %Y.%y "$out/sales/M001/2007-01.html")

# Half the file, left to settle: nothing is published from it.
size=$(stat -c %s "$work/feb.sch")
head -c $((size / 2)) "$work/feb.sch" >"$feb"
sleep 2
check half.feed "$empty" "$(cat "$out/sales/M001.ics")"
# The rest: published within 5 seconds, the export's bytes.
tail -c +$((size / 2 + 1)) "$work/feb.sch" >>"$feb"
expected=$("$EXPORT" ics "$group" --member M001 --from 2007-01 --months 3)
wait_for 5 bash -c '[ "$(cat "$0")" = "$1" ]' "$out/sales/M001.ics" "$expected" || { echo "FAIL: not published in 5 s"; cat "$work/log"; fail=1; }
check january.kept "$january" "$(stat -c %Y.%y "$out/sales/M001/2007-01.html")"
# The line follows the last file written.
wait_for 5 grep -q "^mirovan-publish: 営業部 (sales200702.sch): [1-9][0-9]* 件書き込み" "$work/log" || { echo "FAIL log line"; cat "$work/log"; fail=1; }
check published.once 1 "$(grep -c "(sales200702.sch)" "$work/log")"

# Replaced whole by a rename: published again.
cp "$work/s/sales200701.sch" "$work/new.sch"
mv "$work/new.sch" "$feb"
wait_for 5 bash -c '[ "$(cat "$0")" != "$1" ]' "$out/sales/M001.ics" "$expected" || { echo "FAIL: the renamed file was not published"; fail=1; }

# A month that cannot be read is told, with its name, and what was
# published of it stays until it reads again.
mar=$work/s/sales200703.sch
cp "$mar" "$work/mar.sch"
published=$(cat "$out/sales/M001.ics")
# Far above any month (sparse: no disk), so refused unread.
truncate -s 300M "$work/huge.sch"
mv "$work/huge.sch" "$mar"
wait_for 5 grep -q "^mirovan-publish: 営業部: sales200703.sch を読み込めないため、この月は前に公開したままです。$" "$work/log" ||
  { echo "FAIL: the unreadable month was not told"; cat "$work/log"; fail=1; }
check unreadable.kept "$published" "$(cat "$out/sales/M001.ics")"
grep -q "^ファイル名：.*sales200703.sch$" "$work/log" || { echo "FAIL: no reason told"; cat "$work/log"; fail=1; }
cp "$work/mar.sch" "$work/new.sch"
mv "$work/new.sch" "$mar"
wait_for 5 grep -q "^mirovan-publish: 営業部 (sales200703.sch): " "$work/log" || { echo "FAIL: not published once readable"; cat "$work/log"; fail=1; }

# The published folder removed under it: made again whole.
expected=$(cat "$out/sales/M001.ics")
rm -rf "$out"
wait_for 5 test -s "$out/sales/M001.ics" || { echo "FAIL: the removed folder was not made again"; cat "$work/log"; fail=1; }
check remade.feed "$expected" "$(cat "$out/sales/M001.ics" 2>/dev/null)"
wait_for 5 test -s "$out/index.html" || { echo "FAIL: no top index after the removal"; fail=1; }

kill -TERM $pid
wait $pid; check sigterm.status 0 $?
grep -q "^mirovan-publish: 終了します。$" "$work/log" || { echo "FAIL: no clean end"; cat "$work/log"; fail=1; }

# A month it cannot read at the start stops the group; once that file is
# replaced by one it can read, the whole group is published.
mv "$mar" "$work/mar2.sch"
mkfifo "$mar"
"$PUBLISH" --watch --to "$work/out2" --from 2007-01 --months 3 "$group" 2>"$work/log2" &
pid=$!
wait_for 20 grep -q "変更を待ちます" "$work/log2" || { echo "FAIL: the second watch never started"; cat "$work/log2"; exit 1; }
grep -q "このグループは公開しませんでした" "$work/log2" || { echo "FAIL: the stop was not told"; cat "$work/log2"; fail=1; }
mv "$work/mar2.sch" "$mar"
wait_for 5 test -s "$work/out2/sales/M001.ics" || { echo "FAIL: the group did not come back"; cat "$work/log2"; fail=1; }
check back.feed "$("$EXPORT" ics "$group" --member M001 --from 2007-01 --months 3)" "$(cat "$work/out2/sales/M001.ics" 2>/dev/null)"
kill -TERM $pid
wait $pid; check back.sigterm 0 $?
exit $fail
