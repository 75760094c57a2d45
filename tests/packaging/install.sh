#!/usr/bin/env bash
# The build installed to a fresh prefix runs from there: the program
# binds its view library and both deliverables read the installed
# Holiday.txt, with nothing of the build folder on their paths.
set -uo pipefail
source "$MIROVAN_TEST_SOURCE/tests/export/common.sh"
prefix=$work/some/prefix
cmake --install "$MIROVAN_BUILD_DIR" --prefix "$prefix" >"$work/install.log" 2>&1 || { cat "$work/install.log"; exit 1; }

# A holiday file of the installed copy's own, told apart from the built-in rules.
printf -- '-h\r\n20230401\r\n' >"$prefix/share/mirovan/Holiday.txt"
check export.holidays "$(printf '2023-04-01\t1')" "$(cd / && "$prefix/bin/mirovan-export" holidays 2023)"

group=$("$MIROVAN_BUILD_DIR/bin/mirovan-samplegen" "$work/samples")
(cd / && QT_QPA_PLATFORM=offscreen "$prefix/bin/Mirovan" --screenshot "$work/shot.png" "$group") >"$work/run.log" 2>&1
status=$?
check program.status 0 "$status"
[ -s "$work/shot.png" ] || { echo "FAIL program: no screenshot"; cat "$work/run.log"; fail=1; }

# Each file type of the MIME description has its own icon, under the type's name.
for type in $(grep -o 'mime-type type="[^"]*"' "$MIROVAN_TEST_SOURCE/packaging/mirovan-mime.xml" | cut -d'"' -f2); do
  for size in 16 32 48 256; do
    [ -s "$prefix/share/icons/hicolor/${size}x$size/mimetypes/${type/\//-}.png" ] || { echo "FAIL no ${size}px icon for $type"; fail=1; }
  done
done
exit $fail
