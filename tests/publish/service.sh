#!/usr/bin/env bash
# The service the package ships, run as systemd runs it: the unit passes
# systemd-analyze; its ExecStart, with the shipped /etc/default file set
# to the sample group and a folder, publishes as an unprivileged user
# (when the test is root) files the web server's user may read, keeps
# watching, and ends cleanly on SIGTERM; with no group set it stops with
# a usage error that the unit does not restart every 30 seconds.
set -uo pipefail
bin=$MIROVAN_BUILD_DIR/bin
source "$MIROVAN_TEST_SOURCE/tests/export/common.sh"
command -v systemd-analyze >/dev/null || { echo "SKIP: systemd-analyze missing"; exit 77; }
unit=$MIROVAN_TEST_SOURCE/packaging/publish/mirovan-publish.service
shipped=$MIROVAN_TEST_SOURCE/packaging/publish/mirovan-publish.default
chmod 755 "$work"

# The unit as installed, with the binary of this build.
exec_line=$(sed -n 's/^ExecStart=//p' "$unit")
case $exec_line in /usr/bin/mirovan-publish\ *) ;; *) echo "FAIL: ExecStart is [$exec_line]"; exit 1 ;; esac
mkdir -p "$work/unit"
sed "s|^ExecStart=/usr/bin/mirovan-publish |ExecStart=$PUBLISH |" "$unit" >"$work/unit/mirovan-publish.service"
MANPATH=$MIROVAN_BUILD_DIR/packaging/man systemd-analyze verify "$work/unit/mirovan-publish.service" >"$work/verify" 2>&1
check verify.status 0 $?
check verify.says "" "$(cat "$work/verify")"

# systemd's expansion: ${NAME} is one word, $NAME splits at spaces.
command=${exec_line/\/usr\/bin\/mirovan-publish/\"\$PUBLISH\"}
command=$(sed -E 's/\$\{([A-Z_]+)\}/"$\1"/g' <<<"$command")
run_unit() { # run_unit ENVIRONMENT-FILE: the service's process, in the background
  local as=()
  [ "$(id -u)" = 0 ] && as=(setpriv --reuid=nobody --regid=nogroup --clear-groups)
  "${as[@]}" env HOME="$state" bash -c 'set -f; set -a; . "$0"; set +a; umask "$1"; eval exec "$2"' \
    "$1" "$(sed -n 's/^UMask=//p' "$unit")" "$command" 2>"$work/log" &
  pid=$!
}
state=$work/state
mkdir -p "$state"
[ "$(id -u)" = 0 ] && chown nobody:nogroup "$state"

export MIROVAN_NOW=2007-02-15T10:00
group=$("$bin/mirovan-samplegen" "$work/shared" 2007-02)
chmod -R a+rX "$work/shared"
sed -e "s|^MIROVAN_GROUPS=\"\"|MIROVAN_GROUPS=\"$group\"|" \
    -e "s|^MIROVAN_PUBLISH_DIR=/var/lib/mirovan-publish/www$|MIROVAN_PUBLISH_DIR=$state/www|" "$shipped" >"$work/default"
grep -Fx "MIROVAN_GROUPS=\"$group\"" "$work/default" >/dev/null && grep -Fx "MIROVAN_PUBLISH_DIR=$state/www" "$work/default" >/dev/null ||
  { echo "FAIL: $shipped no longer has the lines an office sets"; exit 1; }

pid=""
trap '[ -n "$pid" ] && kill $pid 2>/dev/null; rm -rf "$work"' EXIT
run_unit "$work/default"
wait_for 20 grep -q "変更を待ちます" "$work/log" || { echo "FAIL: the service did not start watching"; cat "$work/log"; exit 1; }
feed=$state/www/sales/M001.ics
check feed.bytes "$("$EXPORT" ics "$group" --member M001 --from 2007-01 --months 14)" "$(cat "$feed")"
# nginx's workers run as another user.
check feed.mode 644 "$(stat -c %a "$feed")"
check folder.mode 755 "$(stat -c %a "$state/www/sales/vdir/M001")"
[ "$(id -u)" = 0 ] && check feed.owner nobody "$(stat -c %U "$feed")"
kill -TERM $pid
wait $pid; check sigterm.status 0 $?
pid=""

# As installed: no group yet.
sed "s|^MIROVAN_PUBLISH_DIR=.*|MIROVAN_PUBLISH_DIR=$state/www|" "$shipped" >"$work/default"
run_unit "$work/default"
wait $pid; status=$?
pid=""
check unset.status 2 $status
grep "グループファイルを指定してください" "$work/log" >/dev/null || { echo "FAIL: no reason given"; cat "$work/log"; fail=1; }
prevent=" $(sed -n 's/^RestartPreventExitStatus=//p' "$unit") "
[[ $prevent == *" $status "* ]] || { echo "FAIL: the unit restarts a usage error ($status) forever"; fail=1; }
exit $fail
