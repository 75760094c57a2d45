#!/usr/bin/env bash
# mirovan-publish on the sample group: every feed is the export's bytes,
# hidden members stay out, a second publish rewrites nothing, and names
# from the files never lead outside the folder.
set -uo pipefail
bin=$MIROVAN_BUILD_DIR/bin
source "$MIROVAN_TEST_SOURCE/tests/export/common.sh"
export MIROVAN_NOW=2007-02-15T10:00
mkdir -p "$work/東京"
group=$("$bin/mirovan-samplegen" "$work/東京" 2007-02)
out=$work/公開
"$PUBLISH" --to "$out" --from 2007-01 --months 3 "$group" 2>"$work/err"; check status 0 $?
grep -q "^mirovan-publish: 営業部 (すべての月): [0-9]* 件書き込み、0 件削除$" "$work/err" || { echo "FAIL log"; cat "$work/err"; fail=1; }

while IFS=$'\t' read -r index code name attributes; do
  if (( attributes & 32 )); then
    [ ! -e "$out/sales/$code.ics" ] && [ ! -e "$out/sales/$code" ] || { echo "FAIL hidden $code published"; fail=1; }
    continue
  fi
  "$EXPORT" ics "$group" --member "$code" --from 2007-01 --months 3 | cmp -s - "$out/sales/$code.ics" \
    || { echo "FAIL $code: the feed is not the export's"; fail=1; }
  for m in 2007-01 2007-02 2007-03; do
    page=$out/sales/$code/$m.html
    [ -s "$page" ] || { echo "FAIL $page missing"; fail=1; continue; }
    # Every entry of the month appears on the page.
    while IFS=$'\t' read -r date line; do
      text=$(sed -E 's/^ ?[0-9]+:[0-9]{2} ～ ?[0-9]+:[0-9]{2} ( \[仮\]| )//' <<<"$line")
      text=${text//&/&amp;}; text=${text//</&lt;}; text=${text//>/&gt;}; text=${text//\"/&quot;}
      grep -qF -- "$text" "$page" || { echo "FAIL $page lacks [$text]"; fail=1; }
    done < <("$EXPORT" month "$group" "$m" --member "$code" --end-time)
  done
  events=$(grep -c '^BEGIN:VEVENT' "$out/sales/$code.ics")
  check "$code.vdir" "$events" "$(ls "$out/sales/vdir/$code" | grep -c '\.ics$')"
done < <("$EXPORT" members "$group")
grep -q 'lang="ja"' "$out/index.html" && grep -q 'href="sales/index.html"' "$out/index.html" || { echo "FAIL index"; fail=1; }
grep -q 'class="sun today"\|class="today"\|class="sat today"' "$out/sales/M001/2007-02.html" || { echo "FAIL today"; fail=1; }

# The group week: every visible member's lines as the export's week prints
# them, in group order, and the free row as its free prints it.
week=$out/sales/week/2007-02-11.html
[ -s "$week" ] && [ -s "$out/sales/week/2006-12-31.html" ] && [ -s "$out/sales/week/2007-03-25.html" ] \
  && [ ! -e "$out/sales/week/2007-04-01.html" ] || { echo "FAIL weeks"; ls "$out/sales/week"; fail=1; }
grep -q 'href="week/2007-01-28.html">2007年2月' "$out/sales/index.html" || { echo "FAIL index week link"; fail=1; }
codes=$("$EXPORT" members "$group" | while IFS=$'\t' read -r index code name attributes; do
  (( attributes & 32 )) || echo "$code"; done | paste -sd,)
/usr/bin/python3 - "$week" "$codes" >"$work/week.page" <<'PY'
import sys, html.parser
class P(html.parser.HTMLParser):
    def __init__(s):
        super().__init__(); s.rows = []; s.cell = None; s.text = None
    def handle_starttag(s, tag, attrs):
        if tag == "tr": s.rows.append([])
        elif tag == "td": s.cell = []; s.rows[-1].append(s.cell)
        elif tag == "li": s.text = ""
        elif tag == "br" and s.text is not None: s.text += "\n"
    def handle_endtag(s, tag):
        if tag == "li": s.cell.append(s.text); s.text = None
    def handle_data(s, d):
        if s.text is not None: s.text += d
p = P(); p.feed(open(sys.argv[1], encoding="utf-8").read())
rows = [r for r in p.rows if r]
codes = sys.argv[2].split(",")
assert len(rows) == len(codes) + 1, (len(rows), len(codes))
for code, row in zip(codes, rows):
    for day, cell in enumerate(row):
        for line in cell:
            print(f"{code}\t2007-02-{11 + day:02d}\t" + line.replace("\\", "\\\\").replace("\t", "\\t").replace("\n", "\\n"))
for day, cell in enumerate(rows[-1]):
    for slot in cell:
        print(f"free\t2007-02-{11 + day:02d}\t" + slot.replace("～", "\t"))
PY
check week.parsed 0 $?
{
  "$EXPORT" week "$group" 2007-02-11 --end-time | sed 's/\\r//g'
  for d in 11 12 13 14 15 16 17; do "$EXPORT" free "$group" 2007-02-$d | sed "s/^/free\t2007-02-$d\t/"; done
} >"$work/week.export"
check week.lines "$(cat "$work/week.export")" "$(cat "$work/week.page")"
[ "$(grep -c '^free' "$work/week.export")" -gt 0 ] || { echo "FAIL no free slots to compare"; fail=1; }

# Nothing changed: nothing is written, every time stays.
list() { find "$work/東京" "$out" -printf '%p %T@ %s\n' | sort; }
before=$(list)
"$PUBLISH" --to "$out" --from 2007-01 --months 3 "$group" 2>"$work/err"; check again.status 0 $?
check again.tree "$before" "$(list)"
grep -q ": 0 件書き込み、0 件削除$" "$work/err" || { echo "FAIL again.log"; cat "$work/err"; fail=1; }

# A group file named so that it could climb out: it is published inside.
mkdir -p "$work/odd"
cp "$group" "$work/odd/..group"
"$PUBLISH" --to "$work/odd-out" --from 2007-02 --months 1 "$work/odd/..group" 2>/dev/null; check odd.status 0 $?
check odd.tree "%2E" "$(ls "$work/odd-out" | grep -v index.html)"

# Files over the size limit fail as on a full disk: the publish says
# which file, by the name it was to have, and removes what it had half
# built at once, not at the next publish: the watch keeps running.
( trap '' XFSZ; ulimit -S -f 2; exec "$PUBLISH" --watch --to "$work/full" --from 2007-01 --months 3 "$group" ) 2>"$work/full.log" &
pid=$!
wait_for 10 grep -q "変更を待ちます" "$work/full.log"
grep -E "^mirovan-publish: 営業部: ファイルを書けません「$work/full/sales(/[^./][^/]*)+」: File too large$" "$work/full.log" >/dev/null ||
  { echo "FAIL full.message"; cat "$work/full.log"; fail=1; }
check full.leftovers "" "$(find "$work/full" -name '.*')"
# Room again, and one month changed: after a failure the next publish is
# whole, not only that month's.
prlimit --pid $pid --fsize=unlimited:unlimited
cp "$work/東京/sales200702.sch" "$work/feb.sch"
mv "$work/feb.sch" "$work/東京/sales200702.sch"
wait_for 5 test -s "$work/full/sales/M001/2007-01.html"
check full.after "$(cd "$out" && find sales -type f | sort)" "$(cd "$work/full" && find sales -type f | sort)"
kill -TERM $pid; wait $pid; check full.sigterm 0 $?

# Usage: two groups that would share a folder, no --to, a bad month.
"$PUBLISH" --to "$out" "$group" "$work/odd/../東京/sales.group" 2>/dev/null; check clash.status 2 $?
"$PUBLISH" "$group" 2>/dev/null; check noto.status 2 $?
"$PUBLISH" --to "$out" --from 2007-13 "$group" 2>/dev/null; check month.status 2 $?
"$PUBLISH" --to "$out" --from 2007-01 "$work/missing.group" 2>/dev/null; check missing.status 1 $?
exit $fail
