#!/usr/bin/env bash
# Installs the build into a temporary prefix and checks that a desktop user gets everything:
# both programs, a desktop entry that offers Tavrix for the files it opens, AppStream metainfo,
# the icon in every size, the user guide with its pictures and both manual pages. Then builds the
# Debian package, looks inside it and has lintian check it: any lintian error fails.
set -euo pipefail
build=$(cd "$1" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

cmake --install "$build" --prefix "$work/prefix" >/dev/null
cd "$work/prefix"
for file in bin/tavrix bin/tavrix-cli share/applications/tavrix.desktop share/man/man1/tavrix-cli.1.gz \
    share/man/man1/tavrix.1.gz share/doc/tavrix/guide/index.html share/doc/tavrix/copyright \
    share/doc/tavrix/changelog.gz share/metainfo/org.example.tavrix.metainfo.xml \
    share/icons/hicolor/scalable/apps/tavrix.svg; do
    [ -s "$file" ] || fail "missing $file"
done
for size in 16 32 48 64 128 256; do
    icon=share/icons/hicolor/${size}x${size}/apps/tavrix.png
    [ -s "$icon" ] || { fail "missing $icon"; continue; }
    file "$icon" | grep -q "PNG image data, $size x $size" || fail "$icon is not a $size-pixel PNG"
done
desktop=share/applications/tavrix.desktop
desktop-file-validate "$desktop" || fail "desktop entry does not validate"
grep -q '^Exec=tavrix %F$' "$desktop" || fail "desktop entry does not hand tavrix the files"
for type in text/csv text/tab-separated-values; do
    grep -q "^MimeType=.*$type;" "$desktop" || fail "desktop entry does not open $type"
done
# Claiming text/plain would make Tavrix the program for every .txt file on a minimal desktop.
grep -q '^MimeType=.*text/plain' "$desktop" && fail "desktop entry claims text/plain"
appstreamcli validate --no-net share/metainfo/org.example.tavrix.metainfo.xml >"$work/appstream.txt" 2>&1 ||
    { cat "$work/appstream.txt"; fail "AppStream metainfo does not validate"; }
# Every picture the guide shows is installed beside it.
for picture in $(grep -o 'src="[^"]*"' share/doc/tavrix/guide/index.html | sed 's/src="//; s/"$//'); do
    [ -s "share/doc/tavrix/guide/$picture" ] || fail "guide shows missing $picture"
done
grep -q 'screenshots/about-box.png' share/doc/tavrix/guide/index.html || fail "guide lacks the About box"
for page in tavrix tavrix-cli; do
    man -l "share/man/man1/$page.1.gz" 2>/dev/null | grep -q "^NAME" || fail "manual page $page(1) does not format"
done
bin/tavrix-cli --version | grep -q '^tavrix-cli 1.5' || fail "installed tavrix-cli does not run"
# Asked for help, the desktop program answers without a display.
env -u DISPLAY -u WAYLAND_DISPLAY bin/tavrix --version | grep -q '^tavrix 1.5' || fail "tavrix --version"
env -u DISPLAY -u WAYLAND_DISPLAY bin/tavrix --help | grep -q '^Usage: tavrix' || fail "tavrix --help"

(cd "$build" && cpack -B "$work/package" >/dev/null) || fail "cpack failed"
package=$(ls "$work"/package/*.deb 2>/dev/null | head -n 1 || true)
if [ -z "$package" ]; then
    fail "no Debian package was made"
else
    contents=$(dpkg-deb -c "$package")
    for file in ./usr/bin/tavrix ./usr/bin/tavrix-cli ./usr/share/applications/tavrix.desktop \
        ./usr/share/man/man1/tavrix.1.gz ./usr/share/doc/tavrix/copyright; do
        grep -q " $file\$" <<<"$contents" || fail "package lacks $file"
    done
    dpkg-deb -f "$package" Depends | grep -q libqt6widgets6 || fail "package does not depend on Qt Widgets"
    if ! command -v lintian >/dev/null; then
        fail "lintian is not installed (scripts/setup.sh installs it)"
    elif ! lintian -I --fail-on error "$package" >"$work/lintian.txt" 2>&1; then
        cat "$work/lintian.txt"
        fail "lintian reports errors"
    elif grep -q 'spelling' "$work/lintian.txt"; then
        grep 'spelling' "$work/lintian.txt"
        fail "lintian finds misspellings"
    fi
fi

if ((failures)); then
    echo "$failures problems"
    exit 1
fi
echo "install tree and package complete"
