#!/usr/bin/env bash
# Builds the .deb from the finished build and checks what an installation would get: the
# program, a valid menu entry and its icon, the Debian packages it depends on, and that the
# unpacked program runs.
set -euo pipefail
build="$1"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cd "$work"
cpack --config "$build/CPackConfig.cmake" -B "$work/out" >cpack.log 2>&1 || { cat cpack.log; exit 1; }
deb="$(ls out/*.deb)"

fail() { echo "FAIL: $*" >&2; exit 1; }

contents="$(dpkg-deb -c "$deb")"
for file in ./usr/bin/tamvel ./usr/share/applications/tamvel.desktop \
    ./usr/share/icons/hicolor/scalable/apps/tamvel.svg; do
    grep -q " $file\$" <<<"$contents" || fail "$file is not in the package"
done

depends="$(dpkg-deb -f "$deb" Depends)"
for package in libqt6widgets6 libqt6sql6 libqt6sql6-sqlite libqt6svg6 libsqlite3-0 \
    libxlsxwriter libmdb3 libicu; do
    grep -q "$package" <<<"$depends" || fail "no dependency on $package: $depends"
done
# Every dependency is a package this Debian knows.
for package in $(tr ',' '\n' <<<"$depends" | sed 's/(.*//; s/ //g'); do
    apt-cache show "$package" >/dev/null 2>&1 || fail "unknown package $package"
done

dpkg-deb -x "$deb" root
desktop-file-validate root/usr/share/applications/tamvel.desktop
grep -q '^Categories=Office;$' root/usr/share/applications/tamvel.desktop ||
    fail "the menu entry is not in Office"
grep -q '^Exec=tamvel' root/usr/share/applications/tamvel.desktop || fail "Exec is not tamvel"

# The unpacked program starts and creates a database from the command line.
root/usr/bin/tamvel --create-database "$work/new.mdb" >run.log 2>&1 || { cat run.log; fail "the program does not run"; }
[ -s "$work/new.mdb" ] || fail "no database was created"
echo "package ok: $deb"
