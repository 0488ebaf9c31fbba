#!/bin/sh
# Builds everything: the Windows programs in ./build with the i686 cross
# compiler, the configurator for this machine in ./build-host, and the
# private Wine prefix the tests and the demonstration run in. On a machine
# that cannot run 32-bit Wine (see tools/wine-arch.sh) the Windows programs
# are also built for 64-bit Windows in ./build-x64, where they run.
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
. "$top/tools/wine-arch.sh"
build="$top/build"
host="$top/build-host"
run_build=$(wine_build_dir "$top")
# The 32-bit tests are of no use where they cannot run.
[ "$run_build" = "$build" ] && testing=ON || testing=OFF
cmake -S "$top" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$top/cmake/toolchain-mingw-i686.cmake" \
  -DBUILD_TESTING=$testing >/dev/null
cmake --build "$build" -j"$(nproc)"
cmake -S "$top/tools/configurator" -B "$host" -DLAUNCHER_IMAGE="$build/bin/launcher.exe" >/dev/null
cmake --build "$host" -j"$(nproc)"
if [ "$run_build" != "$build" ]; then
  echo "This machine cannot run 32-bit Wine: building the 64-bit test bed in $run_build."
  # Its image checks look at the product, the 32-bit launcher.
  cmake -S "$top" -B "$run_build" -DCMAKE_TOOLCHAIN_FILE="$top/cmake/toolchain-mingw-x86_64.cmake" \
    -DPRODUCT_IMAGE="$build/bin/launcher.exe" >/dev/null
  cmake --build "$run_build" -j"$(nproc)"
fi
"$top/tools/wine-prefix.sh" "$run_build"
# A tested 32-bit tree also runs its registry scenarios in a 64-bit prefix.
if [ "$run_build" = "$build" ]; then "$top/tools/wine-prefix.sh" "$run_build" win64; fi
