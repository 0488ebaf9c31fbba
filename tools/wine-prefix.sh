#!/bin/sh
# Creates the private 32-bit Wine prefix once (about 10 s) and applies the
# test bed's settings to it; later calls find it ready and return at once.
set -eu
prefix=$(cd "$1" 2>/dev/null && pwd || echo "$1")
here=$(cd "$(dirname "$0")" && pwd)
# Raise when the settings below change, so existing prefixes get them.
settings_version=2
[ "$(cat "$prefix/.ready" 2>/dev/null)" = "$settings_version" ] && exit 0

export WINEPREFIX="$prefix" WINEARCH=win32 WINEDEBUG=-all
if [ ! -f "$prefix/system.reg" ]; then
  echo "Creating the Wine prefix $prefix ..."
  # Without Mono and Gecko, which nothing here needs and which Wine would
  # otherwise offer to download.
  WINEDLLOVERRIDES="mscoree,mshtml=" wineboot -i >/dev/null 2>&1 || true
  # wineboot returns before the server has written the registry.
  wineserver -w
fi
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
