# Sourced by the run and test scripts: an X display, the project's Wine prefix and a
# persistent wineserver.
#   kvx_display [own] [depth]
#                       use $DISPLAY, or start an Xvfb when there is none (always with
#                       "own"), of 24 bits per pixel unless another depth is given
#   kvx_wine_prefix     create the prefix once, with Managed=N (no 2 s hide penalty, real focus)
#   kvx_wine_start      persistent wineserver, plus a holder process keeping the desktop up
#   kvx_wine_peer_prefix
#                       a second prefix (KVX_PEER_PREFIX) for a second client on the same
#                       desktop: the single-instance rule holds per wineserver
#   kvx_desktop NAME    a further desktop for the tests that ask for it (KVX_DESKTOP=NAME,
#                       scripts/wine-run): an Xvfb and a Wine prefix of its own, started
#   kvx_wine_stop       end the wineservers and the Xvfbs started here

KVX_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
export WINEPREFIX="$KVX_ROOT/build/wineprefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
KVX_XVFB_PID=""
KVX_DESKTOPS=() # "prefix xvfb-pid" of each further desktop

kvx_display() {
  if [ "${1:-}" != own ] && [ -n "${DISPLAY:-}" ]; then return 0; fi
  local depth="${2:-24}" n
  for n in $(seq 71 99); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
    Xvfb ":$n" -screen 0 "1024x768x$depth" -nolisten tcp >/dev/null 2>&1 &
    KVX_XVFB_PID=$!
    export DISPLAY=":$n"
    local i
    for i in $(seq 1 50); do
      [ -e "/tmp/.X11-unix/X$n" ] && return 0
      sleep 0.1
    done
  done
  echo "wine-env: could not start Xvfb" >&2
  return 1
}

kvx_wine_prefix() {
  if [ ! -f "$WINEPREFIX/.kvx-ready" ]; then
    echo "wine-env: creating the Wine prefix in $WINEPREFIX (once)"
    mkdir -p "$WINEPREFIX"
    wineboot -i >/dev/null 2>&1 || true
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
    wineserver -w
    touch "$WINEPREFIX/.kvx-ready"
  fi
}

kvx_wine_peer_prefix() {
  export KVX_PEER_PREFIX="$KVX_ROOT/build/wineprefix-peer"
  if [ ! -f "$KVX_PEER_PREFIX/.kvx-ready" ]; then
    echo "wine-env: creating the second client's Wine prefix in $KVX_PEER_PREFIX (once)"
    mkdir -p "$KVX_PEER_PREFIX"
    WINEPREFIX="$KVX_PEER_PREFIX" wineboot -i >/dev/null 2>&1 || true
    WINEPREFIX="$KVX_PEER_PREFIX" wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
    WINEPREFIX="$KVX_PEER_PREFIX" wineserver -w
    touch "$KVX_PEER_PREFIX/.kvx-ready"
  fi
}

kvx_wine_start() {
  # Persistent for the whole run; one may already be running in this prefix.
  wineserver -p 2>/dev/null || true
  local holder="$KVX_ROOT/build/win64/tools/holder/holder.exe"
  [ -f "$holder" ] && { wine "$holder" 3600000 >/dev/null 2>&1 & }
  return 0
}

kvx_desktop() {
  local name=$1 display=${DISPLAY:-} prefix=$WINEPREFIX xvfb=$KVX_XVFB_PID
  export WINEPREFIX="$KVX_ROOT/build/wineprefix-$name"
  kvx_display own && kvx_wine_prefix && kvx_wine_start
  export "KVX_DISPLAY_$name=$DISPLAY" "KVX_PREFIX_$name=$WINEPREFIX"
  KVX_DESKTOPS+=("$WINEPREFIX $KVX_XVFB_PID")
  export DISPLAY="$display" WINEPREFIX="$prefix"
  KVX_XVFB_PID=$xvfb
}

kvx_wine_stop() {
  local desktop
  for desktop in "${KVX_DESKTOPS[@]}"; do
    WINEPREFIX="${desktop% *}" wineserver -k >/dev/null 2>&1 || true
    kill "${desktop#* }" 2>/dev/null || true
    wait "${desktop#* }" 2>/dev/null || true
  done
  KVX_DESKTOPS=()
  wineserver -k >/dev/null 2>&1 || true
  [ -n "${KVX_PEER_PREFIX:-}" ] && { WINEPREFIX="$KVX_PEER_PREFIX" wineserver -k >/dev/null 2>&1 || true; }
  if [ -n "$KVX_XVFB_PID" ]; then
    kill "$KVX_XVFB_PID" 2>/dev/null || true
    wait "$KVX_XVFB_PID" 2>/dev/null || true
  fi
}
