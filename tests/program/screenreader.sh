#!/usr/bin/env bash
# The real program on a private X display with its own session bus and
# accessibility bus, read by screenreader.py as Orca reads it.
#
# Qt's bridge asks the session bus for org.a11y.Bus and, when that name is
# only activatable (as under dbus-run-session), waits for it to appear and
# stays inactive. So the bus launcher runs before the program, and the
# status it keeps says a screen reader is on.
set -uo pipefail
bin=$MIROVAN_BUILD_DIR/bin
source "$MIROVAN_TEST_SOURCE/tests/export/common.sh"
launcher=/usr/libexec/at-spi-bus-launcher
py=/usr/bin/python3
for tool in Xvfb dbus-daemon dbus-send xdotool $py; do
  command -v $tool >/dev/null || { echo "SKIP: $tool missing"; exit 77; }
done
[ -x $launcher ] && $py -c 'import pyatspi' 2>/dev/null || { echo "SKIP: at-spi2-core or python3-pyatspi missing"; exit 77; }

pids=()
stop() { # newest first: the program before its buses, the display last
  local i
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do kill "${pids[i]}" 2>/dev/null && wait "${pids[i]}" 2>/dev/null; done
  rm -rf "$work"
}
trap stop EXIT
# Waits until a file a child writes to has a line.
first_line() {
  local _
  for _ in $(seq 300); do [ -s "$1" ] && { head -n1 "$1"; return 0; }; sleep 0.1; done
  echo "FAIL: nothing in $1" >&2; return 1
}

export XDG_RUNTIME_DIR=$work/runtime GSETTINGS_BACKEND=memory
mkdir -m 700 "$XDG_RUNTIME_DIR"
Xvfb -displayfd 3 -screen 0 1280x900x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
pids+=($!)
display=$(first_line "$work/display") || exit 1
export DISPLAY=:$display

dbus-daemon --session --nofork --nopidfile --print-address=3 3>"$work/bus" 2>"$work/dbus.log" &
pids+=($!)
DBUS_SESSION_BUS_ADDRESS=$(first_line "$work/bus") || exit 1
export DBUS_SESSION_BUS_ADDRESS

# The launcher starts the accessibility bus (a dbus-daemon of its own, on
# which the registry starts when first asked) and ends it when it ends.
$launcher --launch-immediately 2>"$work/launcher.log" &
pids+=($!)
for _ in $(seq 100); do
  dbus-send --session --dest=org.a11y.Bus --print-reply /org/a11y/bus org.a11y.Bus.GetAddress >/dev/null 2>&1 && break
  sleep 0.1
done
for property in IsEnabled ScreenReaderEnabled; do
  dbus-send --session --dest=org.a11y.Bus --print-reply /org/a11y/bus org.freedesktop.DBus.Properties.Set \
    string:org.a11y.Status string:$property variant:boolean:true >/dev/null || { echo "FAIL: $property not set"; exit 1; }
done

# May 2026: the 4th and 5th holidays, the 6th a substitute one, and five
# days of April in the first week.
year=2026 month=5
group=$("$bin/mirovan-samplegen" "$work/samples" $year-05) || { echo "FAIL: no sample group"; exit 1; }
"$EXPORT" month "$group" $year-05 --member M001 >"$work/month.txt" || { echo "FAIL: mirovan-export month"; exit 1; }
weekday=(日 月 火 水 木 金 土)
# An ordinary day with entries: the first weekday after the holidays that
# has some, its lines as the export prints them.
ordinary=$(awk -F'\t' '$1 >= "2026-05-07" { print substr($1, 9) + 0; exit }' "$work/month.txt")
[ -n "$ordinary" ] || { echo "FAIL: no entries in the sample month"; exit 1; }
lines=$(awk -F'\t' -v d=$(printf '2026-05-%02d' "$ordinary") '$1 == d { printf "、%s", $2 }' "$work/month.txt")
wd=$(date -d "$year-05-$ordinary" +%w)
{
  printf '%s\t%s\n' "$ordinary" "5月${ordinary}日(${weekday[wd]})$lines"
  printf '4\t%s\n' "5月4日(月)、みどりの日…"
  printf '6\t%s\n' "5月6日(水)、振替休日…"
  printf 'first\t%s\n' "4月26日(日)、前月の日"
  printf 'last\t%s\n' "6月6日(土)、翌月の日"
} >"$work/expected.txt"

timeout 180 $py "$MIROVAN_TEST_SOURCE/tests/program/screenreader.py" "$work/pid" $year $month "$work/expected.txt" &
reader=$!
pids+=($reader)
first_line "$work/pid.ready" >/dev/null || exit 1
MIROVAN_NOW=$year-05-13T10:00 QT_QPA_PLATFORM=xcb QT_ACCESSIBILITY=1 QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 \
  "$bin/Mirovan" /BYLINK "/file:\"$group\"" /member:M001 >"$work/program.log" 2>&1 &
program=$!
pids+=($program)
echo $program >"$work/pid"
wait $reader
status=$?
# The program ends as a log-off ends it; in the sanitized build a fault in
# its accessible objects shows here (the leaks of the desktop libraries
# below it are not ours to judge).
kill $program 2>/dev/null
wait $program 2>/dev/null
if grep -q 'ERROR: AddressSanitizer\|runtime error:' "$work/program.log"; then
  echo "FAIL: the sanitizers found a fault"; status=1
fi
[ $status -eq 0 ] || { echo "--- program"; cat "$work/program.log"; echo "--- launcher"; cat "$work/launcher.log"; }
exit $status
