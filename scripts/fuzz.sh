#!/usr/bin/env bash
# fuzz.sh [SECONDS]: builds the libFuzzer targets with clang in
# build-fuzz and runs each for SECONDS (30 when not given), starting from
# seeds written by the project's own sample writer and from the files in
# fuzz/corpus/<target>/. Fails on the first crash, leak or abort; the
# input that caused it is left in build-fuzz/findings/.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/deps.sh"
seconds=${1:-30}
dir=$top/build-fuzz
targets=(fuzz_group fuzz_hive fuzz_personal fuzz_schedule)

CC=clang CXX=clang++ "$top/scripts/build.sh" "$dir" \
  -DMIROVAN_FUZZ=ON -DMIROVAN_TESTS=OFF -DMIROVAN_BENCH=OFF -DMIROVAN_WERROR=ON

# Seeds in the formats the targets read, fresh from the writer each run.
samples=$dir/samples
rm -rf "$samples"
"$dir/bin/mirovan-samplegen" "$samples" 2007-02 >/dev/null
seed() { # seed TARGET FILE...
  local target=$1
  shift
  mkdir -p "$dir/corpus/$target"
  cp "$@" "$dir/corpus/$target/"
}
seed fuzz_group "$samples"/*.group
seed fuzz_schedule "$samples"/*.sch
seed fuzz_personal "$samples"/*.mvp
mkdir -p "$dir/corpus/fuzz_hive" "$dir/findings"

for target in "${targets[@]}"; do
  echo "== $target, ${seconds}s"
  corpora=("$dir/corpus/$target")
  [ -d "$top/fuzz/corpus/$target" ] && corpora+=("$top/fuzz/corpus/$target")
  "$dir/bin/$target" -max_total_time="$seconds" -print_final_stats=1 \
    -artifact_prefix="$dir/findings/$target-" "${corpora[@]}"
done
