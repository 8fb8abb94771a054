#!/usr/bin/env bash
# Installs the Debian packages the project needs, when missing. Safe to run again.
set -euo pipefail

packages=(
  cmake ninja-build python3 git
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix
  g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix binutils-mingw-w64
  googletest
  wine wine64
  xvfb xdotool x11-apps imagemagick
  clang libclang-rt-14-dev clang-tidy clang-format cppcheck
  libasio-dev libsqlite3-dev libsodium-dev libssl-dev openssl pkg-config nsis
  postgresql libpq-dev haproxy
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "setup: installing ${missing[*]}"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
