#!/usr/bin/env bash
# Builds the client and runs it from a copy of the runnable folder (build/run), on $DISPLAY
# or, when there is none, on a virtual display started here. Once the server exists it is
# started on loopback and the client is pointed at it, with the server's self-signed
# certificate pinned in the run folder's KVX.ini.
#   scripts/run.sh
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"

scripts/setup.sh
scripts/build.sh win64 native

# shellcheck source=wine-env.sh
source scripts/wine-env.sh
had_display="${DISPLAY:-}"
kvx_display
kvx_wine_prefix
server_pid=""
cleanup() {
  [ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null || true
  kvx_wine_stop
}
trap cleanup EXIT
kvx_wine_start

# The run folder keeps its KVX.ini and account between runs, like a user's install.
mkdir -p build/run
cp -r build/win64/dist/. build/run/

if [ -x build/native/server/kvx-server ]; then
  # --demo makes (once per database) a demo account with demo contacts that come and go.
  rm -f build/run/demo-account
  build/native/server/kvx-server --bind 127.0.0.1 --port 2600 --db build/run/kvx-server.db \
    --motd "Welcome to the local KVX server." --news "This is a local KVX server with demo contacts." \
    --demo --demo-file build/run/demo-account >build/run/kvx-server.out 2>build/run/kvx-server.log &
  server_pid=$!
  for _ in $(seq 50); do
    [ -s build/run/demo-account ] && grep -q fingerprint build/run/kvx-server.out && break
    sleep 0.1
  done
  grep -q '^\[Server\]' build/run/KVX.ini 2>/dev/null || printf '[Server]\r\n1=127.0.0.1\r\n' >>build/run/KVX.ini
  # The local server's certificate is its own, self-signed: the client trusts it by its
  # fingerprint (pinned again each run, should the server have made a new one).
  fingerprint="$(sed -n 's/^TLS certificate SHA-256 fingerprint //p' build/run/kvx-server.out)"
  sed -i '/^Fingerprint=/d' build/run/KVX.ini
  sed -i "/^\[Server\]/a Fingerprint=${fingerprint}\r" build/run/KVX.ini
  # The demo account, unless the run folder already has an account of its own.
  if [ -s build/run/demo-account ] && ! grep -q '^ID=[0-9]' build/run/KVX.ini; then
    demo_id="$(sed -n 's/^ID=//p' build/run/demo-account)"
    demo_pw="$(sed -n 's/^PW=//p' build/run/demo-account)"
    if grep -q '^\[User\]' build/run/KVX.ini; then
      sed -i "/^\[User\]/a ID=${demo_id}\r\nPW=${demo_pw}\r" build/run/KVX.ini
    else
      printf '[User]\r\nID=%s\r\nPW=%s\r\n' "$demo_id" "$demo_pw" >>build/run/KVX.ini
    fi
    echo "run: logging in as the demo account $demo_id (password $demo_pw)"
  fi
  echo "run: local server on 127.0.0.1:2600 (log: build/run/kvx-server.log)"
fi

if [ -z "$had_display" ]; then
  echo "run: no \$DISPLAY, the bar is on the virtual display $DISPLAY."
  echo "run: to see it, take a screenshot:  DISPLAY=$DISPLAY import -window root shot.png"
  echo "run: or watch it:                   x11vnc -display $DISPLAY  (then any VNC viewer)"
fi
echo "run: starting KVX.exe in build/run; press Escape on the bar (or Ctrl+C here) to quit."
cd build/run
wine KVX.exe
