#!/usr/bin/env bash
# Makes the README's pictures of the bar under Wine on a virtual display, each from a fresh
# copy of the runnable folder: docs/bar-offline.png (no server), bar-connecting.png (a server
# that never answers), bar-online.png (a real local server), bar-inactive.png (another window
# has the focus), bar-lodef.png (the low-colour skin) and bar-tall.png (a 600-pixel bar).
#   scripts/screenshot.sh [output folder [shot ...]]   (shots: the names above, all by default)
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
out="$(realpath -m "${1:-docs}")"
only=("${@:2}")

scripts/build.sh win64 native
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

# Addresses of their own, so nothing else on port 2600 is in the way.
online=127.0.0.51
silent=127.0.0.52
build/native/server/kvx-server --bind "$online" --port 2600 --db "$work/kvx-server.db" --fast-hash \
  2>"$work/kvx-server.log" &
pids+=($!)
python3 -c '
import socket, sys, time
s = socket.socket(); s.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
s.bind((sys.argv[1], 2600)); s.listen(4)
held = []
while True:
    held.append(s.accept()[0])  # accepted, never answered: the client stays Connecting
' "$silent" &
pids+=($!)
account=""
for _ in $(seq 1 50); do
  # The server's own certificate, pinned as the client pins it.
  pin="$(openssl x509 -noout -fingerprint -sha256 -in "$work/kvx-server.db.cert.pem" 2>/dev/null | sed 's/.*=//')"
  [ -n "$pin" ] && account="$(scripts/signup.py --fingerprint "$pin" "$online" shot1 2>/dev/null)" && break
  sleep 0.1
done
[ -n "$account" ] || { echo "screenshot: no account from the local server" >&2; exit 1; }

bar_window() {
  # Wine maps helper windows too; the bar is the visible one that is 199 pixels wide.
  local w
  for w in $(xdotool search --onlyvisible --classname kvx.exe 2>/dev/null || true); do
    xdotool getwindowgeometry --shell "$w" | grep -qx 'WIDTH=199' && { echo "$w"; return 0; }
  done
  return 1
}

# click_region BAR-ID LEFT TOP-FROM-BOTTOM-PIECE: a left click in that bottom-anchored region.
click_region() {
  local geometry x y h
  geometry="$(xdotool getwindowgeometry --shell "$1")"
  x="$(sed -n 's/^X=//p' <<<"$geometry")"
  y="$(sed -n 's/^Y=//p' <<<"$geometry")"
  h="$(sed -n 's/^HEIGHT=//p' <<<"$geometry")"
  xdotool mousemove $((x + $2 + 8)) $((y + h - 60 + $3 + 8)) click 1
}

# shoot NAME INI-TEXT [inactive | docked | hover X Y | menu LEFT TOP KEYS...]: starts the
# client with that KVX.ini, waits for it to settle and saves the bar with a 20-pixel margin
# of desktop around it (a docked bar with the desktop beside it; a hover or menu shot with
# room on the right for the balloon or the menus).
shoot() {
  if [ ${#only[@]} -gt 0 ] && [[ " ${only[*]} " != *" $1 "* ]]; then return 0; fi
  local name="$1" ini="$2" mode="${3:-}" dir="$work/$1" id="" client other="" crop
  mkdir -p "$dir"
  cp -r build/win64/dist/. "$dir/"
  printf '%b' "$ini" >"$dir/KVX.ini"
  (cd "$dir" && exec wine KVX.exe) &
  client=$!
  for _ in $(seq 1 100); do
    id="$(bar_window)" && break
    sleep 0.1
  done
  [ -n "$id" ] || { echo "screenshot: the bar did not appear for $name" >&2; exit 1; }
  if [ "$mode" = inactive ]; then
    # Any window of its own will do to take the focus; Wine's notepad keeps its place here.
    for v in iWindowPosX:560 iWindowPosY:60 iWindowPosDX:300 iWindowPosDY:200; do
      wine reg add 'HKCU\Software\Microsoft\Notepad' /v "${v%%:*}" /t REG_DWORD /d "${v##*:}" /f >/dev/null 2>&1
    done
    (cd "$dir" && exec wine notepad) &
    other=$!
  fi
  sleep 3
  # The bar with a margin; a menu shot also takes in the menus to its right.
  local extra=0
  case "$mode" in menu) extra=420 ;; hover) extra=260 ;; esac
  crop="$(xdotool getwindowgeometry --shell "$id" | awk -F= -v extra="$extra" '
    /^X=/{x=$2} /^Y=/{y=$2} /^WIDTH=/{w=$2} /^HEIGHT=/{h=$2}
    END{printf "%dx%d+%d+%d", w+40+extra, h+40, x-20, y-20}')"
  if [ "$mode" = menu ]; then
    click_region "$id" "$4" "$5"
    sleep 1
    for key in "${@:6}"; do
      xdotool key "$key"
      sleep 0.4
    done
    sleep 1
    import -window root -crop "$crop" +repage "$out/$name.png"
    xdotool key Escape Escape Escape
  elif [ "$mode" = hover ]; then
    # A press and release on the contact list gives the bar the focus and moves nothing;
    # then the pointer rests on the point until the balloon comes.
    local geometry x y
    geometry="$(xdotool getwindowgeometry --shell "$id")"
    x="$(sed -n 's/^X=//p' <<<"$geometry")"
    y="$(sed -n 's/^Y=//p' <<<"$geometry")"
    xdotool mousemove $((x + 60)) $((y + 200)) click 1
    sleep 0.5
    xdotool mousemove $((x + $4)) $((y + $5))
    sleep 1.5
    import -window root -crop "$crop" +repage "$out/bar-$name.png"
  elif [ "$mode" = docked ]; then
    import -window root -crop 420x768+0+0 +repage "$out/bar-$name.png"
  else
    import -window root -crop "$crop" +repage "$out/bar-$name.png"
  fi
  [ -n "$other" ] && kill "$other" 2>/dev/null
  kill "$client" 2>/dev/null || true
  wait "$client" 2>/dev/null || true
  # The next shot needs the desktop to itself: one client at a time, and no old bar left.
  for _ in $(seq 1 50); do
    bar_window >/dev/null || break
    sleep 0.1
  done
  echo "screenshot: $name"
}

# Clear of the corner where Wine shows its own notification-area window.
place='[Window]\r\nx=300\r\ny=60\r\n'
user="[User]\r\nID=$account\r\nPW=shot1\r\n"
shoot offline "$place[Server]\r\n1=127.0.0.53\r\n[User]\r\nID=10000\r\nPW=none\r\n"
shoot connecting "$place[Server]\r\n1=$silent\r\n$user"
shoot online "$place[Server]\r\n1=$online\r\nFingerprint=$pin\r\n$user"
shoot inactive "$place[Server]\r\n1=$online\r\nFingerprint=$pin\r\n$user" inactive
shoot lodef "${place}SkinM=LoDef\r\n[Server]\r\n1=$online\r\nFingerprint=$pin\r\n$user"
shoot tall "${place}h=600\r\n[Server]\r\n1=$online\r\nFingerprint=$pin\r\n$user"
shoot menu-dock "$place[Server]\r\n1=$online\r\nFingerprint=$pin\r\n$user" menu 12 29 Down Down Right Right
shoot menu-skins "$place[Server]\r\n1=$online\r\nFingerprint=$pin\r\n$user" menu 12 29 Down Down Right Down Right
shoot menu-status "$place[Server]\r\n1=$online\r\nFingerprint=$pin\r\n$user" menu 70 29 Down Down
shoot docked "[Window]\r\nDock=10\r\n[Server]\r\n1=$online\r\nFingerprint=$pin\r\n$user" docked
shoot balloon "$place[Server]\r\n1=$online\r\nFingerprint=$pin\r\n$user" hover 181 13
shoot adtip "$place[Server]\r\n1=$online\r\nFingerprint=$pin\r\n$user" hover 100 50
