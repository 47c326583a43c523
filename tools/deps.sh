#!/usr/bin/env bash
# Installs what building and testing need, from Debian's packages. Safe to run again: it only
# calls apt-get when something is missing.
set -euo pipefail

packages=(
  cmake make g++ libgtest-dev                       # native build and unit tests
  g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64  # orvalin.exe
  wine wine64 fonts-wine                            # running it
  xvfb xauth x11-utils xdotool imagemagick          # a display, a hand and eyes for the tests
  locales                                           # a German locale for Wine in the language tests
  librsvg2-bin icoutils                             # pictures and icons from their SVG sources
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -q
  apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
