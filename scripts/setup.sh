#!/usr/bin/env bash
# Installs every Debian package the build, the tests and the main job need.
#   setup.sh [packaging] [package-test]
# "packaging" adds the tools of scripts/package.sh, "package-test" those of
# scripts/test-packages.sh. Safe to run again: apt-get skips what is already
# there.
set -euo pipefail

if [ "$(id -u)" -ne 0 ]; then
  echo "setup.sh: run as root (it installs Debian packages)" >&2
  exit 1
fi

export DEBIAN_FRONTEND=noninteractive

if ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
fi

packages=(
  # build
  cmake ninja-build g++-mingw-w64-i686-posix binutils-mingw-w64-i686 googletest
  clang libclang-rt-14-dev clang-format python3
  # running the Windows program (fonts-wine: Wine's own Marlett font, which
  # draws the title bar's buttons; it is only a recommendation of wine)
  wine wine32:i386 fonts-wine xvfb xauth xdotool x11-utils imagemagick
  # the clipboard as X sees it, for the Find plug-in's end-to-end test
  xclip
  # printing tests
  ghostscript
  locales
  # font generator sources
  console-setup-linux fonts-terminus unifont
  # the converter's PDF and PNG pages, and the tools its tests check them with
  libcairo2-dev libpng-dev poppler-utils
  # the converter's report: SHA-256 by Nettle; its many-machines recipe's test
  # runs GNU parallel
  nettle-dev parallel
  # static cairo, pixman and libpng for korvel-convert.exe, built from Debian's
  # sources (scripts/build-mingw-deps.sh)
  libz-mingw-w64-dev meson make pkg-config dpkg-dev patch xz-utils debian-archive-keyring
)
for extra in "$@"; do
  case "$extra" in
    packaging) packages+=(dpkg-dev debhelper fakeroot lintian desktop-file-utils pkgconf) ;;
    package-test) packages+=(debootstrap) ;;
    *) echo "setup.sh: unknown group '$extra'" >&2; exit 2 ;;
  esac
done

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
  apt-get update -q
  apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

# Tests and the main job run Wine under LC_ALL=ru_RU.UTF-8 (Russian code pages).
if ! locale -a 2>/dev/null | grep -qix 'ru_RU.utf8'; then
  localedef -i ru_RU -f UTF-8 ru_RU.UTF-8
fi
