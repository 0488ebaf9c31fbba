#!/bin/sh
# Checks a built launcher image from the outside, with the cross binutils:
# a GUI program of the given width that imports only the system DLLs every
# path needs, and stays small.
#
#   check_image.sh IMAGE 32|64
set -eu
image="$1"
case "$2" in
  32) objdump=i686-w64-mingw32-objdump magic=010b kind="PE32 (32-bit)" limit=106496 ;;
  64) objdump=x86_64-w64-mingw32-objdump magic=020b kind="PE32+ (64-bit)" limit=114688 ;;
  *) echo "usage: check_image.sh IMAGE 32|64"; exit 2 ;;
esac
fail() { echo "FAIL: $*"; exit 1; }

headers=$($objdump -p "$image")
echo "$headers" | grep -q "^Magic.*$magic" || fail "not a $kind image"
echo "$headers" | grep -q "(Windows GUI)" || fail "not a GUI-subsystem image"

# Exactly the DLLs every path needs: each import is mapped before the
# launcher's first line runs. The splash picture's loaders (ole32,
# oleaut32), the dialog's (comctl32, ole32, riched32) and the shell are
# loaded from the system folder on the paths that use them.
expected="ADVAPI32.dll KERNEL32.dll USER32.dll msvcrt.dll"
imports=$(echo "$headers" | sed -n 's/^\s*DLL Name: //p' | LC_ALL=C sort | tr '\n' ' ' | sed 's/ $//')
[ "$imports" = "$expected" ] || fail "imports [$imports], expected exactly [$expected]"

size=$(stat -c %s "$image")
[ "$size" -le "$limit" ] || fail "the $2-bit launcher is $size bytes, over $((limit / 1024)) KB"
echo "OK: $kind GUI image, $size bytes, imports: $imports"
