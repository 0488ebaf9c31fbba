#!/bin/sh
# The release: a .tar.gz and a .zip of the same files, checksums that hold
# for both, a Linux configurator that the zip keeps executable, and the
# README with every docs/ page and picture, its links whole inside the archive.
#
#   release_test.sh BUILD_DIR
set -eu
top=$(cd "$(dirname "$0")/../.." && pwd)
build=$1
work=$(mktemp -d "${TMPDIR:-/tmp}/release-test.XXXXXX")
trap 'rm -rf "$work"' EXIT
fail() { echo "FAILED: $*"; exit 1; }

"$top/tools/release.sh" "$build" "$work/release" >/dev/null
cd "$work/release"
set -- *.tar.gz
name=${1%.tar.gz}
[ -f "$name.zip" ] || fail "no $name.zip"
[ "$(wc -l <SHA256SUMS)" = 2 ] || fail "SHA256SUMS does not list both archives"
sha256sum --quiet -c SHA256SUMS || fail "the checksums do not hold"

tar -tzf "$name.tar.gz" | grep -v '/$' | sort >tar.txt
unzip -Z1 "$name.zip" | grep -v '/$' | sort >zip.txt
cmp -s tar.txt zip.txt || { diff tar.txt zip.txt; fail "the archives hold different files"; }
for file in launcher.exe launcher-x64.exe README.md windows/launcher-config.exe windows/tracecap.exe linux/launcher-config; do
  grep -qx "$name/$file" zip.txt || fail "$file is missing"
done
mkdir unpacked && (cd unpacked && unzip -q "../$name.zip")
# The two launchers by their PE headers' Machine field: x86, then x86-64.
machine() { od -An -tx1 -j$(( $(od -An -tu4 -j60 -N4 "$1") + 4 )) -N2 "$1" | tr -d ' '; }
[ "$(machine "unpacked/$name/launcher.exe")" = 4c01 ] || fail "launcher.exe is not a 32-bit x86 image"
[ "$(machine "unpacked/$name/launcher-x64.exe")" = 6486 ] || fail "launcher-x64.exe is not an x86-64 image"
"unpacked/$name/linux/launcher-config" --help >/dev/null || fail "the zip's Linux configurator does not run"
(cd "$top" && find docs -type f | sort) >docs.txt
(cd "unpacked/$name" && find docs -type f | sort) | cmp -s docs.txt - || fail "the archive's docs/ differs from the source's"
python3 "$top/tests/docs/check_docs.py" "unpacked/$name" || fail "the archive's README or docs pages have broken links"
echo "release archives and checksums: passed"
