#!/usr/bin/env bash
# Runs one fuzz target for a bounded time over its seed corpus and fails on any finding.
#   run.sh <target> <seed folder> <work folder> <seconds> [fresh]
# New inputs go to <work folder>/corpus (emptied first with "fresh", so a short run depends only
# on the seeds), a crashing or hanging input to <work folder>/findings. Prints the executions.
set -uo pipefail
target=$1 seeds=$2 work=$3 seconds=$4
[[ ${5:-} == fresh ]] && rm -rf "$work/corpus"
mkdir -p "$work/corpus" "$work/findings"
log="$work/fuzz.log"

# A smaller quarantine than AddressSanitizer's 256 MB: the inputs are small, and fresh pages for
# every freed block cost most of the run on these machines (about three times fewer executions).
export ASAN_OPTIONS=${ASAN_OPTIONS:-quarantine_size_mb=16}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1}
# -timeout: one input running this long is a hang; -rss_limit_mb: memory beyond this is a finding.
"$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
  -artifact_prefix="$work/findings/" "$work/corpus" "$seeds" >"$log" 2>&1
status=$?

runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
corpus=$(find "$work/corpus" -type f | wc -l)
summary="$(basename "$target"): ${runs:-?} executions in ${seconds} s, $corpus new corpus files"
echo "$summary" | tee "$work/summary.txt"
if ((status != 0)); then
  tail -n 80 "$log"
  echo "FINDING: input kept in $work/findings"
  ls -l "$work/findings"
  exit 1
fi
