#!/bin/sh
# Runs a Windows program under Wine in its build tree's private prefix, as
# ctest's cross-compiling emulator and for the scripts. The program's
# folder is BUILD_DIR/bin; the prefix is BUILD_DIR/wineprefix unless
# WINEPREFIX says otherwise.
#
# Wine's helper processes inherit the caller's output handles and hold them
# open, which makes a pipe reader wait seconds for the end; the program's
# output goes to a file first and is printed afterwards.
here=$(cd "$(dirname "$0")" && pwd)
. "$here/wine-arch.sh"
build=$(cd "$(dirname "$1")/.." 2>/dev/null && pwd)
[ -f "$build/CMakeCache.txt" ] || build="$here/../build"
: "${WINEPREFIX:=$build/wineprefix}"
export WINEPREFIX
use_wine_for "$build"
export WINEDEBUG="${WINEDEBUG:--all}"
export LANG="${LANG_FOR_WINE:-C}"
out=$(mktemp "${TMPDIR:-/tmp}/wine-run.XXXXXX")
wine "$@" </dev/null >"$out" 2>&1
status=$?
sed "s/\r$//" "$out"
rm -f "$out"
exit $status
