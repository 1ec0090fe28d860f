#!/usr/bin/env bash
# Builds Tavrix and converts the bundled sample into a fresh directory, then lists and shows it.
set -euo pipefail
cd "$(dirname "$0")/.."

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc)" --target tavrix-cli

out=${1:-build/sample-output}
rm -rf "$out"
mkdir -p "$out"
build/tavrix-cli convert examples/acme-daily.csv --dir "$out" --symbol ACME --name "ACME CORP" \
    --new-master --date-format MM_DD_CCYY --skip 1
build/tavrix-cli list "$out"
build/tavrix-cli export "$out" ACME | head -n 5
