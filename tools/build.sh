#!/usr/bin/env bash
# Builds the native unit tests (build/native), the same tests under AddressSanitizer and
# UndefinedBehaviorSanitizer (build/asan), the libFuzzer targets with clang (build/fuzz) and
# orvalin.exe with its test tools (build/win).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
jobs=$(nproc 2>/dev/null || echo 2)

what=${1:-all}
if [[ $what == all || $what == native ]]; then
  cmake -S "$root" -B "$root/build/native" -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build "$root/build/native" -j "$jobs"
fi
if [[ $what == all || $what == asan ]]; then
  # Any sanitizer report ends the test run with a failure (no recovering, no leak left unreported).
  san="-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer"
  cmake -S "$root" -B "$root/build/asan" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORVALIN_BUILD_BENCH=OFF \
    -DCMAKE_CXX_FLAGS="$san" -DCMAKE_C_FLAGS="$san" -DCMAKE_EXE_LINKER_FLAGS="$san" >/dev/null
  cmake --build "$root/build/asan" -j "$jobs"
fi
if [[ $what == all || $what == fuzz ]]; then
  # The core is instrumented for coverage and both sanitizers; the targets add libFuzzer's main.
  fz="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer"
  cmake -S "$root" -B "$root/build/fuzz" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
    -DORVALIN_BUILD_BENCH=OFF -DORVALIN_BUILD_TESTS=OFF -DORVALIN_BUILD_FUZZ=ON \
    -DCMAKE_CXX_FLAGS="$fz" -DCMAKE_C_FLAGS="$fz" >/dev/null
  cmake --build "$root/build/fuzz" -j "$jobs"
fi
if [[ $what == all || $what == win ]]; then
  cmake -S "$root" -B "$root/build/win" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" >/dev/null
  cmake --build "$root/build/win" -j "$jobs"
fi
