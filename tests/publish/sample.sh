# Sourced by the publish tests: the sample group as 東京/営業部.group with
# three months, published into $out on 2007-02-15.
export MIROVAN_NOW=2007-02-15T10:00
mkdir -p "$work/東京"
group=$("$bin/mirovan-samplegen" "$work/東京" 2007-02)
cp "$group" "$work/東京/営業部.group"
for m in 01 02 03; do cp "$work/東京/sales2007$m.sch" "$work/東京/営業部2007$m.sch"; done
out=$work/www
"$PUBLISH" --to "$out" --from 2007-01 --months 3 "$work/東京/営業部.group" 2>/dev/null; check publish.status 0 $?
