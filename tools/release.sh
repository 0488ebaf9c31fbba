#!/bin/sh
# Assembles the release folder build/release/java-launcher-VERSION and its
# archive: launcher.exe, the trace capture, the configurator for Windows
# and for Linux, and the README. Run by the build target "release"
# (cmake --build build --target release) or by hand after tools/build.sh.
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
build="${1:-$top/build}"
host="$top/build-host"
version=$(sed -n 's/.*VALUE "ProductVersion", *"\([0-9.]*\)".*/\1/p' "$top/resources/launcher.rc")
name="java-launcher-$version"
out="$build/release/$name"

if [ ! -x "$host/launcher-config" ]; then
  cmake -S "$top/tools/configurator" -B "$host" -DCONFIGURATOR_TESTS=OFF >/dev/null
  cmake --build "$host" --target launcher-config -j"$(nproc)" >/dev/null
fi

rm -rf "$out" "$build/release/$name.tar.gz"
mkdir -p "$out/windows" "$out/linux"
cp "$build/bin/launcher.exe" "$out/"
cp "$build/bin/tracecap.exe" "$build/bin/launcher-config.exe" "$out/windows/"
cp "$host/launcher-config" "$out/linux/"
strip "$out/linux/launcher-config" 2>/dev/null || true
cp "$top/README.md" "$out/README.md"
tar -czf "$build/release/$name.tar.gz" -C "$build/release" "$name"
echo "Release: $out"
echo "Archive: $build/release/$name.tar.gz"
