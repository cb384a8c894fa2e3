#!/bin/sh
# The Debian package of a build, as a desktop would see it installed: make it with CPack, unpack it
# with dpkg -x into a scratch root, validate its desktop entry and AppStream metadata, and check
# that every file they name is there (programs, icons, the entry the metadata launches), that the
# emulator is not, and that every package it depends on is one Debian knows.
# Usage: package_test.sh BUILD_DIR
set -eu

build=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() {
    echo "FAIL: $*" >&2
    exit 1
}

cpack --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1 || { cat "$work/cpack.log" >&2; fail "cpack"; }
set -- "$work"/out/pagewright_*.deb
[ -f "$1" ] || fail "no pagewright_*.deb was made"
deb=$1

dpkg-deb -c "$deb" >"$work/contents"
if grep -q emulator "$work/contents"; then fail "the emulator is in the package"; fi
depends=$(dpkg-deb -f "$deb" Depends)
for needed in libqt6widgets6 libqt6webenginewidgets6 libqt6webenginecore6-bin libqt6svg6 libcurl4 libpugixml1v5 libsecret-1-0; do
    echo "$depends" | grep -q "$needed" || fail "the package does not depend on $needed: $depends"
done
# Every dependency is a package this Debian release has (when the machine has package lists).
if apt-cache show libc6 >/dev/null 2>&1; then
    for name in $(echo "$depends" | tr ',|' '\n\n' | sed 's/(.*)//; s/ //g' | sort -u); do
        apt-cache show "$name" >/dev/null 2>&1 || fail "the package depends on $name, which Debian does not have"
    done
fi

root="$work/root"
dpkg -x "$deb" "$root"
share="$root/usr/share"
set -- "$share"/applications/*.desktop
[ -f "$1" ] || fail "no desktop entry"
entry=$1
id=$(basename "$entry" .desktop)
desktop-file-validate "$entry" || fail "desktop-file-validate"
metainfo="$share/metainfo/$id.metainfo.xml"
[ -f "$metainfo" ] || fail "no AppStream metadata named after the entry ($id)"
appstreamcli validate --no-net "$metainfo" || fail "appstreamcli validate"

field() { sed -n "s/^$1=//p" "$entry" | head -n 1; }
for program in "$(field Exec | cut -d' ' -f1)" "$(field TryExec)"; do
    [ -x "$root/usr/bin/$program" ] || fail "the entry runs $program, which is not in /usr/bin"
done
icon=$(field Icon)
[ -f "$share/icons/hicolor/scalable/apps/$icon.svg" ] || fail "no scalable icon $icon.svg"
for size in 16 24 32 48 64 128 256 512; do
    png="$share/icons/hicolor/${size}x$size/apps/$icon.png"
    [ -f "$png" ] || fail "no ${size}px icon"
    head -c 8 "$png" | grep -q PNG || fail "the ${size}px icon is no PNG"
done

grep -q "<id>$id</id>" "$metainfo" || fail "the metadata's id is not the entry's"
launchable=$(sed -n 's:.*<launchable type="desktop-id">\(.*\)</launchable>.*:\1:p' "$metainfo")
[ -f "$share/applications/$launchable" ] || fail "the metadata launches $launchable, which is not there"
for binary in $(sed -n 's:.*<binary>\(.*\)</binary>.*:\1:p' "$metainfo"); do
    [ -x "$root/usr/bin/$binary" ] || fail "the metadata provides $binary, which is not there"
done
grep -q '<release version="[0-9]' "$metainfo" || fail "the metadata names no release"
for table in en zh-Hans; do
    [ -s "$share/pagewright/strings/$table.json" ] || fail "no $table string table"
done
# The command line names this path when no application id is set.
grep -q "Allow public client flows" "$share/doc/pagewright/microsoft-account.md" || fail "no registration guide"
grep -q "/usr/share/doc/pagewright/microsoft-account.md" "$root/usr/bin/pagewright-cli" || fail "the command line names another guide"

echo "package test passed: $(basename "$deb")"
