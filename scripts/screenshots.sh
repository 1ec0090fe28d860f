#!/usr/bin/env bash
# Shoots the main window with a preview, the settings dialog and the directory chooser as real
# windows under Xvfb, into doc/guide/screenshots/.
set -euo pipefail
cd "$(dirname "$0")/.."

cmake -S . -B build -G Ninja >/dev/null
cmake --build build -j "$(nproc)" --target tavrix-screenshots
mkdir -p doc/guide/screenshots
QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1024x768x24" \
    build/tavrix-screenshots examples/acme-daily.csv doc/guide/screenshots
