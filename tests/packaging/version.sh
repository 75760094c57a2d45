#!/usr/bin/env bash
# The project's version (CMakeLists.txt) is the one the package's texts show.
set -uo pipefail
source "$MIROVAN_TEST_SOURCE/tests/export/common.sh"
build=$MIROVAN_BUILD_DIR
metainfo=$(grep -o '<release version="[^"]*"' "$build/packaging/io.github.mirovan.Mirovan.metainfo.xml")
check metainfo "<release version=\"$MIROVAN_VERSION\"" "$metainfo"
check changelog "mirovan ($MIROVAN_VERSION-1) unstable; urgency=medium" "$(zcat "$build/packaging/doc/changelog.Debian.gz" | head -1)"
for page in man/man1/Mirovan.1 man/ja/man1/Mirovan.1 man/man1/mirovan-export.1 man/ja/man1/mirovan-export.1 man/man1/mirovan-publish.1 man/ja/man1/mirovan-publish.1; do
  grep -q "^\.TH .* \"Mirovan $MIROVAN_VERSION\"$" <(zcat "$build/packaging/$page.gz") || { echo "FAIL $page: no version $MIROVAN_VERSION"; fail=1; }
done
grep -rn --include=*.json --include=*.xml* --include=*.md -E 'ver(sion)? *[0-9]+\.[0-9]+' "$MIROVAN_TEST_SOURCE/resources" "$MIROVAN_TEST_SOURCE/packaging" \
  && { echo "FAIL a version written into a source file"; fail=1; }
exit $fail
