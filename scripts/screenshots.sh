#!/usr/bin/env bash
# Shoots the main window with a preview and a result, the settings dialog, the directory chooser,
# the About box and the directory window with a chart as real windows under Xvfb, into
# doc/guide/screenshots/ (build directory: $TAVRIX_BUILD_DIR, else build/).
# The pictures show a plausible home folder, /home/jane, not a scratch one: a private mount
# namespace lays an empty /home over the real one for the screenshot taker alone. Where such
# namespaces are not allowed, the pictures show a temporary folder instead.
set -euo pipefail
cd "$(dirname "$0")/.."

build=${TAVRIX_BUILD_DIR:-build}
cmake -S . -B "$build" -G Ninja >/dev/null
cmake --build "$build" -j "$(nproc)" --target tavrix-screenshots
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
# The real /home may hold this tree, so the taker and its input are copied out of it first.
cp "$build/tavrix-screenshots" examples/acme-daily.csv "$scratch/"
mkdir -p "$scratch/shots" doc/guide/screenshots
shoot() {
    QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1024x768x24" "$@"
}
if unshare -r -m true 2>/dev/null; then
    shoot unshare -r -m sh -c '
        set -e
        mount -t tmpfs tmpfs /home
        mkdir -p /home/jane/Downloads
        cp "$1/acme-daily.csv" /home/jane/Downloads/
        HOME=/home/jane "$1/tavrix-screenshots" /home/jane/Downloads/acme-daily.csv "$1/shots" /home/jane' \
        sh "$scratch"
else
    echo "screenshots.sh: no private mount namespace; the pictures show a temporary folder" >&2
    shoot "$scratch/tavrix-screenshots" "$scratch/acme-daily.csv" "$scratch/shots"
fi
cp "$scratch"/shots/*.png doc/guide/screenshots/
