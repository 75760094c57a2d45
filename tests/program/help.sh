#!/usr/bin/env bash
# --help and --version of both programs need no display: they answer
# before Qt starts, in Japanese unless the locale names another language.
set -uo pipefail
source "$MIROVAN_TEST_SOURCE/tests/export/common.sh"
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM LC_ALL LC_MESSAGES
bin=$MIROVAN_BUILD_DIR/bin

for program in Mirovan mirovan-export mirovan-publish; do
  for option in --help --version; do
    out=$(LANG=C "$bin/$program" $option 2>"$work/err"); status=$?
    check "$program $option status" 0 "$status"
    check "$program $option stderr" "" "$(cat "$work/err")"
    case $option in
      --version) check "$program --version" "$program $MIROVAN_VERSION" "$out" ;;
      --help)
        check "$program --help heading" "書式:" "$(head -1 <<<"$out")"
        grep -q -- "--version" <<<"$out" || { echo "FAIL $program --help lists no --version"; fail=1; } ;;
    esac
  done
  check "$program --help in English" "SYNOPSIS:" "$(LANG=en_US.UTF-8 "$bin/$program" --help | head -1)"
  check "$program --help in ja_JP" "書式:" "$(LANG=ja_JP.UTF-8 "$bin/$program" --help | head -1)"
done

# The launcher form and the subcommands, as docs/command-line.md and the README give them.
grep -qF 'Mirovan /BYLINK /file:"PATH" /member:CODE' <(LANG=C "$bin/Mirovan" --help) || { echo "FAIL Mirovan --help lacks the launcher form"; fail=1; }
for sub in members month day holidays memos ics calendar; do
  grep -q "^  mirovan-export $sub " <(LANG=C "$bin/mirovan-export" --help) || { echo "FAIL mirovan-export --help lacks $sub"; fail=1; }
done
# A wrong command line shows the synopsis, in the same language as the help.
LANG=C "$bin/mirovan-export" >/dev/null 2>"$work/err"
check "mirovan-export without a command" 2 "$?"
check "usage heading" "書式:" "$(head -1 "$work/err")"
exit $fail
