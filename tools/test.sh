#!/bin/sh
# Runs every test: installs what is missing, builds, then runs the Win32
# tests under Wine with a virtual X display (Xvfb) that this script starts
# and stops. Prints ctest's closing summary and exits non-zero on failure.
#
# Extra arguments go to ctest, e.g. tools/test.sh -R Spine
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/tools/setup.sh"
"$top/tools/build.sh"

. "$top/tools/wine-session.sh"
start_wine_session "$top/build"

cd "$top/build"
rm -rf test-screenshots
set +e
ctest --output-on-failure --timeout 180 "$@"
status=$?
set -e
# The GUI tests save the screen as bitmaps; keep them as PNG files.
if [ -d test-screenshots ]; then
  for shot in test-screenshots/*.bmp; do
    [ -e "$shot" ] && convert "$shot" "${shot%.bmp}.png" && rm -f "$shot"
  done
  echo "Screenshots of the dialogs and boxes: $top/build/test-screenshots"
fi
if [ "$status" = 0 ]; then
  echo "All tests passed."
else
  echo "Some tests FAILED (ctest exit code $status)."
fi
exit "$status"
