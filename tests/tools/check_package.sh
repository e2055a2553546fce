#!/usr/bin/env bash
# Builds the Debian package of a build into a scratch folder and has lintian check it: no error and
# no warning, and the changelog, copyright file and manual pages where Debian wants them.
# Usage: check_package.sh BUILD_DIR
set -euo pipefail
build=$1
out=$(mktemp -d /tmp/palvorin-package-XXXXXX)
trap 'rm -rf "$out"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cpack --config "$build/CPackConfig.cmake" -G DEB -B "$out" >/dev/null
deb=$(ls "$out"/palvorin_*.deb)
contents=$(dpkg-deb --contents "$deb")
for f in ./usr/share/doc/palvorin/changelog.gz ./usr/share/doc/palvorin/copyright \
         ./usr/share/man/man1/palvorin.1.gz ./usr/share/man/man1/palvorin-export.1.gz; do
  grep -q " $f\$" <<<"$contents" || fail "$f is not in the package"
done
report=$(lintian --fail-on error,warning "$deb" 2>&1) || fail "lintian: $report"
if grep -E '^(E|W): ' <<<"$report"; then fail "lintian: $report"; fi
echo "package OK${report:+ (lintian notes: $(wc -l <<<"$report"))}"
