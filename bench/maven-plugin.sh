#!/bin/sh
# Measures what the Maven plugin adds to a build: "mvn -o package" of the
# sample project (tests/maven-sample) as it is, with the plugin skipped
# (-DjavaLauncher.skip) and without the plugin in its POM, each after
# "mvn clean", by hyperfine. RUNS (default 10) runs of each; the plugin's
# launcher images and configurators are extracted again in every run,
# since clean removes them: the first build of a clean checkout.
# Needs tools/build.sh first (it builds and installs the plugin).
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
mvn="mvn -o -q -B -Dstyle.color=never -s $top/build-maven/settings.xml -Dmaven.repo.local=$top/build-maven/repo"
hyperfine --runs "$runs" --export-markdown "$work/results.md" \
  --prepare "cd $work/with && $mvn clean" -n "with the plugin" "cd $work/with && $mvn package" \
  --prepare "cd $work/with && $mvn clean" -n "plugin skipped" "cd $work/with && $mvn -DjavaLauncher.skip package" \
  --prepare "cd $work/without && $mvn clean" -n "without the plugin" "cd $work/without && $mvn package"
echo "Results: $work/results.md"
