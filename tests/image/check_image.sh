#!/bin/sh
# Checks the built launcher image from the outside, with the cross
# binutils: a 32-bit GUI program that imports system DLLs only, under 64 KB.
set -eu
image="$1"
objdump=i686-w64-mingw32-objdump
fail() { echo "FAIL: $*"; exit 1; }

headers=$($objdump -p "$image")
echo "$headers" | grep -q "^Magic.*010b" || fail "not a PE32 (32-bit) image"
echo "$headers" | grep -q "(Windows GUI)" || fail "not a GUI-subsystem image"

allowed="KERNEL32.dll USER32.dll GDI32.dll ADVAPI32.dll SHELL32.dll ole32.dll OLEAUT32.dll COMCTL32.DLL msvcrt.dll"
for dll in $(echo "$headers" | sed -n 's/^\s*DLL Name: //p'); do
  case " $allowed " in
    *" $dll "*) ;;
    *) fail "imports $dll, which is not a system DLL of the allowed list" ;;
  esac
done

size=$(stat -c %s "$image")
[ "$size" -lt 65536 ] || fail "launcher.exe is $size bytes, not under 64 KB"
echo "OK: PE32 GUI image, $size bytes, imports: $(echo "$headers" | sed -n 's/^\s*DLL Name: //p' | tr '\n' ' ')"
