#!/usr/bin/env bash
# Configures and builds the trees of CMakePresets.json:
#   build.sh [all|native|win|release]
#   native   build/native, the test build: clang with AddressSanitizer and
#            UndefinedBehaviorSanitizer, fuzzers, tests, and the converter
#            build/native/convert/korvel-convert with its fonts
#   win      build/win, MinGW-w64: the Windows programs and their dist/
#            folder, after the static libraries of korvel-convert.exe in
#            build/mingw-deps
#   all      native and win (the default; what the tests need)
#   release  build/release, for users: korvel-convert optimised, without
#            sanitizers, as build/release/convert/korvel-convert with its fonts
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
which=${1:-all}
cd "$root"

build_preset() { # PRESET
    cmake --preset "$1" >/dev/null
    cmake --build --preset "$1"
}

case "$which" in
all | native | win | release) ;;
*)
    echo "build.sh: unknown build '$which' (all, native, win or release)" >&2
    exit 2
    ;;
esac

if [ "$which" = all ] || [ "$which" = native ]; then
    build_preset native
fi
if [ "$which" = all ] || [ "$which" = win ]; then
    # The static cairo of korvel-convert.exe: built once, then found ready.
    bash "$root/scripts/build-mingw-deps.sh" "$root/build/mingw-deps"
    build_preset win
fi
if [ "$which" = release ]; then
    build_preset release
fi
