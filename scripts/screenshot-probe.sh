#!/usr/bin/env bash
# Makes docs/probe.png: the Quake II server scanner under Wine on a virtual display, listing
# local stand-in servers (a Quake II one with players, a QuakeWorld one, one that never
# answers) and one whose name does not resolve.
#   scripts/screenshot-probe.sh [output folder]
# KVX_BUILD names another win64 build folder to take the scanner from (default build/win64).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
out="$(realpath -m "${1:-docs}")"
build="${KVX_BUILD:-build/win64}"

if [ -z "${KVX_BUILD:-}" ]; then scripts/build.sh win64; fi
# shellcheck source=wine-env.sh
source scripts/wine-env.sh
kvx_display own
kvx_wine_prefix
work="$(mktemp -d)"
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  kvx_wine_stop
  rm -rf "$work"
}
trap cleanup EXIT
kvx_wine_start
mkdir -p "$out"

responder=libs/probe/tests/quake_responder.py
serve() { # serve ADDRESS PORT ANSWER-BYTES
  local dir="$work/$1-$2"
  mkdir -p "$dir"
  printf '%b' "$3" >"$dir/$1_$2"
  python3 "$responder" "$dir" "$1:$2" &
  pids+=($!)
  for _ in $(seq 1 100); do [ -e "$dir/ready" ] && return 0; sleep 0.05; done
  echo "screenshot-probe: no stand-in server on $1:$2" >&2
  exit 1
}
ff='\xff\xff\xff\xff'
serve 127.0.0.61 27910 "${ff}print\n\\\\hostname\\\\KVX Base Camp\\\\mapname\\\\q2dm1\\\\maxclients\\\\16\n12 35 \"Ranger\"\n7 48 \"Grunt\"\n3 61 \"Sniper\"\n"
serve 127.0.0.64 27910 "${ff}print\n\\\\hostname\\\\Rocket Arena\\\\mapname\\\\q2dm8\\\\maxclients\\\\8\n"
serve 127.0.0.61 27500 "${ff}n\\\\maxclients\\\\12\\\\map\\\\dm4\\\\hostname\\\\Old School QW\n1 9 20 44 \"Alpha\" \"base\" 4 4\n"
serve 127.0.0.63 27910 ""

cp "$build/dist/probe.dll" "$build/tools/scannerhost/scanner_host.exe" "$work/"
printf '[Quake2]\r\nServer=127.0.0.61\r\nServer=127.0.0.64\r\nServer=127.0.0.61:27500\r\nServer=127.0.0.63\r\nServer=q2.no-such-host.invalid\r\n' \
  >"$work/probe.ini"
(cd "$work" && exec wine scanner_host.exe) &
host=$!
id=""
for _ in $(seq 1 100); do
  id="$(xdotool search --onlyvisible --name '^Quake II Servers$' 2>/dev/null | head -1)" && [ -n "$id" ] && break
  sleep 0.1
done
[ -n "$id" ] || { echo "screenshot-probe: the scanner did not appear" >&2; exit 1; }
xdotool windowmove "$id" 60 60
sleep 4 # the silent server's timeout and the failed name lookup
crop="$(xdotool getwindowgeometry --shell "$id" | awk -F= '
  /^X=/{x=$2} /^Y=/{y=$2} /^WIDTH=/{w=$2} /^HEIGHT=/{h=$2}
  END{printf "%dx%d+%d+%d", w+40, h+60, x-20, y-40}')"
import -window root -crop "$crop" +repage "$out/probe.png"
kill "$host" 2>/dev/null || true
wait "$host" 2>/dev/null || true
echo "screenshot-probe: $out/probe.png"
