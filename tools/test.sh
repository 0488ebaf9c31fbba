#!/bin/sh
# Runs every test: installs what is missing, builds, runs the configurator's
# host tests (with a fuzz run of its PE reader under AddressSanitizer), then
# the Windows tests under Wine with a virtual X display (Xvfb) that this
# script starts and stops. Prints a closing summary; exits non-zero when a
# test failed.
#
# Extra arguments go to both ctest runs, e.g. tools/test.sh -R Splash
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/tools/setup.sh"
"$top/tools/build.sh"
. "$top/tools/wine-session.sh"
run_build=$(wine_build_dir "$top")

echo "== Host tests (configurator) =="
set +e
(cd "$top/build-host" && ctest --output-on-failure --timeout 300 "$@")
host_status=$?
set -e

if [ "$run_build" != "$top/build" ]; then
  echo "NOTE: this machine cannot run 32-bit Wine (its kernel refuses 32-bit programs);"
  echo "      the Windows tests below run the 64-bit build of the same sources"
  echo "      ($run_build) in a 64-bit prefix."
fi

start_wine_session "$run_build"

echo "== Windows tests under Wine ($WINEARCH) =="
cd "$run_build"
rm -rf test-screenshots
set +e
ctest --output-on-failure --timeout 180 "$@"
wine_status=$?
set -e
# The GUI tests save the screen as bitmaps; keep them as PNG files.
if [ -d test-screenshots ]; then
  for shot in test-screenshots/*.bmp; do
    [ -e "$shot" ] && convert "$shot" "${shot%.bmp}.png" && rm -f "$shot"
  done
  echo "Screenshots of the windows: $run_build/test-screenshots"
fi
echo
echo "== Summary =="
[ "$host_status" = 0 ] && echo "Host tests: passed." || echo "Host tests: FAILED (ctest exit code $host_status)."
[ "$wine_status" = 0 ] && echo "Windows tests under Wine ($WINEARCH): passed." || echo "Windows tests under Wine: FAILED (ctest exit code $wine_status)."
if [ "$host_status" = 0 ] && [ "$wine_status" = 0 ]; then
  echo "All tests passed."
  exit 0
fi
exit 1
