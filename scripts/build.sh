#!/usr/bin/env bash
# Configures and builds every kind of build: win64 (run and tested under Wine), win32
# (compiled warning-free, not run) and native (wire format and server, with sanitizers);
# bench is the native build again, optimised and without sanitizers, for honest figures.
#   scripts/build.sh [win64|win32|native|bench ...]   default: the first three
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
kinds=("$@")
[ ${#kinds[@]} -gt 0 ] || kinds=(win64 win32 native)

# Configures once, and again whenever the options (or the compilers chosen by CC and CXX)
# differ from those the folder was configured with.
configure() {
  local dir=$1; shift
  local options="${CC:-} ${CXX:-} $*"
  if [ ! -f "$dir/build.ninja" ] || [ "$(cat "$dir/.kvx-options" 2>/dev/null)" != "$options" ]; then
    cmake -G Ninja -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
    printf '%s' "$options" > "$dir/.kvx-options"
  fi
}

for kind in "${kinds[@]}"; do
  case "$kind" in
    win64)  configure build/win64 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake ;;
    win32)  configure build/win32 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DBUILD_TESTING=OFF ;;
    native) CC=clang CXX=clang++ configure build/native -DKVX_SANITIZE=ON ;;
    bench)  CC=clang CXX=clang++ configure build/bench -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF ;;
    *) echo "build: unknown kind $kind" >&2; exit 2 ;;
  esac
  echo "build: $kind"
  cmake --build "build/$kind"
done
