#!/bin/sh
# Creates the private 32-bit Wine prefix once (about 10 s); later calls
# find it and return at once.
set -eu
prefix="$1"
[ -f "$prefix/.ready" ] && exit 0
export WINEPREFIX="$prefix" WINEARCH=win32 WINEDEBUG=-all
rm -rf "$prefix"
echo "Creating the Wine prefix $prefix ..."
wineboot -i >/dev/null 2>&1 || true
# wineboot returns before the server has written the registry.
wineserver -w
# Without a window manager, Wine otherwise waits 2 s whenever a visible
# window goes away.
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
wineserver -w
touch "$prefix/.ready"
