#!/usr/bin/env bash
# The project's version (CMakeLists.txt) is the one the package's texts show.
set -uo pipefail
source "$MIROVAN_TEST_SOURCE/tests/export/common.sh"
build=$MIROVAN_BUILD_DIR
metainfo=$(grep -o '<release version="[^"]*"' "$build/packaging/io.github.mirovan.Mirovan.metainfo.xml")
check metainfo "<release version=\"$MIROVAN_VERSION\"" "$metainfo"
grep -rn --include=*.json --include=*.xml* --include=*.md -E 'ver(sion)? *[0-9]+\.[0-9]+' "$MIROVAN_TEST_SOURCE/resources" "$MIROVAN_TEST_SOURCE/packaging" \
  && { echo "FAIL a version written into a source file"; fail=1; }
exit $fail
