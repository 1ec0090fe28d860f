#!/usr/bin/env bash
# Installs the build into a temporary prefix and checks that a desktop user gets everything:
# both programs, a valid .desktop entry, the icon in several sizes, the user guide with its
# pictures and the manual page. Then builds the Debian package and looks inside it.
set -euo pipefail
build=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

cmake --install "$build" --prefix "$work/prefix" >/dev/null
cd "$work/prefix"
for file in bin/tavrix bin/tavrix-cli share/applications/tavrix.desktop share/man/man1/tavrix-cli.1 \
    share/doc/tavrix/guide/index.html; do
    [ -s "$file" ] || fail "missing $file"
done
for size in 16 32 48 64; do
    icon=share/icons/hicolor/${size}x${size}/apps/tavrix.png
    [ -s "$icon" ] || { fail "missing $icon"; continue; }
    file "$icon" | grep -q "PNG image data, $size x $size" || fail "$icon is not a $size-pixel PNG"
done
desktop-file-validate share/applications/tavrix.desktop || fail "desktop entry does not validate"
grep -q '^Exec=tavrix' share/applications/tavrix.desktop || fail "desktop entry does not run tavrix"
# Every picture the guide shows is installed beside it.
for picture in $(grep -o 'src="[^"]*"' share/doc/tavrix/guide/index.html | sed 's/src="//; s/"$//'); do
    [ -s "share/doc/tavrix/guide/$picture" ] || fail "guide shows missing $picture"
done
grep -q 'screenshots/about-box.png' share/doc/tavrix/guide/index.html || fail "guide lacks the About box"
man -l share/man/man1/tavrix-cli.1 >/dev/null 2>&1 || fail "manual page does not format"
bin/tavrix-cli --version | grep -q '^tavrix-cli 1.5' || fail "installed tavrix-cli does not run"

(cd "$build" && cpack -B "$work/package" >/dev/null) || fail "cpack failed"
package=$(ls "$work"/package/*.deb 2>/dev/null | head -n 1)
if [ -z "$package" ]; then
    fail "no Debian package was made"
else
    contents=$(dpkg-deb -c "$package")
    for file in ./usr/bin/tavrix ./usr/bin/tavrix-cli ./usr/share/applications/tavrix.desktop; do
        grep -q " $file\$" <<<"$contents" || fail "package lacks $file"
    done
    dpkg-deb -f "$package" Depends | grep -q libqt6widgets6 || fail "package does not depend on Qt Widgets"
fi

if ((failures)); then
    echo "$failures problems"
    exit 1
fi
echo "install tree and package complete"
