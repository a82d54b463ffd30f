#!/usr/bin/env bash
# Builds everything and runs every test: the native build (sanitizers,
# fuzzers, font checks) and the Windows build under Wine. Exits non-zero on
# any failure.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build"

bash "$root/scripts/setup.sh"
bash "$root/scripts/build.sh"

status=0
echo "== native tests"
(cd "$build/native" && ctest --output-on-failure -j2) || status=1
echo "== Windows tests under Wine"
# Prepare the virtual display, the Wine prefix and the wineserver once, up front.
(. "$root/scripts/wine-env.sh" "$build/win")
(cd "$build/win" && ctest --output-on-failure -j2) || status=1

bash "$root/scripts/wine-stop.sh" "$build/win"
exit $status
