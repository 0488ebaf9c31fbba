#!/bin/sh
# Starts the launcher STRESS_RUNS times (default 1000) under Wine on the
# common path, as a user would: the shipped settings, the stand-in runtime
# as the private runtime beside it, no arguments (STRESS_ARGS adds some,
# e.g. -Xdebug). Counts the endings that are not exit code 0; a launcher
# killed by a signal shows as 128 + the signal's number (139: segmentation
# fault), one that has not ended after STRESS_LIMIT seconds (default 60) as
# a hang. Not a timed test: the figure that counts is the abnormal endings,
# and the goal is none.
#
# The floor program of bench/floor, which starts the same stand-in with the
# same command line and does nothing else, runs as often, alternately: what
# it meets too is Wine's, not the launcher's. An ending in which Wine says
# it could not set up the new process ("failed to map the shared user
# data": the kernel put something where Wine needs its fixed address) is
# counted apart; Wine's own messages of every abnormal run are kept in
# build*/stress/.
#
# Unlike the tests, which start Wine without address space randomisation
# (tools/wine-arch.sh), this run keeps it on, as a user's machine has it,
# so that a fault that depends on where things lie can still show:
# STRESS_RANDOMISE=no runs it the tests' way.
#
# STRESS_APP adds lines to the stand-in's configuration (see
# tests/helpers/java_standin.cpp), separated by "|", e.g. "output=x\n|output_repeat=500"
# for an application that prints while the launcher ends.
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
runs=${STRESS_RUNS:-1000}
limit=${STRESS_LIMIT:-60}
. "$top/tools/wine-session.sh"
prepare_wine_run

work="$run_build/stress"
rm -rf "$work"
mkdir -p "$work/app/jre/bin"
cp "$run_build/bin/launcher.exe" "$run_build/bin/bench_floor.exe" "$work/app/"
cp "$run_build/bin/java_standin.exe" "$work/app/jre/bin/javaw.exe"
printf '%s\n' "${STRESS_APP:-}" | tr '|' '\n' >"$work/app/jre/bin/standin.cfg"
javaw=$(winepath -w "$work/app/jre/bin/javaw.exe" 2>/dev/null)
if [ "${STRESS_RANDOMISE:-yes}" = yes ]; then
  if [ "$WINEARCH" = win64 ]; then
    wine_start="env WINELOADER=/usr/lib/wine/wine64 /usr/lib/wine/wine64"
  else
    wine_start=/usr/bin/wine
  fi
  randomisation=on
else
  wine_start=wine
  randomisation=off
fi

# one NAME RUN COMMAND...: runs it once; notes an abnormal ending.
one() {
  name=$1 run=$2
  shift 2
  set +e
  # Wine's own error messages stay, for the runs that end abnormally.
  # shellcheck disable=SC2086 # STRESS_ARGS holds words
  # shellcheck disable=SC2086 # wine_start holds words
  (cd "$work/app" && WINEDEBUG=err+all timeout -s KILL "$limit" $wine_start "$@" </dev/null >"$work/wine.txt" 2>&1)
  status=$?
  set -e
  [ "$status" -eq 0 ] && return 0
  kind="exit status $status"
  [ "$status" -eq 137 ] && kind="hang (no end within $limit s)"
  grep -q "failed to map the shared user data" "$work/wine.txt" && kind="$kind; Wine could not set up the process"
  echo "$name run $run: $kind" | tee -a "$work/$name.endings"
  cp "$work/wine.txt" "$work/$name-$run.txt"
}

: >"$work/launcher.endings"
: >"$work/floor.endings"
start=$(date +%s)
i=1
while [ $i -le "$runs" ]; do
  # shellcheck disable=SC2086
  one launcher $i launcher.exe ${STRESS_ARGS:-}
  one floor $i bench_floor.exe "$javaw"
  i=$((i + 1))
done
echo "Launcher stress under Wine ($WINEARCH, address space randomisation $randomisation): $runs starts of each in $(( $(date +%s) - start )) s"
failed=0
for name in launcher floor; do
  count=$(wc -l <"$work/$name.endings")
  wine_own=$(grep -c "Wine could not set up" "$work/$name.endings" || true)
  printf '  %-8s abnormal endings: %s (of which Wine could not set up the process: %s)\n' "$name" "$count" "$wine_own"
  [ "$name" = launcher ] && [ "$count" -gt "$wine_own" ] && failed=1
done
exit $failed
