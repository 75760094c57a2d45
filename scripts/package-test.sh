#!/usr/bin/env bash
# Builds the Debian package, checks it with lintian, installs it with
# apt-get as a user would, checks the desktop files, runs the installed
# program offscreen on the sample group and the installed mirovan-export,
# then removes it again.
# Needs root (CI runs as root on a fresh Debian 12).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
dir=$top/build-package
"$top/scripts/build.sh" "$dir" -DCMAKE_BUILD_TYPE=Release -DMIROVAN_TESTS=OFF -DMIROVAN_BENCH=OFF >/dev/null
(cd "$dir" && rm -f mirovan_*.deb && cpack -G DEB >/dev/null)
deb=$(ls "$dir"/mirovan_*.deb)
echo "Package: $deb"
dpkg-deb -f "$deb" Depends
# Debian's own checker, as strict as the archive: no errors, no warnings.
lintian --fail-on error,warning --tag-display-limit 0 "$deb"

desktop-file-validate "$top/packaging/io.github.mirovan.Mirovan.desktop"
appstreamcli validate --no-net "$dir/packaging/io.github.mirovan.Mirovan.metainfo.xml"

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get install -y -qq "$deb" >/dev/null
work=$(mktemp -d)
trap 'rm -rf "$work"; $sudo apt-get remove -y -qq mirovan >/dev/null' EXIT
export HOME=$work XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data TAVRIC_LOG=$work/tavric.log
group=$("$dir/bin/mirovan-samplegen" "$work/samples")

# The file manager's view: .group is Mirovan's.
type=$(xdg-mime query filetype "$group" 2>/dev/null || true)
default=$(xdg-mime query default application/x-tillbrook-group 2>/dev/null || true)
echo "File type: $type; opened by: $default"
[ "$type" = application/x-tillbrook-group ] || { echo "FAIL: .group is not recognised as a Tillbrook group"; exit 1; }
[ "$default" = io.github.mirovan.Mirovan.desktop ] || { echo "FAIL: .group does not open Mirovan"; exit 1; }

mkdir -p "$top/build/screenshots"
shot=$top/build/screenshots/installed.png
(cd / && QT_QPA_PLATFORM=offscreen /usr/bin/Mirovan --screenshot "$shot" "$group")
[ -s "$shot" ] || { echo "FAIL: the installed program drew nothing"; exit 1; }
echo "Installed program drawn into $shot"
(unset DISPLAY QT_QPA_PLATFORM; /usr/bin/Mirovan --version && /usr/bin/mirovan-export --version)
for page in /usr/share/man/man1/Mirovan.1.gz /usr/share/man/ja/man1/mirovan-export.1.gz; do
  [ -s "$page" ] || { echo "FAIL: no manual page $page"; exit 1; }
done
# The publish service: installed whole, and not enabled by the package.
[ -f /etc/default/mirovan-publish ] || { echo "FAIL: no /etc/default/mirovan-publish"; exit 1; }
verify=$(systemd-analyze verify /lib/systemd/system/mirovan-publish.service 2>&1)
[ -z "$verify" ] || { echo "FAIL: the installed service: $verify"; exit 1; }
enabled=$(systemctl is-enabled mirovan-publish 2>&1 || true)
[ "$enabled" = disabled ] || { echo "FAIL: mirovan-publish.service is [$enabled], not disabled"; exit 1; }
/usr/bin/mirovan-export members "$group"
/usr/bin/mirovan-export holidays 2024 | head -3
echo "Package test passed"
