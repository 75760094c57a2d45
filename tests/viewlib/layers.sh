#!/usr/bin/env bash
# The view library's folders lean one way: printing and the dialogs take
# what they draw and never reach back into the month view, the strings and
# message boxes below them know neither, and the pure folders know no Qt
# folder at all.
set -uo pipefail
src=$MIROVAN_TEST_SOURCE/src/viewlib
fail=0
forbid() { # folder, folders it must not include
  local folder=$1 other hits
  shift
  for other in "$@"; do
    if hits=$(grep -rn "#include \"viewlib/$other/" "$src/$folder"); then
      echo "FAIL $folder/ includes $other/:"
      echo "$hits"
      fail=1
    fi
  done
}
forbid output view
forbid ui view output
for pure in grid layout personal; do forbid "$pure" view output ui; done
# A folder that is gone would make every check above pass.
for folder in grid layout personal output ui view; do
  [ -d "$src/$folder" ] || { echo "FAIL no folder $folder/"; fail=1; }
done
exit $fail
