#!/bin/sh
# Assembles the release folder java-launcher-VERSION and its two archives,
# a .tar.gz and a .zip, with a SHA256SUMS file for both: launcher.exe (32-bit)
# and launcher-x64.exe (64-bit), the trace capture, the configurator for
# Windows and for Linux, the README and its docs/ pages with their pictures
# (the README's links hold inside the archive).
# Run by the build target "release" (cmake --build build --target release)
# or by hand after tools/build.sh:
#
#   tools/release.sh [BUILD_DIR [OUT_DIR]]    (default: build, BUILD_DIR/release)
#
# The 64-bit launcher comes from build-x64 beside BUILD_DIR (X64_BUILD_DIR
# names another).
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
build="${1:-$top/build}"
release="${2:-$build/release}"
host="$top/build-host"
x64="${X64_BUILD_DIR:-$(dirname "$build")/build-x64}"
[ -f "$x64/bin/launcher.exe" ] || { echo "release.sh: no 64-bit launcher in $x64 (tools/build.sh builds it)" >&2; exit 1; }
version=$(sed -n 's/.*VALUE "ProductVersion", *"\([0-9.]*\)".*/\1/p' "$top/resources/launcher.rc")
name="java-launcher-$version"
out="$release/$name"

if [ ! -x "$host/launcher-config" ]; then
  cmake -S "$top/configurator" -B "$host" -DCONFIGURATOR_TESTS=OFF >/dev/null
  cmake --build "$host" --target launcher-config -j"$(nproc)" >/dev/null
fi

rm -rf "$out" "$release/$name.tar.gz" "$release/$name.zip" "$release/SHA256SUMS"
mkdir -p "$out/windows" "$out/linux"
cp "$build/bin/launcher.exe" "$out/"
cp "$x64/bin/launcher.exe" "$out/launcher-x64.exe"
cp "$build/bin/tracecap.exe" "$build/bin/launcher-config.exe" "$out/windows/"
cp "$host/launcher-config" "$out/linux/"
strip "$out/linux/launcher-config" 2>/dev/null || true
cp "$top/README.md" "$out/README.md"
cp -R "$top/docs" "$out/docs"
tar -czf "$release/$name.tar.gz" -C "$release" "$name"
# Windows users expect a .zip; it keeps the Linux configurator executable.
(cd "$release" && zip -qrX "$name.zip" "$name")
(cd "$release" && sha256sum "$name.tar.gz" "$name.zip" >SHA256SUMS)
echo "Release: $out"
echo "Archives: $release/$name.tar.gz, $release/$name.zip"
echo "Checksums: $release/SHA256SUMS"
