#!/usr/bin/env bash
# Installs the Debian packages that building and testing Tavrix need (run as root).
set -euo pipefail

# Qt Charts' CMake files need Qt OpenGL's, which Debian's qt6-charts-dev does not pull in.
packages=(cmake ninja-build g++ pkg-config libgtest-dev libgmock-dev libbenchmark-dev libcli11-dev
          qt6-base-dev qt6-charts-dev libqt6opengl6-dev libgl-dev xvfb xauth desktop-file-utils dpkg-dev file
          lintian appstream clang libclang-rt-dev)
missing=()
for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
done
if ((${#missing[@]})); then
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -q
    apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
