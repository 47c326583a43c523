#!/usr/bin/env bash
# Builds everything and runs every test: the unit tests natively and under the sanitizers, the
# fuzz targets for a short while, then the end-to-end tests that drive the real orvalin.exe under
# Wine on a virtual display.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
start=$(date +%s)

bash "$root/tools/deps.sh"
bash "$root/tools/build.sh" all

status=0
echo "== unit tests"
(cd "$root/build/native" && ctest --output-on-failure --timeout 120) || status=1
echo "== unit tests under AddressSanitizer and UndefinedBehaviorSanitizer"
(cd "$root/build/asan" && ASAN_OPTIONS=detect_leaks=1:abort_on_error=0 \
  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --output-on-failure --timeout 300 -E '^server_tests$') || status=1
echo "== fuzz targets, each for a bounded time over its seed corpus"
(cd "$root/build/fuzz" && ctest --output-on-failure) || status=1
cat "$root"/build/fuzz/short/*/summary.txt 2>/dev/null || true
echo "== end-to-end tests (Wine)"
(cd "$root/build/win" && ctest --output-on-failure) || status=1

echo "== done in $(( $(date +%s) - start )) s; end-to-end artefacts in $root/build/win/e2e-artefacts"
exit $status
