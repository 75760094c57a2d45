#!/usr/bin/env bash
# Installs what is missing, builds, writes the sample group for this
# month and opens the window on it, on a member with entries, through
# the group scheduler's launcher form. Without a display the window is
# drawn offscreen into a PNG instead.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/deps.sh"
"$top/scripts/build.sh" "$top/build" >/dev/null
bin=$top/build/bin
samples=$top/build/samples
group=$("$bin/mirovan-samplegen" "$samples")
# The sample's first member has entries in every month it writes.
open=(/BYLINK "/file:\"$group\"" /member:M001)

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  shots=$top/build/screenshots
  mkdir -p "$shots"
  echo "No display (\$DISPLAY and \$WAYLAND_DISPLAY are empty): drawing the window offscreen."
  QT_QPA_PLATFORM=offscreen "$bin/Mirovan" --screenshot "$shots/mirovan.png" "${open[@]}"
  echo "The window for $group is in $shots/mirovan.png"
  exit 0
fi
exec "$bin/Mirovan" "${open[@]}"
