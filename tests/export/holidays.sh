#!/usr/bin/env bash
# mirovan-export holidays with the generated Holiday.txt against the
# reference lists, the choice of the default file, and bad usage.
set -uo pipefail
file=$MIROVAN_BUILD_DIR/bin/Holiday.txt
refs=$MIROVAN_TEST_SOURCE/tests/data/holidays
source "$(dirname "$0")/common.sh"
[ -f "$file" ] || { echo "FAIL: no generated $file"; exit 1; }

# Reference holidays and the file's working days, one date a line.
tail -n +2 "$refs/jp_holidays.csv" "$refs/jp_holidays_predicted_2028_2050.csv" | cut -d, -f1 | grep '^[0-9]' | sort >"$work/ref"
grep -a '^-[0-9]\{8\} ' "$file" | cut -c2-9 | sed 's/\(....\)\(..\)\(..\)/\1-\2-\3/' | sort >"$work/working"

for year in $(seq 1990 2050); do
  "$EXPORT" holidays "$year" --holiday-file "$file" >"$work/out" 2>"$work/err" || { echo "FAIL $year: status $?"; cat "$work/err"; fail=1; }
  check "$year.holidays" "$(grep "^$year-" "$work/ref")" "$(awk -F'\t' '$2 == 1 { print $1 }' "$work/out")"
  check "$year.working" "$(grep "^$year-" "$work/working")" "$(awk -F'\t' '$2 == 2 { print $1 }' "$work/out")"
  check "$year.other" "" "$(awk -F'\t' '$2 != 1 && $2 != 2' "$work/out")"
done

# Without the option: the file beside the program, unless the user has one.
check default.beside "$("$EXPORT" holidays 2023 --holiday-file "$file")" "$("$EXPORT" holidays 2023)"
mkdir -p "$work/config/Tavric"
printf -- '-h\r\n20230401\r\n' >"$work/config/Tavric/Holiday.txt"
check default.own "$(printf '2023-04-01\t1')" "$("$EXPORT" holidays 2023)"

to_full holidays "$EXPORT" holidays 2023
"$EXPORT" holidays 2023 --holiday-file "$work/missing.txt" >"$work/out" 2>"$work/err"; check missing.status 1 $?
check missing.out "" "$(cat "$work/out")"
grep -q 'missing.txt' "$work/err" || { echo "FAIL missing.message"; cat "$work/err"; fail=1; }
"$EXPORT" holidays 2023 --holiday-file "$work" >/dev/null 2>&1; check directory.status 1 $?

"$EXPORT" holidays 100 >/dev/null; check year.100 0 $?
"$EXPORT" holidays 9999 --holiday-file "$file" >/dev/null; check year.9999 0 $?
for bad in 99 10000 0 -2023 20x3 '' 02023; do
  "$EXPORT" holidays "$bad" >/dev/null 2>&1; check "usage.year[$bad]" 2 $?
done
"$EXPORT" holidays >/dev/null 2>&1; check usage.none 2 $?
"$EXPORT" holidays 2023 2024 >/dev/null 2>&1; check usage.two 2 $?
"$EXPORT" holidays 2023 --holiday-file >/dev/null 2>&1; check usage.nofile 2 $?
"$EXPORT" holidays 2023 --bogus >/dev/null 2>&1; check usage.option 2 $?
exit $fail
