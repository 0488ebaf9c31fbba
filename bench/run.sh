#!/bin/sh
# Measures the launcher under Wine, as medians over RUNS runs (default 15):
#   start-up  first trace line to the application's "CreateProcess: " line,
#             private runtime beside the launcher (the shipped settings);
#   search    "Search for Jre..." to "Jre path: " on the registry path with
#             three version probes of stand-in runtimes (both registered
#             current versions too old, JAVA_HOME good);
#   size      the stripped launcher.exe.
# Times come from tracecap --timestamps, taken as the debug strings arrive.
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
runs=${RUNS:-15}
"$top/tools/setup.sh"
"$top/tools/build.sh" >/dev/null
. "$top/tools/wine-session.sh"
run_build=$(wine_build_dir "$top")
start_wine_session "$run_build"

work="$run_build/bench"
rm -rf "$work"
mkdir -p "$work/app/jre/bin" "$work/old/bin" "$work/good/bin"
bin="$run_build/bin"
image="$top/build/bin/launcher.exe"  # the product, for its size
cp "$bin/launcher.exe" "$bin/tracecap.exe" "$work/"
cp "$bin/launcher.exe" "$work/app/"
for exe in java.exe javaw.exe; do
  cp "$bin/java_standin.exe" "$work/app/jre/bin/$exe"
  cp "$bin/java_standin.exe" "$work/old/bin/$exe"
  cp "$bin/java_standin.exe" "$work/good/bin/$exe"
done
printf 'version_text=java version "1.4.2_08"\\r\\n\n' >"$work/old/bin/standin.cfg"
win() { winepath -w "$1" 2>/dev/null; }

# The registry path: a launcher without a private runtime.
mkdir -p "$work/reg"
cp "$bin/launcher.exe" "$work/reg/"
old=$(win "$work/old")
for root in HKLM HKCU; do
  wine reg add "$root\\SOFTWARE\\JavaSoft\\Java Runtime Environment" /v CurrentVersion /d 1.4 /f >/dev/null 2>&1
  wine reg add "$root\\SOFTWARE\\JavaSoft\\Java Runtime Environment\\1.4" /v JavaHome /d "$old" /f >/dev/null 2>&1
done

# elapsed FILE FIRST LAST: milliseconds between the first lines starting so.
elapsed() {
  awk -v first="$2" -v last="$3" '
    { stamp = substr($1, 2, length($1) - 2) + 0; text = substr($0, index($0, "] ") + 2) }
    start == "" && index(text, first) == 1 { start = stamp }
    start != "" && index(text, last) == 1 { printf "%.1f\n", stamp - start; exit }
  ' "$1"
}
median() { sort -n | awk '{ v[NR] = $1 } END { if (NR % 2) print v[(NR + 1) / 2]; else printf "%.1f\n", (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

measure() {  # measure DIR FIRST LAST [JAVA_HOME]
  i=0
  : >"$work/samples"
  while [ $i -lt "$runs" ]; do
    (cd "$1" && JAVA_HOME="${4:-}" wine "$work/tracecap.exe" --timestamps "$(win "$1")\\launcher.exe" \
       </dev/null >"$work/trace.txt" 2>&1) || true
    elapsed "$work/trace.txt" "$2" "$3" >>"$work/samples"
    i=$((i + 1))
  done
  median <"$work/samples"
}

startup=$(measure "$work/app" "Launcher executed" "CreateProcess: ")
search=$(measure "$work/reg" "Search for Jre..." "Jre path: " "$(win "$work/good")")
size=$(stat -c %s "$image")

for root in HKLM HKCU; do wine reg delete "$root\\SOFTWARE\\JavaSoft" /f >/dev/null 2>&1 || true; done

echo "Launcher benchmarks under Wine (median of $runs runs)"
printf '  %-46s %8s ms\n' "start-up, private runtime (first line to start)" "$startup"
printf '  %-46s %8s ms\n' "search, registry path with 3 probes" "$search"
printf '  %-46s %8s bytes\n' "size of launcher.exe (stripped)" "$size"
