#!/usr/bin/env bash
# Builds everything and runs every test: the native build (sanitizers,
# fuzzers, font checks), the loader's tests under ThreadSanitizer (it loads
# large documents with a helper thread) and the Windows build under Wine.
# Exits non-zero on any failure.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build"
cd "$root"

bash "$root/scripts/setup.sh"
bash "$root/scripts/build.sh"

status=0
echo "== native tests"
ctest --preset native || status=1
echo "== loader tests under ThreadSanitizer"
cmake --preset tsan >/dev/null
cmake --build --preset tsan
TSAN_OPTIONS=halt_on_error=1 "$build/tsan/tests/bin/test_lines" || status=1
echo "== Windows tests under Wine"
# Prepare the virtual display, the Wine prefix and the wineserver once, up front.
(. "$root/scripts/wine-env.sh" "$build/win")
ctest --preset win || status=1

bash "$root/scripts/wine-stop.sh" "$build/win"
exit $status
