#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need; installs
# only what is missing, so running it again does nothing.
set -euo pipefail

packages=(
  g++ cmake ninja-build pkg-config dpkg-dev file
  libgtest-dev libgmock-dev libbenchmark-dev
  qt6-base-dev qt6-base-dev-tools libgl-dev
  qt6-translations-l10n desktop-file-utils appstream xdg-utils libfile-mimeinfo-perl
  fonts-ipafont-gothic fonts-ipafont-mincho
  xvfb xauth poppler-utils lintian
  dbus-daemon dbus-bin at-spi2-core python3-pyatspi xdotool
  libical-dev python3-icalendar
  nginx-light tidy curl vdirsyncer radicale python3-caldav chromium systemd faketime
  clang libclang-rt-14-dev clang-format
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
echo "Installing: ${missing[*]}"
# Servers installed for the tests (nginx, radicale) are started by the tests, on
# 127.0.0.1 only: the package's own start at install is held back.
policy=/usr/sbin/policy-rc.d
made_policy=""
if [ ! -e "$policy" ]; then
  printf '#!/bin/sh\nexit 101\n' | $sudo tee "$policy" >/dev/null
  $sudo chmod 755 "$policy"
  made_policy=1
fi
trap '[ -n "$made_policy" ] && $sudo rm -f "$policy"' EXIT
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
