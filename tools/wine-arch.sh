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

# Makes "wine", "wineboot", "winepath" and "regedit" use the 64-bit loader
# for a win64 build tree: Debian's wrappers otherwise pick the 32-bit one
# whenever it is installed, even where it cannot run.
use_wine_for() {  # use_wine_for BUILD_DIR
  WINEARCH=$(wine_arch_of "$1")
  export WINEARCH
  [ "$WINEARCH" = win64 ] || return 0
  shims="$1/wine-bin"
  if [ ! -x "$shims/wine" ]; then
    mkdir -p "$shims"
    printf '#!/bin/sh\nWINELOADER=/usr/lib/wine/wine64 exec /usr/lib/wine/wine64 "$@"\n' >"$shims/wine"
    for tool in wineboot winepath regedit; do
      printf '#!/bin/sh\nexec "%s/wine" %s.exe "$@"\n' "$shims" "$tool" >"$shims/$tool"
    done
    chmod +x "$shims"/*
  fi
  case ":$PATH:" in *":$shims:"*) ;; *) PATH="$shims:$PATH"; export PATH ;; esac
}
