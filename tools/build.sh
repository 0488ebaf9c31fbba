#!/bin/sh
# Builds everything: the 32-bit launcher (the product) with its tests in
# ./build with the i686 cross compiler, the 64-bit launcher shipped beside
# it with its tests in ./build-x64 with the x86-64 cross compiler, the
# configurator for this machine in ./build-host, the Maven plugin in
# ./build-maven (tools/maven-plugin.sh), and the private Wine prefixes the
# tests and the demonstration run in.
#
# The 32-bit tests run under 32-bit Wine on this machine when it can start
# 32-bit programs; otherwise tools/test.sh runs them in the emulated machine
# of tools/lane32.
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
. "$top/tools/wine-arch.sh"
build="$top/build"
x64="$top/build-x64"
host="$top/build-host"
cmake -S "$top" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$top/cmake/toolchain-mingw-i686.cmake" \
  -DBUILD_TESTING=ON >/dev/null
cmake --build "$build" -j"$(nproc)"
# Its image checks look at both launchers.
cmake -S "$top" -B "$x64" -DCMAKE_TOOLCHAIN_FILE="$top/cmake/toolchain-mingw-x86_64.cmake" \
  -DPRODUCT_IMAGE="$build/bin/launcher.exe" >/dev/null
cmake --build "$x64" -j"$(nproc)"
cmake -S "$top/configurator" -B "$host" -DLAUNCHER_IMAGE="$build/bin/launcher.exe" \
  -DLAUNCHER_IMAGE_X64="$x64/bin/launcher.exe" >/dev/null
cmake --build "$host" -j"$(nproc)"
# The Maven plugin carries the launchers and configurators just built.
"$top/tools/maven-plugin.sh"
"$top/tools/wine-prefix.sh" "$x64"
if can_run_32bit_wine; then
  "$top/tools/wine-prefix.sh" "$build"
  # The 32-bit tree also runs its registry scenarios in a 64-bit prefix.
  "$top/tools/wine-prefix.sh" "$build" win64
fi
