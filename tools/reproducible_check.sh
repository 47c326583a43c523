#!/usr/bin/env bash
# Builds orvalin.exe a second time from a copy of the sources in another folder and compares the
# bytes with the exe of the main build: time stamps or folder names in the binary would differ.
# usage: reproducible_check.sh <source dir> <built orvalin.exe> <PCRE source dir>
set -euo pipefail
src=$1 exe=$2 pcre=$3
root=$(dirname "$src")
work=$(mktemp -d "${TMPDIR:-/tmp}/orvalin-repro.XXXXXX")
trap 'rm -rf "$work"' EXIT
copy="$work/another-checkout-folder"
mkdir -p "$copy"
# The tracked and new files, as a checkout of this tree would have them (no build output).
(cd "$src" && git ls-files -z --cached --others --exclude-standard | grep -zv '^build/' |
  xargs -0 cp --parents -t "$copy")
# PCRE's source, fetched by tools/deps.sh, where a fresh checkout would have it.
mkdir -p "$copy/build/deps" && cp -a "$pcre" "$copy/build/deps/pcre3"
cmake -S "$copy" -B "$copy/out" -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$copy/cmake/mingw-w64-x86_64.cmake" >/dev/null
cmake --build "$copy/out" --target orvalin -j "$(nproc 2>/dev/null || echo 2)" >/dev/null
second="$copy/out/orvalin.exe"
if cmp -s "$exe" "$second"; then
  echo "identical: $(sha256sum < "$exe" | cut -d' ' -f1)"
  exit 0
fi
echo "orvalin.exe differs between two builds of the same sources:"
cmp -l "$exe" "$second" | head -20
echo "$(cmp -l "$exe" "$second" | wc -l) bytes differ"
exit 1
