#!/bin/sh
# Measures the runtime inside the launcher (PROP_IN_PROCESS) against the
# child process, under Wine, with the stand-ins: one private runtime whose
# bin holds the stand-in runtime (javaw.exe, for the child) and the stand-in
# launcher library (jli.dll, inside). The application shows its window at
# once. RUNS (default 21) rounds, the two launchers in turn; medians.
#
# - To the application's first window: both launchers watch the start
#   (PROP_START_CHECK=30), whose trace says when the window is there
#   ("Start check: window shown."), counted from the launcher's first trace
#   line (tracecap --timestamps).
# - Whole process: an application that ends a second after its start; the
#   launcher of the child waits for it (PROP_WAIT_FOR_EXIT), as the one with
#   the runtime inside always does. Wall time of "wine launcher.exe", taken
#   by hyperfine one run at a time.
# - Memory while the application runs: resident and proportional set sizes
#   (RSS and PSS, /proc) of the launcher and its child together against the
#   one process, sampled two seconds after the start; MEMORY_RUNS (default 5)
#   rounds.
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
runs=${RUNS:-21}
memory_runs=${MEMORY_RUNS:-5}
. "$top/tools/wine-session.sh"
prepare_wine_run

work="$run_build/bench-in-process"
bin="$run_build/bin"
jre="$work/app/jre"
rm -rf "$work"
mkdir -p "$jre/bin/server" "$jre/lib"
cp "$bin/java_standin.exe" "$jre/bin/javaw.exe"
cp "$bin/jli_standin.dll" "$jre/bin/jli.dll"
cp "$bin/riched32.dll" "$jre/bin/java.dll"
cp "$bin/riched32.dll" "$jre/bin/server/jvm.dll"
printf -- '-server KNOWN\r\n-client IGNORE\r\n' >"$jre/lib/jvm.cfg"
printf 'JAVA_VERSION="17.0.9"\n' >"$jre/release"
# The watch of the start, and the wait for the end, as each mode has them.
configure() {
  name=$1
  shift
  "$top/build-host/launcher-config" configure "$bin/launcher.exe" "$work/app/$name.exe" "$@" >/dev/null 2>&1
}
configure child-window --set PROP_START_CHECK=30
configure inside-window --set PROP_START_CHECK=30 --in-process
configure child --set PROP_WAIT_FOR_EXIT=on
configure inside --in-process
trap 'sleep 3; stop_wine_session' EXIT

. "$top/bench/timing.sh"

behave() { printf 'window_after_ms=0\nrun_ms=%s\n' "$1" >"$jre/bin/standin.cfg"; }

# window_ms KIND: from the launcher's first trace line to its notice of the
# application's window.
window_ms() {
  (cd "$work/app" && wine "$bin/tracecap.exe" --timestamps "$(winepath -w "$work/app/$1.exe" 2>/dev/null)" \
    </dev/null >"$work/trace.txt" 2>&1) || true
  awk '{ stamp = substr($1, 2, length($1) - 2) + 0; text = substr($0, index($0, "] ") + 2) }
    NR == 1 { start = stamp }
    index(text, "Start check: window shown.") == 1 { printf "%.1f\n", stamp - start; exit }' "$work/trace.txt"
}

# memory_kb KIND: "RSS PSS" in KB of every process of this benchmark's
# folder, two seconds after the launcher's start.
memory_kb() {
  (cd "$work/app" && wine "$(winepath -w "$work/app/$1.exe" 2>/dev/null)" </dev/null >/dev/null 2>&1 &)
  sleep 2
  rss=0
  pss=0
  for pid in $(pgrep -f 'bench-in-process.app'); do
    rss=$((rss + $(awk '/^VmRSS:/ { print $2 }' "/proc/$pid/status" 2>/dev/null || echo 0)))
    pss=$((pss + $(awk '/^Pss:/ { print $2 }' "/proc/$pid/smaps_rollup" 2>/dev/null || echo 0)))
  done
  echo "$rss $pss"
  while pgrep -f 'bench-in-process.app' >/dev/null; do sleep 0.2; done
}

for kind in child inside; do
  : >"$work/$kind.window"
  : >"$work/$kind.whole"
  : >"$work/$kind.rss"
  : >"$work/$kind.pss"
done
behave 1000
wall_ms "$work/app" wine child.exe >/dev/null  # warm-up
wall_ms "$work/app" wine inside.exe >/dev/null
i=0
while [ $i -lt "$runs" ]; do
  for kind in child inside; do
    window_ms $kind-window >>"$work/$kind.window"
    wall_ms "$work/app" wine $kind.exe >>"$work/$kind.whole"
  done
  i=$((i + 1))
done
behave 4000
i=0
while [ $i -lt "$memory_runs" ]; do
  for kind in child inside; do
    memory_kb $kind | {
      read -r rss pss
      echo "$rss" >>"$work/$kind.rss"
      echo "$pss" >>"$work/$kind.pss"
    }
  done
  i=$((i + 1))
done

echo "In-process benchmark under Wine ($WINEARCH prefix, $(basename "$run_build") build), medians of $runs runs" \
  "($memory_runs for memory)"
printf '  %-58s %10s %10s\n' "" "child" "inside"
printf '  %-58s %7s ms %7s ms\n' "to the application's first window" "$(median <"$work/child.window")" \
  "$(median <"$work/inside.window")"
printf '  %-58s %7s ms %7s ms\n' "whole process, an application that ends after 1 s" "$(median <"$work/child.whole")" \
  "$(median <"$work/inside.whole")"
printf '  %-58s %7s KB %7s KB\n' "memory while it runs, resident (RSS), all processes" "$(median <"$work/child.rss")" \
  "$(median <"$work/inside.rss")"
printf '  %-58s %7s KB %7s KB\n' "memory while it runs, proportional (PSS), all processes" "$(median <"$work/child.pss")" \
  "$(median <"$work/inside.pss")"
