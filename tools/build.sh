#!/bin/sh
# Configures and builds everything in ./build with the i686 cross compiler,
# and makes the private Wine prefix the tests and the demonstration run in.
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
build="$top/build"
cmake -S "$top" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$top/cmake/toolchain-mingw-i686.cmake" >/dev/null
cmake --build "$build" -j"$(nproc)"
"$top/tools/wine-prefix.sh" "$build/wineprefix"
