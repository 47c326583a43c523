#!/usr/bin/env bash
# Builds orvalin.exe, the installer and the portable zip a second time from a copy of the sources
# in another folder and compares the bytes with those of the main build: time stamps or folder
# names in them would differ.
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
# The zip is dated with the commit's time; the copy is no checkout, so it is handed that time.
export SOURCE_DATE_EPOCH
SOURCE_DATE_EPOCH=$(git -C "$src" log -1 --format=%ct 2>/dev/null || echo 946684800)
cmake --build "$copy/out" --target dist -j "$(nproc 2>/dev/null || echo 2)" >/dev/null
bin=$(dirname "$exe")
# The main build's zip may predate the newest commit: pack its files again with the same date.
zip_name=$(cd "$copy/out/dist" && echo Orvalin-*-portable.zip)
bash "$src/tools/make_portable_zip.sh" "$bin" "$src" "$work/$zip_name" >/dev/null
status=0
compare() {  # compare NAME FIRST SECOND
  if cmp -s "$2" "$3"; then
    echo "$1 identical: $(sha256sum < "$2" | cut -d' ' -f1)"
  else
    echo "$1 differs between two builds of the same sources:"
    cmp -l "$2" "$3" | head -20
    echo "$(cmp -l "$2" "$3" | wc -l) bytes differ"
    status=1
  fi
}
compare orvalin.exe "$exe" "$copy/out/orvalin.exe"
compare "$zip_name" "$work/$zip_name" "$copy/out/dist/$zip_name"
setup_name=$(cd "$copy/out/dist" && echo Orvalin-*-setup.exe)
compare "$setup_name" "$bin/dist/$setup_name" "$copy/out/dist/$setup_name"
exit $status
