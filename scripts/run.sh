#!/usr/bin/env bash
# Installs what is missing, builds, writes the sample group for this
# month and shows it with mirovan-export.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/deps.sh"
"$top/scripts/build.sh" "$top/build" >/dev/null
bin=$top/build/bin
samples=$top/build/samples
group=$("$bin/mirovan-samplegen" "$samples")
month=$(date +%Y-%m)

echo "== Members of $group"
"$bin/mirovan-export" members "$group"
echo
echo "== $month for member M001 (佐藤 一郎)"
"$bin/mirovan-export" month "$group" "$month" --member M001 --end-time
echo
echo "== Holidays $(date +%Y)"
"$bin/mirovan-export" holidays "$(date +%Y)"
echo
echo "== Personal memos $month ($samples/calendar.mvp)"
"$bin/mirovan-export" memos "$samples/calendar.mvp" "$month"
