#!/bin/sh
# Creates the build tree's private Wine prefix (BUILD_DIR/wineprefix) once,
# about 10 s, with the architecture of the tree's programs, and applies the
# test bed's settings to it; later calls find it ready and return at once.
#
#   wine-prefix.sh BUILD_DIR win64   creates BUILD_DIR/wineprefix64, a 64-bit
#                                    prefix for a 32-bit tree's tests that
#                                    need 64-bit Windows (see wine-run.sh)
set -eu
build=$(cd "$1" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
. "$here/wine-arch.sh"
prefix="$build/wineprefix"
if [ "${2:-}" = win64 ]; then prefix="$build/wineprefix64"; fi
# Raise when the settings below change, so existing prefixes get them.
settings_version=2
[ "$(cat "$prefix/.ready" 2>/dev/null)" = "$settings_version" ] && exit 0

use_wine_for "$build"
if [ "${2:-}" = win64 ]; then WINEARCH=win64; fi
export WINEPREFIX="$prefix" WINEDEBUG=-all
if [ ! -f "$prefix/system.reg" ]; then
  echo "Creating the $WINEARCH Wine prefix $prefix ..."
  # Without Mono and Gecko, which nothing here needs and which Wine would
  # otherwise offer to download.
  WINEDLLOVERRIDES="mscoree,mshtml=" wineboot -i >/dev/null 2>&1 || true
  # wineboot returns before the server has written the registry.
  wineserver -w
fi
[ -f "$prefix/system.reg" ] || { echo "Wine could not create $prefix" >&2; exit 1; }
cat >"$prefix/settings.reg" <<REG
REGEDIT4

; Without a window manager, Wine otherwise waits 2 s whenever a visible
; window goes away.
[HKEY_CURRENT_USER\\Software\\Wine\\X11 Driver]
"Managed"="N"

; Addresses the launcher opens go to a recorder, not to a browser.
[HKEY_CURRENT_USER\\Software\\Wine\\WineBrowser]
"Browsers"="$here/browser-recorder.sh"
REG
wine regedit /S "$(winepath -w "$prefix/settings.reg")" >/dev/null 2>&1
wineserver -w
echo "$settings_version" >"$prefix/.ready"
