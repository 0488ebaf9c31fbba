#!/bin/sh
# Installs what building and testing need on Debian 12, only what is
# missing; safe to run again. 32-bit Wine needs the i386 architecture. A
# machine that cannot start 32-bit programs also gets what the emulated
# 32-bit lane needs (tools/lane32): QEMU and debootstrap.
set -eu

PACKAGES="cmake make g++ googletest
g++-mingw-w64-i686 binutils-mingw-w64-i686 mingw-w64-i686-dev
g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64 mingw-w64-x86-64-dev
libz-mingw-w64-dev
wine wine32:i386 wine64
xvfb xauth x11-apps imagemagick xdotool
hyperfine zip unzip osslsigncode openssl
zlib1g-dev libz-mingw-w64-dev openjdk-17-jdk-headless python3"

LANE32_PACKAGES="qemu-system-x86 debootstrap e2fsprogs"

# The Maven plugin's build and its sample project, offline: Maven with the
# plugins of a jar's lifecycle and of a plugin's, from Debian's repository
# in /usr/share/maven-repo (about 63 MB without the recommended packages).
MAVEN_PACKAGES="maven libmaven-plugin-tools-java libmaven-resources-plugin-java libmaven-compiler-plugin-java
libsurefire-java libmaven-jar-plugin-java libmaven-install-plugin-java junit4"

missing_of() {
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || printf ' %s' "$p"
  done
}
missing=$(missing_of $PACKAGES)
missing_maven=$(missing_of $MAVEN_PACKAGES)
if [ -z "$missing$missing_maven" ]; then
  . "$(dirname "$0")/wine-arch.sh"
  can_run_32bit_wine && exit 0
  missing=$(missing_of $LANE32_PACKAGES)
  [ -z "$missing" ] && exit 0
fi

as_root() { if [ "$(id -u)" = 0 ]; then "$@"; else sudo "$@"; fi; }
echo "Installing:$missing$missing_maven"
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  as_root dpkg --add-architecture i386
fi
as_root apt-get update -qq
[ -z "$missing" ] || DEBIAN_FRONTEND=noninteractive as_root apt-get install -y -qq $missing >/dev/null
[ -z "$missing_maven" ] ||
  DEBIAN_FRONTEND=noninteractive as_root apt-get install -y -qq --no-install-recommends $missing_maven >/dev/null
# The lane's packages, once Wine is there to tell whether they are needed.
[ -n "$(missing_of $PACKAGES)" ] || exec "$0"
