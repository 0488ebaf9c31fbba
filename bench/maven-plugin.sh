#!/bin/sh
# Measures what the Maven plugin adds to a build: "mvn -o package" of the
# sample project (tests/maven-sample) as it is, with the plugin skipped
# (-DjavaLauncher.skip) and without the plugin in its POM, each with its
# target/ removed first, by hyperfine. RUNS (default 10) runs of each; the
# plugin's launcher images and configurators are extracted again in every
# run, as in the first build of a clean checkout.
#
# The goal alone, from Maven's time-stamped log: from its "--- ... configure"
# line to the next one, medians of RUNS builds after target/ was removed
# (the images and configurators extracted) and of RUNS builds again (used
# as they are). Needs tools/build.sh first (it builds and installs the plugin).
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
runs=${RUNS:-10}
work="$top/build-maven/bench"
rm -rf "$work"
mkdir -p "$work"
cp -r "$top/tests/maven-sample" "$work/with"
cp -r "$top/tests/maven-sample" "$work/without"
# The plugin's block is the last <plugin> of the sample's POM.
python3 - "$work/without/pom.xml" <<'PY'
import re, sys
text = open(sys.argv[1]).read()
text = re.sub(r"\s*<plugin>\s*<groupId>org\.javalauncher</groupId>.*?</plugin>", "", text, flags=re.S)
open(sys.argv[1], "w").write(text)
PY
mvn="mvn -o -B -Dstyle.color=never -s $top/build-maven/settings.xml -Dmaven.repo.local=$top/build-maven/repo"
hyperfine --runs "$runs" --export-markdown "$work/results.md" \
  --prepare "rm -rf $work/with/target" -n "with the plugin" "cd $work/with && $mvn -q package" \
  --prepare "rm -rf $work/with/target" -n "plugin skipped" "cd $work/with && $mvn -q -DjavaLauncher.skip package" \
  --prepare "rm -rf $work/without/target" -n "without the plugin" "cd $work/without && $mvn -q package"

# goal_seconds [rm]: the goal's time in RUNS builds, their median.
goal_seconds() {
  for i in $(seq "$runs"); do
    [ "${1:-}" = rm ] && rm -rf "$work/with/target"
    (cd "$work/with" && $mvn -Dstyle.color=never -Dorg.slf4j.simpleLogger.showDateTime=true \
      -Dorg.slf4j.simpleLogger.dateTimeFormat=HH:mm:ss.SSS package) >"$work/goal.log" 2>&1
    python3 - "$work/goal.log" <<'PY'
import re, sys
stamps = [(m.group(1), line) for line in open(sys.argv[1]) for m in [re.match(r"(\d\d:\d\d:\d\d\.\d\d\d) ", line)] if m]
def seconds(t):
    h, m, s = t.split(":")
    return int(h) * 3600 + int(m) * 60 + float(s)
at = next(i for i, (t, line) in enumerate(stamps) if ":configure " in line and "---" in line)
print("%.3f" % (seconds(stamps[at + 1][0]) - seconds(stamps[at][0])))
PY
  done | sort -n | sed -n "$(( (runs + 1) / 2 ))p"
}
echo "The goal alone, first build (extraction): $(goal_seconds rm) s; again: $(goal_seconds) s (medians of $runs)"
echo "Results: $work/results.md"
