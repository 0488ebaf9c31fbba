#!/bin/sh
# Builds everything: the Windows programs in ./build with the i686 cross
# compiler, the configurator for this machine in ./build-host, and the
# private Wine prefix the tests and the demonstration run in.
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
build="$top/build"
host="$top/build-host"
cmake -S "$top" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$top/cmake/toolchain-mingw-i686.cmake" >/dev/null
cmake --build "$build" -j"$(nproc)"
cmake -S "$top/tools/configurator" -B "$host" -DLAUNCHER_IMAGE="$build/bin/launcher.exe" >/dev/null
cmake --build "$host" -j"$(nproc)"
"$top/tools/wine-prefix.sh" "$build/wineprefix"
