#!/usr/bin/env bash
# Builds and runs the benchmarks, which print figures, and ends with a table of each figure
# beside its reference: the client's start to Online beside a bare window process under the
# same Wine, the idle Online bar's CPU and working set beside the same bare window, one
# paint of the bar beside one BitBlt of its area, frame parsing beside a memcpy of the same
# bytes, handshakes beside bare TCP connections, and presence fan-out at 1,000 and 10,000
# clients beside one request answered by one frame, and a file's upload and fetch through the
# server beside a plain TCP copy of the same bytes. The server's figures come from an
# optimised build without sanitizers (build/bench). CPU figures are noisy on a busy machine:
# the load average is printed first and last.
#   scripts/bench.sh [runs] [idle-seconds]      defaults: 5 runs, 60 s
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
runs="${1:-5}"
idle="${2:-60}"

scripts/setup.sh
scripts/build.sh win64 native bench
# shellcheck source=wine-env.sh
source scripts/wine-env.sh
kvx_display own
kvx_wine_prefix
trap kvx_wine_stop EXIT
kvx_wine_start

out="$(mktemp)"
trap 'kvx_wine_stop; rm -f "$out"' EXIT
# Every figure goes to the screen as it comes; the "TABLE|" lines are kept for the end.
run() { "$@" | tee -a "$out" | grep -v '^TABLE|'; }

echo "bench: load average $(cut -d' ' -f1-3 /proc/loadavg)"
echo "bench: client start (under Wine on $DISPLAY)"
run wine build/win64/client/bench/startup_bench.exe "$runs"
echo "bench: the idle Online bar for $idle s (under Wine on $DISPLAY)"
run wine build/win64/client/bench/idle_bench.exe "$idle"
echo "bench: painting the bar (under Wine on $DISPLAY)"
paint="$(mktemp -d)"
cp -r build/win64/dist/. "$paint/"
(cd "$paint" && run wine "$root/build/win64/client/bench/paint_bench.exe")
rm -rf "$paint"
echo "bench: server"
run build/bench/server/bench/kvx-server-bench
echo "bench: presence fan-out (1,000 and 10,000 clients, 20 watchers each)"
run build/bench/server/bench/kvx-presence-bench
echo "bench: a file through the server (loopback)"
run build/bench/server/bench/kvx-transfer-bench
echo "bench: load average $(cut -d' ' -f1-3 /proc/loadavg)"

echo
grep '^TABLE|' "$out" | tr -d '\r' | awk -F'|' '
  function number(text) { return text + 0 }
  BEGIN { printf "%-58s | %-20s | %-34s | %s\n", "figure", "ours", "reference", "ratio"
          printf "%-58s-+-%-20s-+-%-34s-+-%s\n", "----------------------------------------------------------",
                 "--------------------", "----------------------------------", "------" }
  { ratio = ($4 == "-" || number($4) == 0) ? "-" : sprintf("%.2f", number($3) / number($4))
    printf "%-58s | %-20s | %-34s | %s\n", $2, $3, $4, ratio }'
