#!/usr/bin/env bash
# Configures and builds build/native (clang, sanitizers, fuzzers, and the
# converter build/native/convert/korvel-convert with its fonts) and
# build/win (MinGW-w64, the Windows programs and their dist/ folder, after
# the static libraries of korvel-convert.exe in build/mingw-deps).
#   build.sh [all|native|win]
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build"
which=${1:-all}

if [ "$which" != win ]; then
    cmake -S "$root" -B "$build/native" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ >/dev/null
    cmake --build "$build/native"
fi

if [ "$which" != native ]; then
    # The static cairo of korvel-convert.exe: built once, then found ready.
    bash "$root/scripts/build-mingw-deps.sh" "$build/mingw-deps"
    cmake -S "$root" -B "$build/win" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-mingw-i686.cmake" \
        -DKORVEL_MINGW_DEPS="$build/mingw-deps/prefix" >/dev/null
    cmake --build "$build/win"
fi
