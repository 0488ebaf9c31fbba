#!/bin/sh
# Runs a Windows program under Wine in its build tree's private prefix, as
# ctest's cross-compiling emulator and for the scripts. The program's
# folder is BUILD_DIR/bin; the prefix is BUILD_DIR/wineprefix unless
# WINEPREFIX says otherwise; with WINE_RUN_PREFIX64=1 (set by the tests
# that need 64-bit Windows in a 32-bit tree) it is BUILD_DIR/wineprefix64.
#
# Wine's helper processes inherit the caller's output handles and hold them
# open, which makes a pipe reader wait seconds for the end; the program's
# output goes to a file first and is printed afterwards.
here=$(cd "$(dirname "$0")" && pwd)
. "$here/wine-arch.sh"
build=$(cd "$(dirname "$1")/.." 2>/dev/null && pwd)
[ -f "$build/CMakeCache.txt" ] || build="$here/../build"
: "${WINEPREFIX:=$build/wineprefix}"
if [ "${WINE_RUN_PREFIX64:-}" = 1 ]; then WINEPREFIX="$build/wineprefix64"; fi
export WINEPREFIX
use_wine_for "$build"
if [ "${WINE_RUN_PREFIX64:-}" = 1 ]; then WINEARCH=win64; fi
export WINEDEBUG="${WINEDEBUG:--all}"
export LANG="${LANG_FOR_WINE:-C}"
out=$(mktemp "${TMPDIR:-/tmp}/wine-run.XXXXXX")
wine "$@" </dev/null >"$out" 2>&1
status=$?
sed "s/\r$//" "$out"
rm -f "$out"
exit $status
