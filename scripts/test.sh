#!/usr/bin/env bash
# Builds everything and runs every test: the native build (sanitizers,
# fuzzers, font checks), the loader's tests under ThreadSanitizer (it loads
# large documents with a helper thread) and the Windows build under Wine.
# Exits non-zero on any failure.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build"

bash "$root/scripts/setup.sh"
bash "$root/scripts/build.sh"

status=0
echo "== native tests"
(cd "$build/native" && ctest --output-on-failure -j2) || status=1
echo "== loader tests under ThreadSanitizer"
cmake -S "$root" -B "$build/tsan" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKORVEL_SANITIZE=OFF \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_CXX_FLAGS=-fsanitize=thread \
    -DCMAKE_EXE_LINKER_FLAGS=-fsanitize=thread >/dev/null
cmake --build "$build/tsan" --target test_lines
TSAN_OPTIONS=halt_on_error=1 "$build/tsan/tests/bin/test_lines" || status=1
echo "== Windows tests under Wine"
# Prepare the virtual display, the Wine prefix and the wineserver once, up front.
(. "$root/scripts/wine-env.sh" "$build/win")
(cd "$build/win" && ctest --output-on-failure -j2) || status=1

bash "$root/scripts/wine-stop.sh" "$build/win"
exit $status
