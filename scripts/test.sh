#!/usr/bin/env bash
# Builds every kind of build, runs the static checks and every test: the Windows client's
# unit and end-to-end tests under Wine on a private Xvfb display, and the native wire and
# server tests.
#   scripts/test.sh
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"

scripts/setup.sh
scripts/build.sh win64 win32 native
# Static checks read the builds' compile databases; a finding fails the run at the end,
# after the tests have had their say too.
status=0
scripts/static-check.sh || status=1

# shellcheck source=wine-env.sh
source scripts/wine-env.sh
# Tests move the pointer and need the focus: they get a display of their own.
kvx_display own
kvx_wine_prefix
kvx_wine_peer_prefix
trap kvx_wine_stop EXIT
kvx_wine_start
# The end-to-end tests run on a desktop of their own, beside the others.
kvx_desktop e2e

echo "test: win64 (under Wine on $DISPLAY)"
ctest --test-dir build/win64 --output-on-failure -j2 || status=1
# Wine reads the colour depth when its server starts: each display needs a new server.
for depth in 8 16; do
  kvx_wine_stop
  kvx_display own "$depth"
  kvx_wine_start
  echo "test: win64 display-depth tests again at $depth bits per pixel (on $DISPLAY)"
  ctest --test-dir build/win64 --output-on-failure -L display-depth || status=1
done
echo "test: native"
ctest --test-dir build/native --output-on-failure -j2 || status=1
exit $status
