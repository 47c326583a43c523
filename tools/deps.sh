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
  zip unzip nsis                                    # the portable archive and the installer
  clang libclang-rt-14-dev                          # the fuzz targets (libFuzzer, sanitizers)
  # online services: PCRE for the e-mail check, dpkg-dev to unpack PCRE's source for MinGW,
  # and the maker's server (nginx, php-fpm, SQLite) that the online tests start locally
  libpcre3-dev dpkg-dev nginx-light php-fpm php-cli php-sqlite3 openssl ca-certificates curl
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

# PCRE has no MinGW package: the Windows build compiles it from Debian's source package, fetched
# once into build/deps through a private apt source list, so the system's own lists stay as they are.
root=$(cd "$(dirname "$0")/.." && pwd)
pcre_dir="$root/build/deps/pcre3"
if [[ ! -f $pcre_dir/pcre_compile.c ]]; then
  apt_dir="$root/build/deps/apt"
  mkdir -p "$apt_dir/lists/partial" "$root/build/deps/src"
  suite=$(. /etc/os-release && echo "$VERSION_CODENAME")
  echo "deb-src http://deb.debian.org/debian $suite main" >"$apt_dir/sources.list"
  apt_opts=(-o "Dir::Etc::SourceList=$apt_dir/sources.list" -o "Dir::Etc::SourceParts=/nonexistent"
            -o "Dir::State::Lists=$apt_dir/lists" -o "Dir::Cache=$apt_dir/cache")
  apt-get "${apt_opts[@]}" update -q
  (cd "$root/build/deps/src" && apt-get "${apt_opts[@]}" source -q pcre3)
  rm -rf "$pcre_dir"
  mv "$(find "$root/build/deps/src" -maxdepth 1 -type d -name 'pcre3-*' | head -1)" "$pcre_dir"
fi
