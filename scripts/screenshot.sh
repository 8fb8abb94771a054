#!/usr/bin/env bash
# Makes docs/bar.png: the client's bar as it looks under Wine on a virtual display.
#   scripts/screenshot.sh [output.png]
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
out="${1:-docs/bar.png}"

scripts/build.sh win64
# shellcheck source=wine-env.sh
source scripts/wine-env.sh
kvx_display own
kvx_wine_prefix
trap kvx_wine_stop EXIT
kvx_wine_start

shot="$(mktemp -d)"
cp -r build/win64/dist/. "$shot/"
(cd "$shot" && exec wine KVX.exe) &
client=$!
for _ in $(seq 1 100); do
  # Wine maps helper windows too; the bar is the visible one that is 199 pixels wide.
  id=""
  for w in $(xdotool search --onlyvisible --classname kvx.exe 2>/dev/null || true); do
    xdotool getwindowgeometry --shell "$w" | grep -qx 'WIDTH=199' && { id=$w; break; }
  done
  [ -n "$id" ] && break
  sleep 0.1
done
[ -n "$id" ] || { echo "screenshot: the bar did not appear" >&2; exit 1; }
sleep 1
mkdir -p "$(dirname "$out")"
import -window root -crop "$(xdotool getwindowgeometry --shell "$id" | awk -F= '
  /^X=/{x=$2} /^Y=/{y=$2} /^WIDTH=/{w=$2} /^HEIGHT=/{h=$2} END{printf "%dx%d+%d+%d", w+40, h+40, x-20, y-20}')" "$out"
kill "$client" 2>/dev/null || true
rm -rf "$shot"
echo "screenshot: $out"
