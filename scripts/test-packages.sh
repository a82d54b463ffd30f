#!/usr/bin/env bash
# Installs the Debian package built by scripts/package.sh into a fresh
# Debian 12 root made with debootstrap (as root, from the Debian archive this
# machine's apt uses) and checks it there, as a user would meet it:
#   - apt installs it with everything it needs (i386 enabled, no recommends);
#   - the MIME type, the desktop entry and the man pages are in place;
#   - korvel-convert, when the package has it, converts a sample;
#   - korvel under xvfb-run, as an ordinary user, opens a sample in a fresh
#     Wine prefix and its window shows it (window_check.exe reads the pixels);
#   - the Find plug-in, as the package and the zip beside it ship it, does
#     each of its commands when typed at through X (on this machine's Wine);
#   - without Wine's 32-bit part korvel says what to install and fails;
#   - after apt purge no file of the package or mention of it is left,
#     except the user's own Wine prefix in their home, which is their data.
# Takes several minutes (the first run downloads Wine); the base system and
# the downloaded packages are kept in build/pkgtest/ for the next run.
#   test-packages.sh [korvel_VERSION-1_amd64.deb]
set -euo pipefail

root_dir=$(cd "$(dirname "$0")/.." && pwd)
work="$root_dir/build/pkgtest"
version=$(sed -n 's/^project(korvel VERSION \([0-9.]*\).*/\1/p' "$root_dir/CMakeLists.txt")
deb=$(realpath "${1:-$root_dir/build/packages/korvel_$version-1_amd64.deb}")
checker="$root_dir/build/win/tests/bin/window_check.exe"
. "$root_dir/scripts/debian-archives.sh"
mirror=$(debian_main_archive)
chroot_dir="$work/root"

[ "$(id -u)" -eq 0 ] || { echo "test-packages.sh: run as root" >&2; exit 1; }
[ -n "$mirror" ] || { echo "test-packages.sh: this machine's apt sources name no Debian 12 (bookworm) archive" >&2; exit 1; }
[ -f "$deb" ] || { echo "test-packages.sh: no $deb (run scripts/package.sh)" >&2; exit 1; }
bash "$root_dir/scripts/setup.sh" package-test >/dev/null
[ -f "$checker" ] || bash "$root_dir/scripts/build.sh" win

# The Find plug-in with the viewer and fonts of each package, through X.
shipped="$work/shipped"
rm -rf "$shipped"
mkdir -p "$shipped/deb" "$shipped/zip"
dpkg-deb -x "$deb" "$shipped/deb"
zip=$(dirname "$deb")/korvel-viewer-$version-win32.zip
folders=("$shipped/deb/usr/lib/korvel")
if [ -f "$zip" ]; then
    python3 -m zipfile -e "$zip" "$shipped/zip"
    folders+=("$shipped/zip/korvel-viewer-$version")
fi
for folder in "${folders[@]}"; do
    LC_ALL=ru_RU.UTF-8 python3 "$root_dir/tests/e2e/find_plugin_x_input.py" "$root_dir" \
        "$root_dir/build/win" "$folder/fonts" "$folder"
done

mkdir -p "$work/archives/partial"
tarball="$work/bookworm-minbase.tgz"
if [ ! -f "$tarball" ]; then
    debootstrap --variant=minbase --make-tarball="$tarball" bookworm "$work/tarball-work" "$mirror"
fi

mounts=()
cleanup() {
    # Processes left in the root (Xvfb, wineserver) end first, by their ids.
    for proc in /proc/[0-9]*; do
        [ "$(readlink "$proc/root" 2>/dev/null)" = "$chroot_dir" ] && kill -9 "${proc#/proc/}" 2>/dev/null
    done
    for ((i = ${#mounts[@]} - 1; i >= 0; i--)); do
        umount -l "${mounts[i]}" 2>/dev/null || true
    done
    mounts=()
    # Never delete through a mount that is still there (/dev, the archives).
    if grep -q " $chroot_dir/" /proc/mounts; then
        echo "test-packages.sh: mounts left under $chroot_dir; not removing it" >&2
        return
    fi
    rm -rf --one-file-system "$chroot_dir"
}
trap cleanup EXIT
cleanup
debootstrap --variant=minbase --unpack-tarball="$tarball" bookworm "$chroot_dir" "$mirror" >"$work/debootstrap.log"
mount_in() { # TYPE-OR-BIND SOURCE TARGET
    mkdir -p "$chroot_dir$3"
    if [ "$1" = bind ]; then mount --bind "$2" "$chroot_dir$3"; else mount -t "$1" "$2" "$chroot_dir$3"; fi
    mounts+=("$chroot_dir$3")
}
mount_in proc proc /proc
mount_in bind /dev /dev
mount_in devpts devpts /dev/pts
mount_in tmpfs tmpfs /dev/shm
mount_in bind "$work/archives" /var/cache/apt/archives
cp /etc/resolv.conf "$chroot_dir/etc/resolv.conf"

test_dir="$chroot_dir/tmp/korvel-test"
mkdir -p "$test_dir"
cp "$deb" "$checker" "$root_dir/samples/sample.krv" "$test_dir/"
cp "$root_dir/samples/guide.txt" "$test_dir/Справка.txt"
cp "$root_dir/tests/package/in_chroot.sh" "$test_dir/"
chroot "$chroot_dir" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root \
    bash /tmp/korvel-test/in_chroot.sh "/tmp/korvel-test/$(basename "$deb")"
