#!/bin/sh
# Checks the built launcher image from the outside, with the cross
# binutils: a 32-bit GUI program that imports only the system DLLs every
# path needs, under 64 KB.
set -eu
image="$1"
objdump=i686-w64-mingw32-objdump
fail() { echo "FAIL: $*"; exit 1; }

headers=$($objdump -p "$image")
echo "$headers" | grep -q "^Magic.*010b" || fail "not a PE32 (32-bit) image"
echo "$headers" | grep -q "(Windows GUI)" || fail "not a GUI-subsystem image"

# Exactly the DLLs every path needs: each import is mapped before the
# launcher's first line runs. The splash picture's loaders (ole32,
# oleaut32), the dialog's (comctl32, ole32, riched32) and the shell are
# loaded from the system folder on the paths that use them.
expected="ADVAPI32.dll KERNEL32.dll USER32.dll msvcrt.dll"
imports=$(echo "$headers" | sed -n 's/^\s*DLL Name: //p' | LC_ALL=C sort | tr '\n' ' ' | sed 's/ $//')
[ "$imports" = "$expected" ] || fail "imports [$imports], expected exactly [$expected]"

size=$(stat -c %s "$image")
[ "$size" -lt 65536 ] || fail "launcher.exe is $size bytes, not under 64 KB"
echo "OK: PE32 GUI image, $size bytes, imports: $(echo "$headers" | sed -n 's/^\s*DLL Name: //p' | tr '\n' ' ')"
