#!/bin/sh
# The 32-bit lane's job inside the emulated machine (see run.sh): the
# 32-bit build's Windows test programs under 32-bit Wine, in the prefixes
# made once in the machine's disk, on a virtual display of the guest.
#
# Each test program runs whole, once: one process for all its cases, since
# a process start costs seconds here. The modern search's scenarios run a
# second time in the win64 prefix, where a 32-bit launcher meets both
# registry views and both Program Files folders. The job's arguments
# (run.sh's, in build/lane32/args) are environment settings, NAME=VALUE:
# GTEST_FILTER narrows every program to the cases it names.
set -u
top=$(cd "$(dirname "$0")/../.." && pwd)
build="$top/build"
while IFS= read -r setting; do
  case $setting in [A-Z]*=*) export "$setting" ;; esac
done <"$build/lane32/args"
export WINE_PREFIX_DIR=/opt/wine/win32 WINEDEBUG=-all
# A process start costs a second here: the scenarios that race the
# application against the splash countdown scale their times.
export TEST_TIME_SCALE=4
export BROWSER_RECORD="$build/browser-opened.txt"
install -m 755 "$top/tools/browser-recorder.sh" /usr/local/bin/lane32-browser
. "$top/tools/wine-session.sh"
start_wine_session "$build"
cd "$build"
rm -rf test-screenshots

passed=0 failed=0 failed_programs=""
# run_program PROGRAM PREFIX LANG [ARGUMENTS...]: runs it whole, its output
# going to build/lane32/PROGRAM-PREFIX.out as it comes, for a look from
# outside while it runs.
run_program() {
  program=$1 prefix=$2 lang=$3
  shift 3
  out="$build/lane32/$program-$prefix.out"
  started=$(date +%s)
  echo "== $program ($prefix prefix) =="
  # A bound far above the program's own, so that a hang ends the lane.
  WINEPREFIX=/opt/wine/$prefix WINEARCH=$prefix LANG=$lang timeout 1800 wine "$build/bin/$program.exe" "$@" </dev/null >"$out" 2>&1
  status=$?
  sed 's/\r$//' "$out"
  ok=$(sed -n 's/^\[  PASSED  \] \([0-9]*\) test.*/\1/p' "$out")
  bad=$(sed -n 's/^\[  FAILED  \] \([0-9]*\) test.*, listed below:.*/\1/p' "$out")
  passed=$((passed + ${ok:-0}))
  failed=$((failed + ${bad:-0}))
  if [ $status != 0 ] || [ -z "$ok" ]; then
    failed_programs="$failed_programs
  $program in the $prefix prefix (exit status $status)"
    [ -n "$bad" ] || failed=$((failed + 1))
  fi
  echo "== $program ($prefix prefix): status $status, $(( $(date +%s) - started )) s =="
}

rm -f "$build"/lane32/*.out
for program in base_tests launcher_tests ui_tests fetch_tests discovery_tests process_tests e2e_tests gui_tests; do
  run_program $program win32 C
done
run_program unicode_tests win32 C.UTF-8
# The modern search's scenarios once more in the win64 prefix.
run_program e2e_tests win64 C --gtest_filter="ModernSearch.*"

echo
[ -z "$failed_programs" ] || echo "Programs that failed:$failed_programs"
echo "lane32: $passed passed, $failed failed"
[ -z "$failed_programs" ]
