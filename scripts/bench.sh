#!/usr/bin/env bash
# Builds and runs the benchmarks, which print figures: the client's start to Online against
# a local server beside a bare window process under the same Wine, one paint of the bar
# beside one BitBlt of its area, and the server's own.
#   scripts/bench.sh [runs]
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"

scripts/setup.sh
scripts/build.sh win64 native
# shellcheck source=wine-env.sh
source scripts/wine-env.sh
kvx_display own
kvx_wine_prefix
trap kvx_wine_stop EXIT
kvx_wine_start

echo "bench: client start (under Wine on $DISPLAY)"
wine build/win64/client/tests/startup_bench.exe "${1:-5}"
echo "bench: painting the bar (under Wine on $DISPLAY)"
paint="$(mktemp -d)"
cp -r build/win64/dist/. "$paint/"
(cd "$paint" && wine "$root/build/win64/client/tests/paint_bench.exe")
rm -rf "$paint"
echo "bench: server"
build/native/server/bench/kvx-server-bench
echo "bench: presence fan-out (1,000 and 10,000 clients, 20 watchers each)"
build/native/server/bench/kvx-presence-bench
