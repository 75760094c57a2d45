#!/usr/bin/env bash
# Fails when a tracked C++ source is not in the committed .clang-format
# style; prints the first differences. Run scripts/format.sh to mend.
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -t files < <(git ls-files -- '*.cpp' '*.h' '*.c')
clang-format --dry-run -Werror "${files[@]}"
echo "format: ${#files[@]} files in style"
