#!/bin/sh
# The main job: builds everything and starts the configured launcher under
# Wine, printing its trace and what the started "Java" program received;
# then starts the same application behind a splash picture on a virtual
# display and leaves a screenshot of it in build/demo/splash-screenshot.png
# (build-x64/demo where the 64-bit build runs, see tools/wine-arch.sh).
# Last, what the launcher is for today: a small jar, built here with the
# JDK the set-up installs, made into one file App.exe by launcher-config,
# run with java -jar App.exe on this machine and under Wine, and shown by
# launcher-config show.
#
# No Java runtime for Windows can be installed here, so the runtime beside
# the launcher (jre\bin\javaw.exe) is a STAND-IN: a small Windows program
# of this repository that records how it was started and behaves like a
# runtime (it answers -version, runs a while, may show a window).
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/tools/setup.sh"
"$top/tools/build.sh"
. "$top/tools/wine-session.sh"
run_build=$(wine_build_dir "$top")
[ "$run_build" = "$top/build" ] ||
  echo "NOTE: this machine cannot run 32-bit Wine; the demonstration runs the 64-bit build of the same sources."
start_wine_session "$run_build"

demo="$run_build/demo"
app="$demo/Marblewright"
rm -rf "$demo"
mkdir -p "$app/jre/bin"
cp "$run_build/bin/launcher.exe" "$app/launcher.exe"
cp "$run_build/bin/java_standin.exe" "$app/jre/bin/javaw.exe"
cp "$run_build/bin/java_standin.exe" "$app/jre/bin/java.exe"
printf 'PK\003\004 (a placeholder for the application jar)' >"$app/marblewright.jar"
cp "$run_build/bin/tracecap.exe" "$demo/tracecap.exe"

# traced EXE [FOLDER]: runs the launcher in FOLDER (the sample's by default)
# under tracecap, prints the trace and exit code.
traced() {
  folder=${2:-$app}
  windows_folder=$(winepath -w "$folder" 2>/dev/null)
  printf '== Launcher trace: tracecap.exe "%s\\%s" ==\n' "$windows_folder" "$1"
  set +e
  (cd "$folder" && wine "$demo/tracecap.exe" "$windows_folder\\$1" </dev/null >"$demo/trace.txt" 2>&1)
  status=$?
  set -e
  sed 's/\r$//' "$demo/trace.txt"
  echo "== Launcher exit code: $status =="
}

# received FOLDER: what the stand-in runtime in FOLDER\jre\bin recorded.
received() {
  printf '%s\n' '== What the stand-in runtime received (jre\bin\standin-record.txt) =='
  sed 's/\r$//' "$1/jre/bin/standin-record.txt" 2>/dev/null || echo "(nothing: it was not started)"
}

echo "#### 1. The shipped launcher: no splash, private runtime beside it"
traced launcher.exe
sleep 1  # the application runs on after the launcher; let it record
received "$app"

echo
echo "#### 2. The same application behind a splash picture"
"$top/build-host/launcher-config" configure "$app/launcher.exe" "$app/Marblewright.exe" \
  --set PROP_SPLASH=on --set PROP_SPLASH_TIMEOUT=5 --splash "$top/tests/data/splash-400x300.jpg" \
  --company "Launcher demonstration" --product-name "Marblewright demonstration" \
  --file-description "Marblewright behind a splash"
# The stand-in application shows its main window after 2.5 s; the launcher
# waits for it behind the splash and then ends.
printf 'window_after_ms=2500\nrun_ms=6000\n' >"$app/jre/bin/standin.cfg"
rm -f "$app/jre/bin/standin-record.txt"
( sleep 1.5; import -window root "$demo/splash-screenshot.png" ) &
shot=$!
traced Marblewright.exe
wait "$shot"
echo "Screenshot of the splash: $demo/splash-screenshot.png"

echo
echo "#### 3. One file: a jar built here, inside App.exe"
one="$demo/App"
mkdir -p "$one/src/hello" "$one/classes" "$one/jre/bin"
cat >"$one/src/hello/Main.java" <<'EOF'
package hello;
public class Main {
    public static void main(String[] args) {
        System.out.println("Hello from the jar inside App.exe, Java " + System.getProperty("java.version"));
    }
}
EOF
javac -d "$one/classes" "$one/src/hello/Main.java"
jar --create --file "$one/App.jar" --main-class hello.Main -C "$one/classes" .
"$top/build-host/launcher-config" configure "$run_build/bin/launcher.exe" "$one/App.exe" --embed-jar "$one/App.jar" \
  --set PROP_VM_OPTIONS=-Xmx256m --company "Launcher demonstration" --product-name Hello \
  --file-description "Hello, one file"
echo "== java -jar App.exe, on this machine =="
java -jar "$one/App.exe"
cp "$run_build/bin/java_standin.exe" "$one/jre/bin/javaw.exe"
cp "$run_build/bin/java_standin.exe" "$one/jre/bin/java.exe"
traced App.exe "$one"
sleep 1  # as above
received "$one"
echo "== launcher-config show App.exe =="
"$top/build-host/launcher-config" show "$one/App.exe"
