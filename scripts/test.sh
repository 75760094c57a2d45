#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: once in the
# normal build and once with address and undefined-behaviour sanitizers
# (skip that with --quick).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/deps.sh"

run() {
  local dir=$1
  shift
  "$top/scripts/build.sh" "$dir" "$@"
  ctest --test-dir "$dir" --output-on-failure -j "$(nproc)"
}

run "$top/build" -DMIROVAN_WERROR=ON
if [ "${1:-}" != "--quick" ]; then
  ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    run "$top/build-asan" -DCMAKE_BUILD_TYPE=Debug -DMIROVAN_SANITIZE=ON -DMIROVAN_BENCH=OFF -DMIROVAN_WERROR=ON
fi
