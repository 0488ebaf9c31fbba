#!/bin/sh
# Builds the Maven plugin (maven-plugin/) offline and installs it into the
# local repository build-maven/repo: a copy of Debian's Maven repository
# made of symbolic links, so that nothing is written outside the checkout.
# The plugin jar carries the release's binaries, which tools/build.sh makes
# first: both launcher images and launcher-config for Linux and Windows.
# Afterwards any project that uses the plugin builds with
#
#   mvn -o -s build-maven/settings.xml -Dmaven.repo.local=build-maven/repo package
#
# (paths from the checkout's folder; the settings file is empty).
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
out="$top/build-maven"
binaries="$out/binaries"
for file in "$top/build/bin/launcher.exe" "$top/build-x64/bin/launcher.exe" \
    "$top/build-host/launcher-config" "$top/build/bin/launcher-config.exe"; do
  [ -f "$file" ] || { echo "maven-plugin.sh: $file is missing (tools/build.sh builds it)" >&2; exit 1; }
done

# Packages installed since the last run bring new folders: copied again,
# links only, every time.
mkdir -p "$out/repo"
cp -rsf /usr/share/maven-repo/. "$out/repo/"
printf '<settings/>\n' >"$out/settings.xml"

# The files the plugin jar carries, as the release lays them out, with
# their sums, which the plugin checks when it extracts them.
rm -rf "$binaries"
mkdir -p "$binaries/linux-x86_64" "$binaries/windows"
cp "$top/build/bin/launcher.exe" "$binaries/launcher.exe"
cp "$top/build-x64/bin/launcher.exe" "$binaries/launcher-x64.exe"
cp "$top/build/bin/launcher-config.exe" "$binaries/windows/launcher-config.exe"
cp "$top/build-host/launcher-config" "$binaries/linux-x86_64/launcher-config"
strip "$binaries/linux-x86_64/launcher-config" 2>/dev/null || true
(cd "$binaries" && sha256sum launcher.exe launcher-x64.exe linux-x86_64/launcher-config windows/launcher-config.exe >SHA256SUMS)

mvn -o -q -B -Dstyle.color=never -s "$out/settings.xml" -Dmaven.repo.local="$out/repo" -f "$top/maven-plugin/pom.xml" \
  -DskipTests install
echo "Maven plugin installed into $out/repo"
