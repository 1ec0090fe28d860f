#!/usr/bin/env bash
# Builds and runs the whole test suite, then the core tests again under address and
# undefined-behaviour sanitizers, then fuzzes each parser for 30 seconds. Any failure, sanitizer
# report or fuzzing finding fails the run.
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

# Fuzzing works on a copy of each seed corpus in build-fuzz, never on fuzz/corpus itself; a
# finding leaves its reproducer in build-fuzz/artifacts/<target>/.
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTAVRIX_FUZZ=ON \
    -DTAVRIX_BUILD_GUI=OFF -DTAVRIX_BUILD_TESTS=OFF
fuzz_targets=(date_text_fuzz hive_fuzz master_fuzz conversion_fuzz detection_fuzz)
cmake --build build-fuzz -j "$jobs" --target "${fuzz_targets[@]}"
# The targets make and remove a directory tree per input: keep that in memory when we can.
scratch_base=/tmp
[[ -d /dev/shm && -w /dev/shm ]] && scratch_base=/dev/shm
fuzz_scratch=$(mktemp -d "$scratch_base/tavrix-fuzz.XXXXXX")
trap 'rm -rf "$fuzz_scratch"' EXIT
findings=()
for target in "${fuzz_targets[@]}"; do
    corpus="build-fuzz/corpus/$target"
    artifacts="$PWD/build-fuzz/artifacts/$target/"
    mkdir -p "$corpus" "$artifacts"
    cp fuzz/corpus/"$target"/* "$corpus"/
    log="build-fuzz/artifacts/$target.log"
    if ! TMPDIR="$fuzz_scratch" "build-fuzz/fuzz/$target" -max_total_time=30 -timeout=10 \
        -artifact_prefix="$artifacts" "$corpus" >"$log" 2>&1; then
        grep -a -m1 -B2 -A12 "fuzz check failed\|ERROR: \|runtime error" "$log" || tail -n 40 "$log"
        echo "fuzzing $target found a fault; reproducer in $artifacts (run: build-fuzz/fuzz/$target FILE)" >&2
        findings+=("$target")
        continue
    fi
    sed -n "s/^Done/$target: done/p" "$log"
done
if ((${#findings[@]})); then
    echo "fuzzing found faults in: ${findings[*]}" >&2
    exit 1
fi
