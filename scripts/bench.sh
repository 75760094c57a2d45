#!/usr/bin/env bash
# Builds the benchmarks in a Release tree and runs them.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/deps.sh"
"$top/scripts/build.sh" "$top/build-release" -DCMAKE_BUILD_TYPE=Release -DMIROVAN_TESTS=OFF
for b in "$top"/build-release/bin/bench_*; do
  echo "== $(basename "$b")"
  "$b" "$@"
done
