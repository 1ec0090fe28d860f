#!/usr/bin/env bash
# Builds Tavrix and converts the bundled sample into a fresh directory, then lists and shows it.
set -euo pipefail
cd "$(dirname "$0")/.."

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc)" --target tavrix-cli

out=${1:-build/sample-output}
rm -rf "$out"
build/tavrix-cli convert examples/acme-daily.csv --dir "$out" --symbol ACME --name "ACME CORP"
build/tavrix-cli list "$out"
# sed reads the whole export: head would close the pipe early, and pipefail would fail the script.
build/tavrix-cli export "$out" ACME | sed -n '1,5p' 
