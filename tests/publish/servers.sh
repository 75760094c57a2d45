#!/usr/bin/env bash
# The published folder served by a real nginx on 127.0.0.1 with the site
# the package ships, started here and stopped at the end: a feed fetched with curl parses with
# python3-icalendar and is the file's bytes, a publish that changes
# nothing gives 304 to a conditional request, and the pages (month, week,
# lists) pass tidy.
set -uo pipefail
bin=$MIROVAN_BUILD_DIR/bin
source "$MIROVAN_TEST_SOURCE/tests/export/common.sh"
command -v nginx >/dev/null && command -v curl >/dev/null && command -v tidy >/dev/null || { echo "SKIP: nginx, curl or tidy missing"; exit 77; }
source "$MIROVAN_TEST_SOURCE/tests/publish/sample.sh"

source "$MIROVAN_TEST_SOURCE/tests/publish/nginx.sh"
nginx=""
trap '[ -n "$nginx" ] && { kill $nginx 2>/dev/null; wait $nginx 2>/dev/null; }; rm -rf "$work"' EXIT
start_nginx "$out" || exit 1

# The group's page, found from the index by its link, names the feed.
groupHref=$(curl -sf "$base/index.html" | grep -o 'href="[^"]*/index.html"' | head -1 | sed 's/href="//; s/"$//')
check group.href "%E5%96%B6%E6%A5%AD%E9%83%A8/index.html" "$groupHref"
curl -sf "$base/$groupHref" | grep 'href="M001.ics"' >/dev/null || { echo "FAIL: the group page has no feed link"; fail=1; }
feed=$base/%E5%96%B6%E6%A5%AD%E9%83%A8/M001.ics
curl -sf -D "$work/headers" -o "$work/M001.ics" "$feed"; check fetch.status 0 $?
grep -qi '^content-type: text/calendar; charset=utf-8' "$work/headers" || { echo "FAIL content type"; cat "$work/headers"; fail=1; }
cmp -s "$work/M001.ics" "$out/営業部/M001.ics" || { echo "FAIL: the served feed differs"; fail=1; }
# Clients are told to ask again each time, cheaply with the ETag.
grep -qi '^cache-control: no-cache' "$work/headers" || { echo "FAIL cache control"; cat "$work/headers"; fail=1; }
# A publish's temporary files and unfinished folders (dot names) are
# never served.
echo partial >"$out/営業部/.M001.ics.99.tmp"
check temporary.refused 403 "$(curl -s -o /dev/null -w '%{http_code}' "$base/%E5%96%B6%E6%A5%AD%E9%83%A8/.M001.ics.99.tmp")"
rm "$out/営業部/.M001.ics.99.tmp"
events=$(/usr/bin/python3 -c '
import sys
from icalendar import Calendar
cal = Calendar.from_ical(open(sys.argv[1], "rb").read())
print(len(cal.walk("VEVENT")))' "$work/M001.ics")
check parsed.events "$(grep -c '^BEGIN:VEVENT' "$out/営業部/M001.ics")" "$events"
[ "$events" -gt 0 ] || { echo "FAIL: no events"; fail=1; }

# Nothing changed: the ETag stays valid.
etag=$(grep -i '^etag:' "$work/headers" | cut -d' ' -f2 | tr -d '\r')
"$PUBLISH" --to "$out" --from 2007-01 --months 3 "$work/東京/営業部.group" 2>/dev/null
check not.modified 304 "$(curl -s -o /dev/null -w '%{http_code}' -H "If-None-Match: $etag" "$feed")"

# The pages are valid HTML.
for page in index.html 営業部/index.html 営業部/M001/2007-02.html 営業部/week/2007-02-11.html 営業部/week/2006-12-31.html; do
  tidy -q -e -utf8 "$out/$page" >"$work/tidy" 2>&1
  [ $? -lt 2 ] || { echo "FAIL tidy $page"; cat "$work/tidy"; fail=1; }
done
exit $fail
