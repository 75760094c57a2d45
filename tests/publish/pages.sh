#!/usr/bin/env bash
# The published pages rendered by headless Chromium: a month page and a
# week page give screenshots at a phone's and a desktop's width, and the
# month page's rendered text holds every entry of the member's feed that
# starts in that month.
set -uo pipefail
bin=$MIROVAN_BUILD_DIR/bin
source "$MIROVAN_TEST_SOURCE/tests/export/common.sh"
py=/usr/bin/python3
command -v chromium >/dev/null && $py -c 'import icalendar' 2>/dev/null || { echo "SKIP: chromium or python3-icalendar missing"; exit 77; }
source "$MIROVAN_TEST_SOURCE/tests/publish/sample.sh"
month=$out/営業部/M001/2007-02.html
week=$out/営業部/week/2007-02-11.html

chrome() { # its own profile each time; no network, no first-run work
  chromium --headless --no-sandbox --disable-gpu --disable-quic --no-first-run \
    --disable-background-networking --disable-component-update --disable-sync \
    --user-data-dir="$(mktemp -d "$work/profile.XXXXXX")" "$@" 2>>"$work/chromium.log"
}
for page in month week; do
  for width in 360 1280; do
    png=$work/$page-$width.png
    chrome --screenshot="$png" --window-size=$width,800 "file://${!page}" >/dev/null
    [ -s "$png" ] && [ "$(head -c 4 "$png" | tail -c 3)" = PNG ] || { echo "FAIL: no screenshot $page at $width"; tail "$work/chromium.log"; fail=1; }
  done
done

# The text as rendered, entities and tags resolved, against the feed.
chrome --dump-dom "file://$month" >"$work/month.dom"
$py - "$work/month.dom" "$out/営業部/M001.ics" <<'PY' || fail=1
import sys
from html.parser import HTMLParser
from icalendar import Calendar
class Text(HTMLParser):
    def __init__(self):
        super().__init__(); self.parts = []; self.skip = False
    def handle_starttag(self, tag, attrs): self.skip = tag in ("style", "title")
    def handle_endtag(self, tag): self.skip = False
    def handle_data(self, data):
        if not self.skip: self.parts.append(data)
t = Text(); t.feed(open(sys.argv[1], encoding="utf-8").read())
text = "".join(t.parts)
entries = [e for e in Calendar.from_ical(open(sys.argv[2], "rb").read()).walk("VEVENT")
           if e["DTSTART"].dt.strftime("%Y-%m") == "2007-02"]
missing = [str(e[k]) for e in entries for k in ("SUMMARY", "DESCRIPTION") if k in e and str(e[k]) not in text]
if not entries or missing:
    print("FAIL: %d entries, not on the page: %s" % (len(entries), missing)); sys.exit(1)
PY
exit $fail
