# Sourced by the export tests: a fresh folder in $work, removed on exit,
# with the home, settings, data and log pointed into it as the C++ tests'
# IsolatedEnvironment does; and the one comparison they all make.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export HOME=$work XDG_CONFIG_HOME=$work/config XDG_CONFIG_DIRS=$work/etc-xdg XDG_DATA_HOME=$work/data TAVRIC_LOG=$work/tavric.log
fail=0
check() { # check NAME EXPECTED ACTUAL
  if [ "$2" != "$3" ]; then echo "FAIL $1: expected [$2] got [$3]"; fail=1; fi
}
# True once COMMAND is, looking every 0.1 s for at most SECONDS.
wait_for() { # wait_for SECONDS COMMAND...
  local until=$((SECONDS + $1)); shift
  while ! "$@"; do [ $SECONDS -lt $until ] || return 1; sleep 0.1; done
}
# Output that cannot be written is told once, with status 1.
to_full() { # to_full NAME COMMAND...
  local name=$1; shift
  "$@" >/dev/full 2>"$work/full.err"; check "$name.full.status" 1 $?
  check "$name.full.message" "mirovan-export: 標準出力 へのｱｸｾｽ中にﾃﾞｨｽｸがいっぱいになりました。" "$(grep -v XDG_RUNTIME_DIR "$work/full.err")"
}
