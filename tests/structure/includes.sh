#!/usr/bin/env bash
# The walls the includes must keep: the program's side includes nothing of
# the view library, the pure libraries nothing of Qt, and the parts of
# support/ include each other one way only, and in the shell only the
# frame and the application include each other.
set -u
src=$MIROVAN_TEST_SOURCE/src
fail=0

# Prints the files under the folders that include a header matching pattern.
including() {
  local pattern=$1
  shift
  grep -rlE "^[[:space:]]*#[[:space:]]*include[[:space:]]*[\"<]$pattern" "$@" | sort
}

# The export's calendar command draws with the view's own page code: it
# alone on the program's side may include the view's headers.
found=$(including 'viewlib/' "$src/program" "$src/export" "$src/publish" "$src/personalformat" \
  "$src/support" "$src/guisupport" "$src/interface" | grep -v "^$src/export/qt/")
if [ -n "$found" ]; then
  echo "FAIL: the program's side includes the view library:"
  echo "$found"
  fail=1
fi

found=$(including 'Q' "$src/support" "$src/personalformat")
if [ -n "$found" ]; then
  echo "FAIL: a pure library includes Qt:"
  echo "$found"
  fail=1
fi

# The parts of support/: each folder below it is one part, each other
# file pair (header and source) one. tsort finds any circle among them.
part() {
  local path=${1#support/}
  case $path in
  */*) echo "support/${path%%/*}" ;;
  *) echo "support/${path%.*}" ;;
  esac
}
edges=$(cd "$src" && find support -name '*.h' -o -name '*.cpp' -o -name '*.h.in' | sort | while read -r file; do
  from=$(part "$file")
  sed -nE 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"(support\/[^"]+)".*/\1/p' "$file" | while read -r header; do
    to=$(part "$header")
    [ "$from" = "$to" ] || echo "$from $to"
  done
done)
if ! loops=$(echo "$edges" | tsort 2>&1 >/dev/null) || [ -n "$loops" ]; then
  echo "FAIL: support/ includes in a circle:"
  echo "$loops"
  echo "$edges" | sort -u
  fail=1
fi

# The shell's parts: a header and its source are one part. The frame and
# the application own each other; every other part asks them through a
# small interface, so no other circle may pass through them or elsewhere.
# Each direction of the pair is left out in turn: a longer circle needs
# one of the two arrows and shows in the run that keeps it.
shell=$(cd "$src" && find program/shell -name '*.h' -o -name '*.cpp' | sort | while read -r file; do
  from=$(basename "${file%.*}")
  sed -nE 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"program\/shell\/([^"]+)\.h".*/\1/p' "$file" | while read -r to; do
    [ "$from" = "$to" ] || echo "$from $to"
  done
done)
if [ -z "$shell" ]; then
  echo "FAIL: no includes found among program/shell/"
  fail=1
fi
for pair in "CMainFrame CShellApp" "CShellApp CMainFrame"; do
  if ! loops=$(echo "$shell" | grep -vxF "$pair" | tsort 2>&1 >/dev/null) || [ -n "$loops" ]; then
    echo "FAIL: program/shell/ includes in a circle other than CMainFrame <-> CShellApp:"
    echo "$loops"
    fail=1
  fi
done

exit $fail
