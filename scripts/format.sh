#!/usr/bin/env bash
# Formats every tracked C++ source in the committed .clang-format style.
set -euo pipefail
cd "$(dirname "$0")/.."
git ls-files -z -- '*.cpp' '*.h' '*.c' | xargs -0 clang-format -i
