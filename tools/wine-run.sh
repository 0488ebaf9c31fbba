#!/bin/sh
# Runs a Windows program under Wine in the build tree's private prefix, as
# ctest's cross-compiling emulator and for the scripts.
#
# Wine's helper processes inherit the caller's output handles and hold them
# open, which makes a pipe reader wait seconds for the end; the program's
# output goes to a file first and is printed afterwards.
here=$(cd "$(dirname "$0")" && pwd)
: "${WINEPREFIX:=$here/../build/wineprefix}"
export WINEPREFIX
export WINEARCH=win32
export WINEDEBUG="${WINEDEBUG:--all}"
export LANG="${LANG_FOR_WINE:-C}"
out=$(mktemp "${TMPDIR:-/tmp}/wine-run.XXXXXX")
wine "$@" </dev/null >"$out" 2>&1
status=$?
sed "s/\r$//" "$out"
rm -f "$out"
exit $status
