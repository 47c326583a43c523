#!/usr/bin/env bash
# A longer fuzz run: builds the targets and runs each for the given seconds (default 600), one
# after the other, keeping what they learn in build/fuzz/long/<target>/corpus for the next run.
#   bash tools/fuzz.sh [seconds] [target name...]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-600}
shift || true

bash "$root/tools/build.sh" fuzz
names=("$@")
if ((${#names[@]} == 0)); then
  for src in "$root"/fuzz/*_fuzz.cpp; do names+=("$(basename "$src" _fuzz.cpp)"); done
fi
status=0
for name in "${names[@]}"; do
  bash "$root/fuzz/run.sh" "$root/build/fuzz/fuzz/fuzz_$name" "$root/fuzz/corpus/$name" \
    "$root/build/fuzz/long/$name" "$seconds" || status=1
done
exit $status
