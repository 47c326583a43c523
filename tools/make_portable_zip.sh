#!/usr/bin/env bash
# Packs the portable archive: orvalin.exe, Languages\ and license.txt at the top of the zip, so
# that unpacked into a writable folder the program keeps its settings.ini beside itself.
# Reproducible: files in a fixed order, each dated with the commit's time (or a fixed date outside
# a git checkout, or SOURCE_DATE_EPOCH when set), fixed permissions, and no extra fields that carry local times or owners.
# usage: make_portable_zip.sh <build dir with orvalin.exe> <source dir> <output zip>
set -euo pipefail
bin=$1 src=$2 out=$3
stamp=${SOURCE_DATE_EPOCH:-$(git -C "$src" log -1 --format=%ct 2>/dev/null || echo 946684800)}
stage=$(mktemp -d "${TMPDIR:-/tmp}/orvalin-zip.XXXXXX")
trap 'rm -rf "$stage"' EXIT
mkdir -p "$stage/Languages"
cp "$bin/orvalin.exe" "$bin/license.txt" "$stage/"
cp "$bin"/Languages/* "$stage/Languages/"
find "$stage" -type f -exec chmod 644 {} + -exec touch -d "@$stamp" {} +
mkdir -p "$(dirname "$out")"
rm -f "$out"
out=$(cd "$(dirname "$out")" && pwd)/$(basename "$out")
(cd "$stage" && { echo orvalin.exe; echo license.txt; find Languages -type f | LC_ALL=C sort; } |
  TZ=UTC zip -q -X -D -9 "$out" -@)
echo "portable archive: $out"
