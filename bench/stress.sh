#!/bin/sh
# Starts the launcher STRESS_RUNS times (default 1000) under Wine on the
# common path, as a user would: the shipped settings, the stand-in runtime
# as the private runtime beside it, no arguments (STRESS_ARGS adds some,
# e.g. -Xdebug). Counts the endings that are not exit code 0; a launcher
# killed by a signal shows as 128 + the signal's number (139: segmentation
# fault). Not a timed test: the figure that counts is the abnormal endings,
# and the goal is none.
#
# STRESS_APP adds lines to the stand-in's configuration (see
# tools/java_standin), separated by "|", e.g. "output=x\n|output_repeat=500"
# for an application that prints while the launcher ends.
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
runs=${STRESS_RUNS:-1000}
"$top/tools/setup.sh"
"$top/tools/build.sh" >/dev/null
. "$top/tools/wine-session.sh"
run_build=$(wine_build_dir "$top")
start_wine_session "$run_build"

work="$run_build/stress"
rm -rf "$work"
mkdir -p "$work/app/jre/bin"
cp "$run_build/bin/launcher.exe" "$work/app/"
cp "$run_build/bin/java_standin.exe" "$work/app/jre/bin/javaw.exe"
printf '%s\n' "${STRESS_APP:-}" | tr '|' '\n' >"$work/app/jre/bin/standin.cfg"

i=0
abnormal=0
: >"$work/statuses"
start=$(date +%s)
while [ $i -lt "$runs" ]; do
  set +e
  # shellcheck disable=SC2086 # STRESS_ARGS holds words
  (cd "$work/app" && wine launcher.exe ${STRESS_ARGS:-} </dev/null >/dev/null 2>&1)
  status=$?
  set -e
  if [ "$status" -ne 0 ]; then
    abnormal=$((abnormal + 1))
    echo "run $((i + 1)): exit status $status" | tee -a "$work/statuses"
  fi
  i=$((i + 1))
done
echo "Launcher stress under Wine ($WINEARCH): $runs starts in $(( $(date +%s) - start )) s"
echo "  abnormal endings: $abnormal"
if [ "$abnormal" -gt 0 ]; then
  echo "  by exit status:"
  sed 's/.*exit status //' "$work/statuses" | sort -n | uniq -c | sed 's/^/   /'
  exit 1
fi
