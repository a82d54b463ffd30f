#!/usr/bin/env bash
# Builds the libraries the Windows converter (korvel-convert.exe) links, for
# i686-w64-mingw32, static, once: cairo (PDF and PNG surfaces only), pixman
# and libpng, from Debian 12's own source packages, with zlib from Debian's
# libz-mingw-w64-dev. Debian ships no MinGW build of cairo.
#   build-mingw-deps.sh [DIR]     (default: build/mingw-deps)
# Result: DIR/prefix/{include,lib,lib/pkgconfig}; DIR/prefix/BUILT names the
# sources used and the recipe (the checksum of this script's unpacking and
# building part, so that a change to fetching alone rebuilds nothing). A
# rerun with that file present and that part unchanged returns at once.
#
# How, and why so:
# - Sources come through apt-get source from the Debian 12 archives this
#   machine's apt already uses (bookworm, bookworm-updates,
#   bookworm-security; scripts/debian-archives.sh), with a deb-src list and
#   package indexes of our own in a temporary folder, removed afterwards, so
#   the machine's apt configuration is never touched. Each package takes the
#   newest version whose files the registry still holds; if none is complete
#   but the upstream tarball came (apt checked it against Debian's index),
#   that tarball is built without Debian's changes, and we say so. Fetched
#   files stay in DIR/sources, so a rebuild needs no network. apt checks each
#   file against the signed index, so dpkg-source need not (--no-check).
# - pixman: meson, static, no tests or demos. The cross file says an exe
#   wrapper is needed and names none, so meson never starts Wine (which
#   would make a ~/.wine).
# - libpng: CMake with the project's MinGW toolchain file, against the
#   MinGW zlib; every Debian patch applies (security fixes).
# - cairo 1.16.0: autotools from the release tarball's own configure.
#   Debian's patches to its build files would make make rerun autoconf, so
#   only the parts of Debian's patches that change src/ are applied (the
#   code fixes). No fontconfig, FreeType, Xlib or Win32 surfaces and fonts:
#   the converter draws its own fonts through cairo's user fonts. configure
#   adds -Wp,-D_FORTIFY_SOURCE=2, whose __memcpy_chk the MinGW runtime only
#   has in libssp; the flag is taken out of configure.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
dir=$(mkdir -p "${1:-$root/build/mingw-deps}" && cd "${1:-$root/build/mingw-deps}" && pwd)
prefix="$dir/prefix"
sources="$dir/sources"
work="$dir/work"
logs="$dir/logs"
host=i686-w64-mingw32
mingw_root=/usr/$host
recipe=$(sed -n '/^# --- Unpacking/,$p' "$0" | sha256sum | cut -c1-16)
. "$root/scripts/debian-archives.sh"

if [ -f "$prefix/BUILT" ] && grep -qx "recipe $recipe" "$prefix/BUILT"; then
    exit 0
fi

exec 8>"$dir/lock"
flock 8
if [ -f "$prefix/BUILT" ] && grep -qx "recipe $recipe" "$prefix/BUILT"; then
    exit 0
fi

say() { echo "build-mingw-deps: $*" >&2; }
fail() {
    say "FAILED: $*"
    exit 1
}
# Runs a build step quietly into a log; on failure shows the log's end.
step() {
    local name=$1
    shift
    if ! nice "$@" >>"$logs/$name.log" 2>&1; then
        tail -n 30 "$logs/$name.log" >&2
        fail "$name: '$*' failed (whole log: $logs/$name.log)"
    fi
}

[ -f "$mingw_root/lib/libz.a" ] || fail "no MinGW zlib: install libz-mingw-w64-dev (scripts/setup.sh)"
for tool in $host-gcc-posix meson ninja cmake make pkg-config dpkg-source apt-get; do
    command -v "$tool" >/dev/null || fail "$tool is missing: run scripts/setup.sh"
done

packages=(pixman libpng1.6 cairo)

# --- Fetching -------------------------------------------------------------

apt_dir=
cleanup_apt() { [ -z "$apt_dir" ] || rm -rf "$apt_dir"; }
trap cleanup_apt EXIT

fetch_package() {
    local package=$1 version attempt
    local versions
    versions=$(apt-cache "${apt_opts[@]}" showsrc "$package" 2>/dev/null |
        sed -n 's/^Version: //p' | sort -rVu)
    [ -n "$versions" ] || fail "the Debian archives list no source package $package for bookworm"
    for version in $versions; do
        attempt="$apt_dir/$package-$version"
        mkdir -p "$attempt"
        if (cd "$attempt" && apt-get "${apt_opts[@]}" -q source --download-only \
            "$package=$version") >>"$logs/fetch.log" 2>&1; then
            mkdir -p "$sources/$package"
            mv "$attempt"/* "$sources/$package/"
            say "$package $version: fetched"
            return
        fi
        say "$package $version: the registry no longer holds all its files"
    done
    # No complete source package: the upstream tarball alone, if one came.
    for version in $versions; do
        attempt="$apt_dir/$package-$version"
        if ls "$attempt"/*.orig.tar.* >/dev/null 2>&1; then
            mkdir -p "$sources/$package"
            mv "$attempt"/*.orig.tar.* "$sources/$package/"
            say "WARNING: $package: no complete Debian source package could be fetched;" \
                "building upstream $(basename "$sources/$package"/*.orig.tar.*) without Debian's changes"
            return
        fi
    done
    fail "$package: no version of its source could be fetched from the Debian archives (see $logs/fetch.log)"
}

fetch_sources() {
    apt_dir=$(mktemp -d "$dir/apt.XXXXXX")
    mkdir -p "$apt_dir/lists/partial" "$apt_dir/cache/archives/partial"
    local keyring=/usr/share/keyrings/debian-archive-keyring.gpg
    local archives
    archives=$(debian_archives)
    [ -n "$archives" ] || fail "this machine's apt sources name no Debian 12 (bookworm) archive with main"
    awk -v keyring="$keyring" '{ print "deb-src [signed-by=" keyring "] " $1, $2, "main" }' \
        <<<"$archives" >"$apt_dir/sources.list"
    apt_opts=(-o "Dir::Etc::SourceList=$apt_dir/sources.list" -o "Dir::Etc::SourceParts=$apt_dir/none"
        -o "Dir::State::Lists=$apt_dir/lists" -o "Dir::Cache=$apt_dir/cache"
        -o Debug::NoLocking=1 -o APT::Sandbox::User=root)
    say "fetching the source indexes of Debian 12 (bookworm) from this machine's Debian archives"
    apt-get "${apt_opts[@]}" -q update >>"$logs/fetch.log" 2>&1 ||
        fail "apt-get update of the deb-src list failed (network? see $logs/fetch.log)"
    for package in "${packages[@]}"; do
        [ -d "$sources/$package" ] || fetch_package "$package"
    done
    cleanup_apt
    apt_dir=
}

# --- Unpacking --------------------------------------------------------------

# Keeps the parts of a git-style patch that change C code under src/.
source_part_of_patch() {
    awk '/^diff --git / { keep = ($3 ~ /^a\/src\/.*\.[ch]$/) } keep' "$1"
}

# Unpacks a package's source into $work/<package>; echoes what was used.
unpack() {
    local package=$1 only_code_patches=${2:-} dsc orig target
    target="$work/$package"
    rm -rf "$target"
    dsc=$(ls "$sources/$package"/*.dsc 2>/dev/null | head -n 1 || true)
    if [ -n "$dsc" ]; then
        local skip=()
        [ -z "$only_code_patches" ] || skip=(--skip-patches)
        step unpack dpkg-source --no-check -x "${skip[@]}" "$dsc" "$target"
        if [ -n "$only_code_patches" ] && [ -f "$target/debian/patches/series" ]; then
            local patch
            for patch in $(grep -v '^#' "$target/debian/patches/series"); do
                local code
                code=$(source_part_of_patch "$target/debian/patches/$patch")
                [ -n "$code" ] || continue
                printf '%s\n' "$code" | step unpack patch -d "$target" -p1 --forward --batch
                echo "  code patch applied: $patch" >>"$logs/unpack.log"
            done
        fi
        local note=
        [ -z "$only_code_patches" ] || note=" (only Debian's patches to src/)"
        echo "$(basename "$dsc" .dsc)$note"
    else
        orig=$(ls "$sources/$package"/*.orig.tar.* | head -n 1)
        mkdir -p "$target"
        step unpack tar -xf "$orig" -C "$target" --strip-components=1
        echo "$(basename "$orig") (upstream, without Debian's changes)"
    fi
}

# --- Building -----------------------------------------------------------------

jobs=$(nproc)
export PKG_CONFIG_LIBDIR="$prefix/lib/pkgconfig:$mingw_root/lib/pkgconfig"
export PKG_CONFIG_PATH=

build_pixman() {
    local src="$work/pixman"
    cat >"$work/meson-cross.txt" <<EOF
[binaries]
c = '$host-gcc-posix'
cpp = '$host-g++-posix'
ar = '$host-ar'
strip = '$host-strip'
windres = '$host-windres'
pkgconfig = 'pkg-config'

[properties]
# Never run the programs it builds (no Wine).
needs_exe_wrapper = true

[host_machine]
system = 'windows'
cpu_family = 'x86'
cpu = 'i686'
endian = 'little'
EOF
    step pixman meson setup "$src/_build" "$src" --cross-file "$work/meson-cross.txt" \
        --prefix "$prefix" --libdir lib --buildtype release -Ddefault_library=static \
        -Dtests=disabled -Dgtk=disabled -Dlibpng=disabled -Dopenmp=disabled
    step pixman ninja -C "$src/_build" -j "$jobs" install
}

build_libpng() {
    local src="$work/libpng1.6"
    step libpng cmake -S "$src" -B "$src/_build" -G Ninja \
        -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-mingw-i686.cmake" \
        -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" \
        -DPNG_SHARED=OFF -DPNG_STATIC=ON -DPNG_TESTS=OFF -DPNG_EXECUTABLES=OFF \
        -DZLIB_LIBRARY="$mingw_root/lib/libz.a" -DZLIB_INCLUDE_DIR="$mingw_root/include"
    step libpng cmake --build "$src/_build" -j "$jobs"
    step libpng cmake --install "$src/_build"
}

build_cairo() {
    local src="$work/cairo"
    sed -i 's/ -Wp,-D_FORTIFY_SOURCE=2//' "$src/configure"
    (
        cd "$src"
        step cairo ./configure --host=$host CC=$host-gcc-posix CFLAGS=-O2 \
            --prefix="$prefix" --enable-static --disable-shared \
            --enable-pdf --enable-png --disable-ps --disable-svg --disable-script \
            --disable-xlib --disable-xlib-xrender --disable-xcb --disable-win32 \
            --disable-win32-font --disable-ft --disable-fc --disable-gobject \
            --disable-interpreter --disable-trace --disable-symbol-lookup \
            --disable-valgrind --disable-full-testing --disable-egl --disable-glx \
            --disable-wgl --disable-quartz --disable-tee --disable-xml
        step cairo make -C src -j "$jobs"
        step cairo make -C src install
    )
}

mkdir -p "$sources" "$logs"
rm -f "$logs"/*.log
need_fetch=
for package in "${packages[@]}"; do
    [ -d "$sources/$package" ] || need_fetch=1
done
[ -z "$need_fetch" ] || fetch_sources

say "building static pixman, libpng and cairo for $host (logs in $logs)"
rm -rf "$prefix" "$work"
mkdir -p "$work" "$prefix"
used_pixman=$(unpack pixman)
used_libpng=$(unpack libpng1.6)
used_cairo=$(unpack cairo only-code-patches)
build_pixman
build_libpng
build_cairo
rm -rf "$work"
{
    echo "recipe $recipe"
    echo "pixman: $used_pixman"
    echo "libpng: $used_libpng"
    echo "cairo: $used_cairo"
    echo "zlib: libz-mingw-w64-dev $(dpkg-query -W -f='${Version}' libz-mingw-w64-dev 2>/dev/null)"
} >"$prefix/BUILT.new"
mv "$prefix/BUILT.new" "$prefix/BUILT"
say "done: $prefix"
