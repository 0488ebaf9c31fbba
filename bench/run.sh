#!/bin/sh
# Measures the launcher under Wine with the stand-in runtime. RUNS (default
# 15) runs of each measure; medians.
#
# Whole process, as a user feels it (wall time of "wine PROGRAM", taken by
# hyperfine one run at a time, the launcher and the floor program of
# bench/floor alternately, so that both meet the same machine):
#   private runtime  the shipped settings, the private runtime beside the
#                    launcher; the floor starts the same stand-in with the
#                    same command line; once more with PROP_STAY_ALIVE
#                    off, which spares the hidden window that the shipped
#                    setting creates (under Wine the first window of a
#                    process costs tens of milliseconds);
#   three probes     no private runtime, both registered current versions
#                    too old, JAVA_HOME good: three version probes, then
#                    the start; the floor runs the same three probes one
#                    after the other, waiting for each, then the start;
#                    again with PROP_STAY_ALIVE off.
# Inside the launcher (tracecap --timestamps, as the debug strings arrive):
#   start-up  first trace line to the application's "CreateProcess: ";
#   search    "Search for Jre..." to "Jre path: " on the three-probe path.
# Size: the stripped 32-bit launcher.exe.
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
runs=${RUNS:-15}
. "$top/tools/wine-session.sh"
prepare_wine_run

work="$run_build/bench"
rm -rf "$work"
mkdir -p "$work/app/jre/bin" "$work/reg" "$work/old/bin" "$work/good/bin"
bin="$run_build/bin"
image="$top/build/bin/launcher.exe"  # the product, for its size
cp "$bin/tracecap.exe" "$work/"
for dir in app reg; do cp "$bin/launcher.exe" "$bin/bench_floor.exe" "$work/$dir/"; done
for dir in app reg; do
  "$top/build-host/launcher-config" configure "$bin/launcher.exe" "$work/$dir/no-window.exe" \
    --remove PROP_STAY_ALIVE >/dev/null
done
for exe in java.exe javaw.exe; do
  cp "$bin/java_standin.exe" "$work/app/jre/bin/$exe"
  cp "$bin/java_standin.exe" "$work/old/bin/$exe"
  cp "$bin/java_standin.exe" "$work/good/bin/$exe"
done
printf 'version_text=java version "1.4.2_08"\\r\\n\n' >"$work/old/bin/standin.cfg"
win() { winepath -w "$1" 2>/dev/null; }
old=$(win "$work/old")
good=$(win "$work/good")
for root in HKLM HKCU; do
  wine reg add "$root\\SOFTWARE\\JavaSoft\\Java Runtime Environment" /v CurrentVersion /d 1.4 /f >/dev/null 2>&1
  wine reg add "$root\\SOFTWARE\\JavaSoft\\Java Runtime Environment\\1.4" /v JavaHome /d "$old" /f >/dev/null 2>&1
done
trap 'for root in HKLM HKCU; do wine reg delete "$root\\SOFTWARE\\JavaSoft" /f >/dev/null 2>&1 || true; done; stop_wine_session' EXIT

. "$top/bench/timing.sh"

# side_by_side NAME DIR LAUNCHER_COMMAND FLOOR_COMMAND: medians and ratio.
side_by_side() {
  : >"$work/launcher.ms"
  : >"$work/floor.ms"
  wall_ms "$2" "$3" >/dev/null  # warm-up
  wall_ms "$2" "$4" >/dev/null
  i=0
  while [ $i -lt "$runs" ]; do
    wall_ms "$2" "$3" >>"$work/launcher.ms"
    wall_ms "$2" "$4" >>"$work/floor.ms"
    i=$((i + 1))
  done
  l=$(median <"$work/launcher.ms")
  f=$(median <"$work/floor.ms")
  printf '  %-34s launcher %7s ms   floor %7s ms   ratio %s\n' "$1" "$l" "$f" \
    "$(awk -v l="$l" -v f="$f" 'BEGIN { printf "%.2f", l / f }')"
}

# elapsed FILE FIRST LAST: milliseconds between the first lines starting so.
elapsed() {
  awk -v first="$2" -v last="$3" '
    { stamp = substr($1, 2, length($1) - 2) + 0; text = substr($0, index($0, "] ") + 2) }
    start == "" && index(text, first) == 1 { start = stamp }
    start != "" && index(text, last) == 1 { printf "%.1f\n", stamp - start; exit }
  ' "$1"
}

traced_ms() {  # traced_ms DIR FIRST LAST
  i=0
  : >"$work/samples"
  while [ $i -lt "$runs" ]; do
    (cd "$1" && wine "$work/tracecap.exe" --timestamps "$(win "$1")\\launcher.exe" </dev/null >"$work/trace.txt" 2>&1) || true
    elapsed "$work/trace.txt" "$2" "$3" >>"$work/samples"
    i=$((i + 1))
  done
  median <"$work/samples"
}

export JAVA_HOME=
echo "Launcher benchmarks under Wine ($WINEARCH prefix, $(basename "$run_build") build), medians of $runs runs"
echo "Whole process, launcher against the floor program:"
side_by_side "private runtime" "$work/app" "wine launcher.exe" \
  "wine bench_floor.exe '$(win "$work/app/jre/bin/javaw.exe")'"
side_by_side "private runtime, stay-alive off" "$work/app" "wine no-window.exe" \
  "wine bench_floor.exe '$(win "$work/app/jre/bin/javaw.exe")'"
startup=$(traced_ms "$work/app" "Launcher executed" "CreateProcess: ")
JAVA_HOME=$good
side_by_side "three probes (registry, JAVA_HOME)" "$work/reg" "wine launcher.exe" \
  "wine bench_floor.exe '$good\\bin\\javaw.exe' '$old' '$old' '$good'"
side_by_side "three probes, stay-alive off" "$work/reg" "wine no-window.exe" \
  "wine bench_floor.exe '$good\\bin\\javaw.exe' '$old' '$old' '$good'"
search=$(traced_ms "$work/reg" "Search for Jre..." "Jre path: ")
echo "Inside the launcher:"
printf '  %-46s %8s ms\n' "start-up, private runtime (first line to start)" "$startup"
printf '  %-46s %8s ms\n' "search, registry path with 3 probes" "$search"
printf '  %-46s %8s bytes\n' "size of the 32-bit launcher.exe (stripped)" "$(stat -c %s "$image")"
