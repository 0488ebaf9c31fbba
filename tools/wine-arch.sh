# Sourced by the scripts: which Windows build the tests and the demonstration
# run under Wine.
#
# The product is the 32-bit build in build/, run in a 32-bit prefix. 32-bit
# Wine is a 32-bit Linux program, and some kernels (virtual machines without
# 32-bit user mode) refuse to start any 32-bit program. On such a machine
# the same sources are built for 64-bit Windows in build-x64/ and run in a
# 64-bit prefix with the 64-bit Wine loader; the 32-bit image is still
# built and checked from the outside.

# True when this machine can start the 32-bit Wine loader.
can_run_32bit_wine() {
  [ -x /usr/lib/wine/wine ] && /usr/lib/wine/wine --version >/dev/null 2>&1
}

# The build tree whose programs run under Wine here.
wine_build_dir() {  # wine_build_dir TOP
  if can_run_32bit_wine; then echo "$1/build"; else echo "$1/build-x64"; fi
}

# The prefix architecture of a build tree.
wine_arch_of() {  # wine_arch_of BUILD_DIR
  if grep -q '^CMAKE_TOOLCHAIN_FILE:.*x86_64' "$1/CMakeCache.txt" 2>/dev/null; then echo win64; else echo win32; fi
}

# Makes "wine", "wineboot", "winepath" and "regedit" start Wine without
# address space randomisation, and with the 64-bit loader for a win64 build
# tree: Debian's wrappers otherwise pick the 32-bit one whenever it is
# installed, even where it cannot run.
#
# Debian's Wine has no preloader to keep the addresses Windows needs free.
# A randomised program break of the loader then lands, about once in a few
# hundred starts, where Wine must map the shared user data at 0x7ffe0000:
# that process fails to start ("failed to map the shared user data"), or the
# program that started it waits for it for ever. Without randomisation the
# break follows the loader's own data, far below. Every process Wine starts
# inherits the setting.
use_wine_for() {  # use_wine_for BUILD_DIR
  WINEARCH=$(wine_arch_of "$1")
  export WINEARCH
  shims="$1/wine-bin"
  if [ "$WINEARCH" = win64 ]; then
    start="WINELOADER=/usr/lib/wine/wine64 exec setarch $(uname -m) -R /usr/lib/wine/wine64"
  else
    start="exec setarch $(uname -m) -R /usr/bin/wine"
  fi
  shim=$(printf '#!/bin/sh\n%s "$@"' "$start")
  if [ "$(cat "$shims/wine" 2>/dev/null)" != "$shim" ]; then
    mkdir -p "$shims"
    # Renamed into place: other scripts of the run may be starting it.
    printf '%s\n' "$shim" >"$shims/wine.new.$$"
    for tool in wineboot winepath regedit; do
      printf '#!/bin/sh\nexec "%s/wine" %s.exe "$@"\n' "$shims" "$tool" >"$shims/$tool"
      chmod +x "$shims/$tool"
    done
    chmod +x "$shims/wine.new.$$"
    mv -f "$shims/wine.new.$$" "$shims/wine"
  fi
  case ":$PATH:" in *":$shims:"*) ;; *) PATH="$shims:$PATH"; export PATH ;; esac
}
