#!/usr/bin/env bash
# Builds the Debian package from the build tree into a temporary folder, then
# checks what it holds, what it depends on, that each unpacked program runs,
# and that lintian finds no error in it.
set -euo pipefail
build=$1 version=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "package_test: $*" >&2; exit 1; }

cpack --config "$build/CPackConfig.cmake" -B "$work" >"$work/cpack.log" || { cat "$work/cpack.log"; fail "cpack"; }
deb=$work/tovi_${version}_$(dpkg --print-architecture).deb
contents=$(dpkg-deb -c "$deb" | awk '{ print $6 }')
dpkg-deb -x "$deb" "$work/root"
has() { grep -qx "./usr/$1" <<<"$contents" || fail "$1 fehlt im Paket"; }

has share/applications/tovi.desktop
has share/doc/tovi/copyright
has share/doc/tovi/changelog.gz
has share/mime/packages/tovi.xml
for size in 16 32 48 64 128; do
    has share/icons/hicolor/${size}x$size/apps/tovi.png
    file "$work/root/usr/share/icons/hicolor/${size}x$size/apps/tovi.png" |
        grep -q "PNG image data, $size x $size" || fail "Icon $size ist kein PNG dieser Größe"
done
for program in tovi tovi-asm tovi-upload tovi-sim tovi-dis; do
    has bin/$program
    has share/man/man1/$program.1.gz
    has share/man/de/man1/$program.1.gz
    warnings=$(zcat "$work/root/usr/share/man/man1/$program.1.gz" | groff -k -man -ww -z 2>&1)
    [ -z "$warnings" ] || fail "$program.1: $warnings"
    help=$("$work/root/usr/bin/$program" --help) || fail "$program --help"
    [[ $help == Aufruf:* ]] || fail "$program --help: $help"
done
names=$(dpkg-deb -f "$deb" Depends | tr , "\n" | awk '{ print $1 }')
for library in libqt6core6 libqt6gui6 libqt6widgets6 libqt6serialport6; do
    grep -qx "$library" <<<"$names" || fail "Depends ohne $library"
done
report=$(lintian "$deb" 2>&1) || fail "lintian: $report"
