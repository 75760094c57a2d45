#!/usr/bin/env bash
# The published vdir pushed to a real Radicale by vdirsyncer, with the
# configuration the package ships, and read back
# with python3-caldav: every event of the feed is there exactly once, also
# after a second sync; and vdirsyncer subscribed to the feed served by
# nginx finds every event. The servers run on 127.0.0.1, started here and
# stopped at the end.
set -uo pipefail
bin=$MIROVAN_BUILD_DIR/bin
source "$MIROVAN_TEST_SOURCE/tests/export/common.sh"
py=/usr/bin/python3
command -v vdirsyncer >/dev/null && command -v nginx >/dev/null && command -v curl >/dev/null &&
  $py -c 'import radicale, caldav, icalendar' 2>/dev/null || { echo "SKIP: vdirsyncer, radicale, python3-caldav or nginx missing"; exit 77; }
source "$MIROVAN_TEST_SOURCE/tests/publish/nginx.sh"
source "$MIROVAN_TEST_SOURCE/tests/publish/sample.sh"
feed=$out/営業部/M001.ics
vdir=$out/営業部/vdir/M001

# The events of .ics files, sorted, one a line, repeats kept: their UIDs,
# or (for what does not keep the UIDs) their times and summaries.
events() { # events uid|what FILE...
  local key=$1; shift
  $py -c '
import sys
from icalendar import Calendar
for f in sys.argv[2:]:
    for e in Calendar.from_ical(open(f, "rb").read()).walk("VEVENT"):
        print(e["UID"] if sys.argv[1] == "uid" else
              " ".join((e["DTSTART"].to_ical().decode(), e["DTEND"].to_ical().decode(), str(e["SUMMARY"]))))' "$key" "$@" | sort
}
events uid "$feed" >"$work/feed.uids"
events what "$feed" >"$work/feed.what"
[ -s "$work/feed.uids" ] || { echo "FAIL: the feed has no events"; exit 1; }
check feed.unique "$(wc -l <"$work/feed.uids")" "$(sort -u "$work/feed.uids" | wc -l)"

radicale="" nginx=""
trap 'for p in $radicale $nginx; do kill $p 2>/dev/null; wait $p 2>/dev/null; done; rm -rf "$work"' EXIT
port=$(free_port)
$py -m radicale --server-hosts "127.0.0.1:$port" --storage-filesystem-folder "$work/radicale" \
  --auth-type none --logging-level warning 2>"$work/radicale.log" &
radicale=$!
dav=http://127.0.0.1:$port
for _ in $(seq 100); do curl -s -o /dev/null "$dav/" && break; sleep 0.1; done
curl -s -o /dev/null "$dav/" || { echo "FAIL: radicale did not start"; cat "$work/radicale.log"; exit 1; }
# With no authentication any name logs in; its home is made at the first login.
$py -c '
import sys, caldav
c = caldav.DAVClient(sys.argv[1], username="mirovan", password="x")
c.principal().make_calendar(name="M001", cal_id="M001")' "$dav/"; check mkcalendar.status 0 $?
read_back() {
  $py -c '
import sys, caldav
c = caldav.DAVClient(sys.argv[1], username="mirovan", password="x")
for e in caldav.Calendar(client=c, url=sys.argv[1] + "mirovan/M001/").events():
    for v in e.icalendar_instance.walk("VEVENT"):
        print(v["UID"])' "$dav/" | sort
}

start_nginx "$out" || exit 1
mkdir -p "$work/vds/status" "$work/vds/subscribed"
# The push is the example the package ships, pointed at this vdir and
# this Radicale; the subscription is the test's own.
shipped=$MIROVAN_TEST_SOURCE/packaging/publish/vdirsyncer.conf
printf x >"$work/caldav-password"
sed -e "s|^status_path = .*|status_path = \"$work/vds/status/\"|" \
    -e "s|^path = \"/var/lib/mirovan-publish/www/sales/vdir/M001/\"|path = \"$vdir/\"|" \
    -e "s|^url = \"https://caldav.example/user/sales-M001/\"|url = \"$dav/mirovan/M001/\"|" \
    -e "s|/etc/mirovan/caldav-password|$work/caldav-password|" "$shipped" >"$work/vds/config"
for moved in "$work/vds/status/" "$vdir/" "$dav/mirovan/M001/" "$work/caldav-password"; do
  grep -F "\"$moved\"" "$work/vds/config" >/dev/null ||
    { echo "FAIL: $shipped no longer has the line that this test points at $moved"; exit 1; }
done
cat >>"$work/vds/config" <<CONF

[pair subscribe]
a = "feed"
b = "subscribed"
collections = null

[storage feed]
type = "http"
url = "$base/%E5%96%B6%E6%A5%AD%E9%83%A8/M001.ics"

[storage subscribed]
type = "filesystem"
path = "$work/vds/subscribed/"
fileext = ".ics"
CONF
export VDIRSYNCER_CONFIG=$work/vds/config
vds() { vdirsyncer "$@" </dev/null >>"$work/vds/log" 2>&1 || { echo "FAIL: vdirsyncer $*"; cat "$work/vds/log"; fail=1; }; }
vds discover
vds sync

check vdir.events "$(cat "$work/feed.uids")" "$(events uid "$vdir"/*.ics)"
check caldav.events "$(cat "$work/feed.uids")" "$(read_back)"
# vdirsyncer's http storage replaces every UID with a hash of the event.
check subscribed.events "$(cat "$work/feed.what")" "$(events what "$work"/vds/subscribed/*.ics)"
# A second sync with nothing changed adds nothing.
vds sync
check caldav.again "$(cat "$work/feed.uids")" "$(read_back)"
exit $fail
