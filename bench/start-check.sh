#!/bin/sh
# Measures what the start check (PROP_START_CHECK) costs a healthy start,
# under Wine: the shipped settings and the stand-in runtime as the private
# runtime, an application that shows its window at once, and the launcher
# with the check (30 seconds) and without it, one run of each in turn.
# RUNS (default 21) rounds; medians.
#
# Whole process: the wall time of "wine launcher.exe", taken by hyperfine
# one run at a time. Without the check the launcher ends right after the
# start; with it, once the application's window is there, so the
# difference is the application's own way to its first window plus the
# launcher's notice of it. Inside the launcher (tracecap --timestamps):
# from the application's "CreateProcess: " to "Start check: window shown.".
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
runs=${RUNS:-21}
. "$top/tools/wine-session.sh"
prepare_wine_run

work="$run_build/bench-start-check"
bin="$run_build/bin"
rm -rf "$work"
mkdir -p "$work/app/jre/bin"
cp "$bin/launcher.exe" "$work/app/without.exe"
"$top/build-host/launcher-config" configure "$bin/launcher.exe" "$work/app/with.exe" \
  --set PROP_START_CHECK=30 >/dev/null
cp "$bin/java_standin.exe" "$work/app/jre/bin/javaw.exe"
printf 'window_after_ms=0\nrun_ms=3000\n' >"$work/app/jre/bin/standin.cfg"
trap 'sleep 3; stop_wine_session' EXIT

. "$top/bench/timing.sh"

# From the application's start to the launcher's notice of its window.
noticed_ms() {
  (cd "$work/app" && wine "$bin/tracecap.exe" --timestamps "$(winepath -w "$work/app/with.exe" 2>/dev/null)" \
    </dev/null >"$work/trace.txt" 2>&1) || true
  awk '{ stamp = substr($1, 2, length($1) - 2) + 0; text = substr($0, index($0, "] ") + 2) }
    index(text, "CreateProcess: ") == 1 { start = stamp }
    index(text, "Start check: window shown.") == 1 { printf "%.1f\n", stamp - start; exit }' "$work/trace.txt"
}

: >"$work/without.ms"
: >"$work/with.ms"
: >"$work/noticed.ms"
wall_ms "$work/app" wine without.exe >/dev/null  # warm-up
wall_ms "$work/app" wine with.exe >/dev/null
i=0
while [ $i -lt "$runs" ]; do
  wall_ms "$work/app" wine without.exe >>"$work/without.ms"
  wall_ms "$work/app" wine with.exe >>"$work/with.ms"
  noticed_ms >>"$work/noticed.ms"
  i=$((i + 1))
done

echo "Start check benchmark under Wine ($WINEARCH prefix, $(basename "$run_build") build), medians of $runs runs"
printf '  %-52s %8s ms\n' "whole process, without PROP_START_CHECK" "$(median <"$work/without.ms")"
printf '  %-52s %8s ms\n' "whole process, PROP_START_CHECK=30" "$(median <"$work/with.ms")"
printf '  %-52s %8s ms\n' "inside: application started to its window noticed" "$(median <"$work/noticed.ms")"
