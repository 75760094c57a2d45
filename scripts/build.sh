#!/usr/bin/env bash
# build.sh [DIR] [cmake options...]: configures (again when options are
# given) and builds.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
dir=${1:-$top/build}
shift || true
if [ ! -f "$dir/build.ninja" ] || [ $# -gt 0 ]; then
  cmake -S "$top" -B "$dir" -G Ninja "$@" >/dev/null
fi
cmake --build "$dir" --parallel "$(nproc)"
