#!/usr/bin/env bash
# The program binds the view library at run time only: its binary must
# define nothing of the view's code, which would be a second copy of it.
set -u
[ -x "$PROGRAM" ] || { echo "FAIL: no program at $PROGRAM"; exit 1; }
found=$(nm -C --defined-only "$PROGRAM" | grep -F 'mirovan::view::' | head -20)
if [ -n "$found" ]; then
  echo "FAIL: $PROGRAM defines symbols of the view library:"
  echo "$found"
  exit 1
fi
# A binary nm cannot read would pass the grep above unseen.
nm --defined-only "$PROGRAM" | grep main >/dev/null || { echo "FAIL: no symbols read from $PROGRAM"; exit 1; }
exit 0
