#!/bin/sh
# Measures the start with the runtime on demand already installed (two file
# tests before the search: its executable and the mark of a whole runtime)
# against the start with a private runtime, under
# Wine, one run of each in turn. RUNS (default 21) rounds; medians of the
# wall time of "wine launcher.exe", taken by hyperfine one run at a time.
#
#   private:         the shipped settings, the stand-in as jre\bin\javaw.exe
#   per-user:        PROP_RUNTIME_URL, _SHA256, _SIZE set, no private
#                    runtime, the stand-in installed under %LOCALAPPDATA%;
#                    the classic search probes its version, as it does
#                    JAVA_HOME's
#   per-user modern: the same with PROP_MODERN_SEARCH, which reads the
#                    release file instead of probing
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
runs=${RUNS:-21}
. "$top/tools/wine-session.sh"
prepare_wine_run

work="$run_build/bench-runtime-on-demand"
bin="$run_build/bin"
config="$top/build-host/launcher-config"
hash=0123456789abcdef0123456789abcdef0123456789abcdef0123456789abcdef
rm -rf "$work"
mkdir -p "$work/private/jre/bin" "$work/peruser"
cp "$bin/launcher.exe" "$work/private/app.exe"
cp "$bin/java_standin.exe" "$work/private/jre/bin/javaw.exe"
printf 'version_text=java version "17.0.2"\\r\\n\n' >"$work/private/jre/bin/standin.cfg"
set -- --set PROP_RUNTIME_URL=https://example.com/jre.zip --set PROP_RUNTIME_SHA256=$hash \
  --set PROP_RUNTIME_SIZE=1000 --set PROP_RUNTIME_FOLDER=BenchApp
"$config" configure "$bin/launcher.exe" "$work/peruser/app.exe" "$@" >/dev/null 2>&1
"$config" configure "$bin/launcher.exe" "$work/peruser/modern.exe" "$@" --set PROP_MODERN_SEARCH=on >/dev/null 2>&1
local_app_data=$(wine cmd /c echo %LOCALAPPDATA% 2>/dev/null | tr -d '\r')
runtime=$(winepath -u "$local_app_data" 2>/dev/null)/BenchApp/runtime/$(echo $hash | cut -c1-12)
rm -rf "$runtime"
mkdir -p "$runtime/bin"
cp "$bin/java_standin.exe" "$runtime/bin/javaw.exe"
cp "$bin/java_standin.exe" "$runtime/bin/java.exe"
cp "$work/private/jre/bin/standin.cfg" "$runtime/bin/standin.cfg"
printf 'JAVA_VERSION="17.0.2"\n' >"$runtime/release"
# The mark the launcher writes once a runtime is whole in its place.
printf 'sha256 %s\r\nfiles 4\r\n' $hash >"$runtime/.installed"
trap 'rm -rf "$runtime"; sleep 3; stop_wine_session' EXIT

. "$top/bench/timing.sh"

for f in private peruser modern; do : >"$work/$f.ms"; done
wall_ms "$work/private" wine app.exe >/dev/null  # warm-up
wall_ms "$work/peruser" wine app.exe >/dev/null
i=0
while [ $i -lt "$runs" ]; do
  wall_ms "$work/private" wine app.exe >>"$work/private.ms"
  wall_ms "$work/peruser" wine app.exe >>"$work/peruser.ms"
  wall_ms "$work/peruser" wine modern.exe >>"$work/modern.ms"
  i=$((i + 1))
done

echo "Runtime on demand benchmark under Wine ($WINEARCH prefix, $(basename "$run_build") build), medians of $runs runs"
printf '  %-52s %8s ms\n' "private runtime, shipped settings" "$(median <"$work/private.ms")"
printf '  %-52s %8s ms\n' "per-user runtime, classic search (version probe)" "$(median <"$work/peruser.ms")"
printf '  %-52s %8s ms\n' "per-user runtime, modern search (release file)" "$(median <"$work/modern.ms")"
