#!/bin/sh
# Measures what the jar inside the launcher (PROP_JAR_IN_IMAGE) costs a
# start, under Wine: the shipped settings and the stand-in runtime as the
# private runtime, the launcher with a 4 MB jar embedded and the same
# launcher with the jar beside it, one run of each in turn. RUNS (default
# 21) rounds; medians.
#
# Whole process: the wall time of "wine App.exe", taken by hyperfine one run
# at a time. Inside the launcher (tracecap --timestamps): the check that the
# zip's end record reaches the file's end, from "Jar in image: " to the
# next line.
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
runs=${RUNS:-21}
. "$top/tools/wine-session.sh"
prepare_wine_run

work="$run_build/bench-jar-in-image"
bin="$run_build/bin"
rm -rf "$work"
mkdir -p "$work/app/jre/bin"
python3 - "$work/app.jar" <<'PY'
import os, sys, zipfile
with zipfile.ZipFile(sys.argv[1], "w") as jar:
    jar.writestr("META-INF/MANIFEST.MF", "Manifest-Version: 1.0\r\nMain-Class: App\r\n\r\n", zipfile.ZIP_DEFLATED)
    jar.writestr("data.bin", os.urandom(4 << 20), zipfile.ZIP_STORED)
PY
"$top/build-host/launcher-config" configure "$bin/launcher.exe" "$work/app/inside.exe" \
  --embed-jar "$work/app.jar" >/dev/null 2>&1
"$top/build-host/launcher-config" configure "$bin/launcher.exe" "$work/app/beside.exe" \
  --set PROP_START_JAR=app.jar >/dev/null 2>&1
cp "$work/app.jar" "$work/app/app.jar"
cp "$bin/java_standin.exe" "$work/app/jre/bin/javaw.exe"
trap 'sleep 1; stop_wine_session' EXIT

. "$top/bench/timing.sh"

check_ms() {
  (cd "$work/app" && wine "$bin/tracecap.exe" --timestamps "$(winepath -w "$work/app/inside.exe" 2>/dev/null)" \
    </dev/null >"$work/trace.txt" 2>&1) || true
  awk '{ stamp = substr($1, 2, length($1) - 2) + 0; text = substr($0, index($0, "] ") + 2) }
    found { printf "%.1f\n", stamp - start; exit }
    index(text, "Jar in image: ") == 1 { start = stamp; found = 1 }' "$work/trace.txt"
}

: >"$work/beside.ms"
: >"$work/inside.ms"
: >"$work/check.ms"
wall_ms "$work/app" wine beside.exe >/dev/null  # warm-up
wall_ms "$work/app" wine inside.exe >/dev/null
i=0
while [ $i -lt "$runs" ]; do
  wall_ms "$work/app" wine beside.exe >>"$work/beside.ms"
  wall_ms "$work/app" wine inside.exe >>"$work/inside.ms"
  check_ms >>"$work/check.ms"
  i=$((i + 1))
done

echo "Jar in image benchmark under Wine ($WINEARCH prefix, $(basename "$run_build") build), medians of $runs runs"
printf '  %-52s %8s ms\n' "whole process, the jar beside the launcher" "$(median <"$work/beside.ms")"
printf '  %-52s %8s ms\n' "whole process, the jar inside (4 MB)" "$(median <"$work/inside.ms")"
printf '  %-52s %8s ms\n' "inside: the end record's check" "$(median <"$work/check.ms")"
