#!/usr/bin/env bash
# Builds and runs the whole test suite, then the core tests again under address and
# undefined-behaviour sanitizers. Any failure or sanitizer report fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."

jobs=$(nproc)

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTAVRIX_BUILD_BENCH=ON
cmake --build build -j "$jobs"
ctest --test-dir build --output-on-failure -j "$jobs"

cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTAVRIX_SANITIZE=ON -DTAVRIX_BUILD_GUI=OFF
cmake --build build-asan -j "$jobs"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    ctest --test-dir build-asan --output-on-failure -j "$jobs"
