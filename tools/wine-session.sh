# Sourced by the scripts: one Wine server and one virtual display for a
# whole run. Wine fixes the display with the first program of a server
# session, and a persistent server keeps every later start fast.
#
#   start_wine_session BUILD_DIR   sets WINEPREFIX, WINEARCH and DISPLAY;
#                                  stops both again when the calling
#                                  script exits.
#   prepare_wine_run               installs what is missing, builds quietly,
#                                  sets run_build to the tree whose
#                                  programs run here and starts its session.

# The caller sets $top, the repository's folder.
. "$top/tools/wine-arch.sh"

start_wine_session() {
  WINEPREFIX=${WINE_PREFIX_DIR:-$1/wineprefix}
  WINEDEBUG=-all
  export WINEPREFIX WINEDEBUG
  use_wine_for "$1"

  wineserver -k >/dev/null 2>&1 || true
  wineserver -w >/dev/null 2>&1 || true

  n=90
  while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
  Xvfb ":$n" -screen 0 "${SCREEN_SIZE:-1024x768}x24" -nolisten tcp >/dev/null 2>&1 &
  XVFB_PID=$!
  i=0
  while [ ! -e "/tmp/.X11-unix/X$n" ] && [ $i -lt 100 ]; do sleep 0.05; i=$((i + 1)); done
  DISPLAY=":$n"
  export DISPLAY

  wineserver -p
  trap stop_wine_session EXIT INT TERM
}

stop_wine_session() {
  wineserver -k >/dev/null 2>&1 || true
  kill "$XVFB_PID" >/dev/null 2>&1 || true
  wait "$XVFB_PID" 2>/dev/null || true
}

prepare_wine_run() {
  "$top/tools/setup.sh"
  "$top/tools/build.sh" >/dev/null
  run_build=$(wine_build_dir "$top")
  start_wine_session "$run_build"
}
