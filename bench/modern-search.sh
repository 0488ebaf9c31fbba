#!/bin/sh
# Measures what the modern runtime search costs, under Wine, as the whole
# process's wall time of the launcher (started by wine, ended right after
# it has started the stand-in runtime), in three variants run one after the
# other in every round, so that a drift of the machine touches all three:
#
#   private   the shipped settings, the private runtime beside the launcher
#   modern    PROP_MODERN_SEARCH on, no private runtime; six runtimes
#             registered across vendors, HKLM and HKCU and both registry
#             views, each with a release file: no process is started
#   probe     the same with one release file removed: one -version probe
#
# Prints the medians over RUNS rounds (default 21) and each modern variant's
# ratio to the private one.
#
# Wine gives a program started from Linux its own Program Files and
# LOCALAPPDATA folders, whatever the environment says, so the runtimes are
# installed there, under names that end in "-bench", and removed at the end.
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
runs=${RUNS:-21}
. "$top/tools/wine-session.sh"
prepare_wine_run

bin="$run_build/bin"
work="$run_build/bench-modern"
drive="$WINEPREFIX/drive_c"
case "$(wine_arch_of "$run_build")" in
  win64) native=64 other=32 ;;
  *) native=32 other=64 ;;
esac
standin() { [ "$1" = "$native" ] && echo "$bin/java_standin.exe" || echo "$bin/java_standin$1.exe"; }
win() { winepath -w "$1" 2>/dev/null; }
reg_set() {  # reg_set VIEW KEY VALUE DATA
  wine reg add "$2" /v "$3" /d "$4" /f "/reg:$1" >/dev/null 2>&1
}

installed="$run_build/bench-modern-installed"
: >"$installed"
cleanup() {
  # Each home, then its vendor folders as far as they are left empty.
  while IFS= read -r home; do
    rm -rf "$home"
    parent=$(dirname "$home")
    while [ "$parent" != "$drive" ] && rmdir "$parent" 2>/dev/null; do parent=$(dirname "$parent"); done
  done <"$installed"
  rm -f "$installed"
  for view in 64 32; do
    for key in "HKLM\\SOFTWARE\\JavaSoft" "HKLM\\SOFTWARE\\Eclipse Adoptium" "HKLM\\SOFTWARE\\Azul Systems\\Zulu" \
      "HKLM\\SOFTWARE\\BellSoft\\Liberica" "HKLM\\SOFTWARE\\SapMachine\\JDK" "HKCU\\SOFTWARE\\Microsoft\\JDK"; do
      wine reg delete "$key" /f "/reg:$view" >/dev/null 2>&1 || true
    done
  done
  stop_wine_session
}
trap cleanup EXIT INT TERM

# runtime UNIX_HOME WIDTH VERSION: a stand-in home with a release file.
runtime() {
  mkdir -p "$1/bin"
  cp "$(standin "$2")" "$1/bin/java.exe"
  cp "$(standin "$2")" "$1/bin/javaw.exe"
  printf 'IMPLEMENTOR="Stand-in"\nJAVA_VERSION="%s"\n' "$3" >"$1/release"
  echo "$1" >>"$installed"
}

local_programs="$drive/users/$(id -un)/AppData/Local/Programs"
adoptium="$drive/Program Files/Eclipse Adoptium/jdk-17.0.10.7-bench"
zulu="$drive/Program Files (x86)/Zulu/zulu-11-bench"
javasoft="$drive/Program Files/Java/jdk-21-bench"
microsoft="$local_programs/Microsoft/jdk-11.0.22.7-bench"
liberica="$drive/Program Files (x86)/BellSoft/LibericaJRE-8-bench"
sapmachine="$drive/Program Files/SapMachine/JDK/22-bench"
runtime "$adoptium" "$native" 17.0.10
runtime "$zulu" "$other" 11.0.22
runtime "$javasoft" "$native" 21.0.2
runtime "$microsoft" "$native" 11.0.22
runtime "$liberica" "$other" 1.8.0_402
runtime "$sapmachine" "$native" 22.0.1
printf 'version_text=openjdk version "22.0.1" 2024-04-16\\r\\n\n' >"$sapmachine/bin/standin.cfg"
reg_set 64 "HKLM\\SOFTWARE\\Eclipse Adoptium\\JDK\\17.0.10.7\\hotspot\\MSI" Path "$(win "$adoptium")\\"
reg_set 32 "HKLM\\SOFTWARE\\Azul Systems\\Zulu\\zulu-11" InstallationPath "$(win "$zulu")"
reg_set 64 "HKLM\\SOFTWARE\\JavaSoft\\JDK\\21" JavaHome "$(win "$javasoft")"
reg_set 64 "HKCU\\SOFTWARE\\Microsoft\\JDK\\11.0.22.7\\hotspot\\MSI" Path "$(win "$microsoft")\\"
reg_set 32 "HKLM\\SOFTWARE\\BellSoft\\Liberica\\8" InstallationPath "$(win "$liberica")"
reg_set 64 "HKLM\\SOFTWARE\\SapMachine\\JDK\\22" JavaHome "$(win "$sapmachine")"

rm -rf "$work"
mkdir -p "$work/private/jre/bin" "$work/modern"
cp "$bin/java_standin.exe" "$work/private/jre/bin/javaw.exe"
cp "$bin/launcher.exe" "$work/private/launcher.exe"
"$top/build-host/launcher-config" configure "$bin/launcher.exe" "$work/modern/launcher.exe" \
  --set PROP_MODERN_SEARCH=on --set PROP_MIN_VERSION=1.8 >/dev/null

# The search each variant makes, once, under the trace capture, with the
# milliseconds from "Search for Jre..." to "Jre path: ".
show_choice() {  # show_choice NAME FOLDER
  (cd "$2" && JAVA_HOME= wine "$bin/tracecap.exe" --timestamps "$(win "$2")\\launcher.exe" </dev/null \
    >"$work/trace.out" 2>&1) || true
  sed 's/^\[[0-9.]*\] //' "$work/trace.out" | tr -d '\r' >"$work/trace.txt"
  search=$(awk '{ stamp = substr($1, 2, length($1) - 2) + 0; text = substr($0, index($0, "] ") + 2) }
    index(text, "Search for Jre...") == 1 { start = stamp }
    index(text, "Jre path: ") == 1 { printf "%.1f", stamp - start; exit }' "$work/trace.out")
  printf '  %-8s search %s ms, %s candidates, %s probes; %s\n' "$1" "$search" "$(grep -c '^Candidate: ' "$work/trace.txt")" \
    "$(grep -c '^CreateProcess: .* -version$' "$work/trace.txt")" \
    "$(grep -E '^(Bundled Jre or jdk found|Chosen runtime: )' "$work/trace.txt")"
}
with_release() { printf 'IMPLEMENTOR="Stand-in"\nJAVA_VERSION="22.0.1"\n' >"$sapmachine/release"; }
without_release() { rm -f "$sapmachine/release"; }

echo "Modern search benchmark under Wine ($(wine_arch_of "$run_build")), $runs rounds"
show_choice private "$work/private"
with_release
show_choice modern "$work/modern"
without_release
show_choice probe "$work/modern"

# Microseconds of one launcher process, started by wine from here.
wall() {  # wall FOLDER
  start=$(date +%s%N)
  (cd "$1" && JAVA_HOME= wine "$(win "$1")\\launcher.exe") </dev/null >/dev/null 2>&1 || true
  end=$(date +%s%N)
  echo $(((end - start) / 1000))
}
median() { sort -n | awk '{ v[NR] = $1 } END { m = NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2; printf "%.1f\n", m / 1000 }'; }

: >"$work/private.txt"
: >"$work/modern.txt"
: >"$work/probe.txt"
for i in 1 2 3; do wall "$work/private" >/dev/null; wall "$work/modern" >/dev/null; done  # warm-up
i=0
while [ $i -lt "$runs" ]; do
  wall "$work/private" >>"$work/private.txt"
  with_release
  wall "$work/modern" >>"$work/modern.txt"
  without_release
  wall "$work/modern" >>"$work/probe.txt"
  i=$((i + 1))
done

private=$(median <"$work/private.txt")
modern=$(median <"$work/modern.txt")
probe=$(median <"$work/probe.txt")
ratio() { awk -v a="$1" -v b="$private" 'BEGIN { printf "%.2f", a / b }'; }
printf '  %-52s %8s ms\n' "private runtime (shipped settings)" "$private"
printf '  %-52s %8s ms  x%s\n' "modern search, 6 runtimes with release files" "$modern" "$(ratio "$modern")"
printf '  %-52s %8s ms  x%s\n' "modern search, 6 runtimes, one probed" "$probe" "$(ratio "$probe")"
