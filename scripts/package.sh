#!/usr/bin/env bash
# Builds the release packages into build/packages/ and prints their paths and
# SHA-256 sums:
#   korvel-viewer-VERSION-win32.zip  the Windows program, unpack and run
#   korvel_VERSION-1_amd64.deb       the viewer under Wine, korvel-convert, desktop integration
# Runs as root (it installs the packaging tools through setup.sh); the
# Debian package is built with dpkg-buildpackage and checked with lintian,
# which must report no errors.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
out="$root/build/packages"
version=$(sed -n 's/^project(korvel VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")
revision=1

bash "$root/scripts/setup.sh" packaging >/dev/null
mkdir -p "$out"
export SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git -C "$root" log -1 --format=%ct 2>/dev/null || date +%s)}

# The Windows zip, made by the Windows build (with the MinGW libraries of
# korvel-convert.exe, built once into build/mingw-deps).
bash "$root/scripts/build-mingw-deps.sh" "$root/build/mingw-deps" >/dev/null
(cd "$root" && cmake --preset win >/dev/null && cmake --build --preset win --target korvel_zip >/dev/null)
zip="$out/korvel-viewer-$version-win32.zip"
cp "$root/build/win/packages/$(basename "$zip")" "$zip"

# The Debian package, from a clean copy of the source tree.
stage="$out/deb"
source="$stage/korvel-$version"
rm -rf "$stage"
mkdir -p "$source"
tar -C "$root" --exclude=./build --exclude='./build-*' --exclude=./.git -cf - . | tar -C "$source" -xf -
cp -r "$root/packaging/debian" "$source/debian"
cat >"$source/debian/changelog" <<CHANGES
korvel ($version-$revision) unstable; urgency=medium

  * Release $version.

 -- Korvel Viewer authors <korvel@users.noreply.example>  $(date -R -u -d "@$SOURCE_DATE_EPOCH")
CHANGES
# debian/copyright: the stanzas, then every licence's full text.
license_paragraph() { # NAME FILE...
    echo
    echo "License: $1"
    shift
    cat "$@" | sed -e 's/[[:space:]]*$//' -e 's/^$/./' -e 's/^/ /'
}
{
    cat "$root/packaging/debian/copyright.in"
    license_paragraph Expat "$root/LICENSE"
    license_paragraph public-domain "$root/fonts/LICENSES/console-setup.txt" \
        "$root/fonts/LICENSES/console-setup-fonts.txt"
    license_paragraph OFL-1.1 <(sed -n '/SIL OPEN FONT LICENSE Version 1.1/,$p' \
        "$root/fonts/LICENSES/console-setup-fonts.txt")
} >"$source/debian/copyright"
(cd "$source" && dpkg-buildpackage -b -us -uc >"$stage/build.log" 2>&1) || {
    tail -n 40 "$stage/build.log" >&2
    echo "package.sh: dpkg-buildpackage failed (log: $stage/build.log)" >&2
    exit 1
}
deb="$out/korvel_$version-${revision}_amd64.deb"
mv "$stage/$(basename "$deb")" "$deb"
lintian --fail-on error --info "$deb" || {
    echo "package.sh: lintian reports errors" >&2
    exit 1
}

cd "$out"
sha256sum "$(basename "$zip")" "$(basename "$deb")" | while read -r sum name; do
    echo "$out/$name"
    echo "  SHA-256 $sum"
done
