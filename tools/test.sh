#!/bin/sh
# Runs every test: installs what is missing, builds, runs the configurator's
# host tests (with a fuzz run of its PE reader under AddressSanitizer), the
# 64-bit launcher's Windows tests under 64-bit Wine, and the 32-bit
# launcher's under 32-bit Wine: here when this machine can start 32-bit
# programs, otherwise in the emulated machine of tools/lane32 (the 32-bit
# lane). Windows get a virtual X display (Xvfb) that this script starts and
# stops. Prints a closing summary; exits non-zero when a test failed.
#
#   tools/test.sh [--no-lane32] [CTEST ARGUMENTS...]
#
# --no-lane32 skips the emulated lane during development (the summary says
# so). Extra arguments go to every ctest run, e.g. tools/test.sh -R Splash
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
lane32=yes
if [ "${1:-}" = --no-lane32 ]; then lane32=no; shift; fi
"$top/tools/setup.sh"
"$top/tools/build.sh"
. "$top/tools/wine-session.sh"

echo "== Host tests (configurator) =="
set +e
(cd "$top/build-host" && ctest --output-on-failure --timeout 300 "$@")
host_status=$?
set -e

# windows_tests BUILD_DIR: the tree's Windows tests under Wine on this machine.
windows_tests() {
  dir=$1
  shift
  start_wine_session "$dir"
  echo "== Windows tests under Wine ($WINEARCH, $(basename "$dir")) =="
  rm -rf "$dir/test-screenshots"
  set +e
  (cd "$dir" && ctest --output-on-failure "$@")
  status=$?
  set -e
  stop_wine_session
  trap - EXIT INT TERM
  return $status
}

# The GUI tests save the screen as bitmaps; keep them as PNG files.
keep_screenshots() {
  [ -d "$1/test-screenshots" ] || return 0
  for shot in "$1"/test-screenshots/*.bmp; do
    [ -e "$shot" ] && convert "$shot" "${shot%.bmp}.png" && rm -f "$shot"
  done
  echo "Screenshots of the windows: $1/test-screenshots"
}

set +e
x64_dir="$top/build-x64"
(windows_tests "$x64_dir" "$@")
x64_status=$?
keep_screenshots "$x64_dir"

lane_note=""
if can_run_32bit_wine; then
  (windows_tests "$top/build" "$@")
  x86_status=$?
  x86_where="under 32-bit Wine on this machine"
elif [ "$lane32" = yes ]; then
  echo "== 32-bit tests: this machine cannot start 32-bit programs; running them in the emulated machine =="
  lane_started=$(date +%s)
  # The lane runs each test program whole; GTEST_FILTER narrows it, ctest's
  # arguments do not reach it.
  "$top/tools/lane32/run.sh" "$top/tools/lane32/guest-tests.sh" ${GTEST_FILTER:+"GTEST_FILTER=$GTEST_FILTER"}
  x86_status=$?
  x86_where="in the emulated machine (tools/lane32), $(( $(date +%s) - lane_started )) s"
else
  x86_status=skipped
  x86_where=""
fi
keep_screenshots "$top/build"
set -e

echo
echo "== Summary =="
report() {  # report NAME STATUS
  case $2 in
    0) echo "$1: passed." ;;
    skipped) echo "$1: NOT RUN (--no-lane32): the 32-bit launcher was not tested." ;;
    *) echo "$1: FAILED (exit code $2)." ;;
  esac
}
report "Host tests" "$host_status"
report "64-bit launcher, Windows tests under 64-bit Wine" "$x64_status"
report "32-bit launcher, Windows tests${x86_where:+ $x86_where}" "$x86_status"
if [ "$host_status" = 0 ] && [ "$x64_status" = 0 ]; then
  case $x86_status in
    0) echo "All tests passed."; exit 0 ;;
    skipped) echo "The tests that ran passed; the 32-bit lane was skipped."; exit 0 ;;
  esac
fi
exit 1
