#!/usr/bin/env bash
# Prints samples/sample.krv with the viewer on the 600-dpi test printer and
# saves its first page, rendered by Ghostscript at 96 dpi, as docs/print-page.png.
# Needs a built build/win (bash scripts/build.sh).
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build/win"
. "$root/scripts/wine-env.sh" "$build"

wine "$build/tests/bin/printer_rig.exe" "Z:${root//\//\\}\\tests\\print" >/dev/null
work="$WINEPREFIX/drive_c/docs"
rm -rf "$work" && mkdir -p "$work/fonts" "$work/Plugins"
cp "$build/dist/korvel.exe" "$work/"
cp "$root"/fonts/vga?.sfn "$work/fonts/"
cp "$root/samples/sample.krv" "$work/"
wine "$build/tests/bin/print_driver.exe" 'C:\docs\korvel.exe' 'C:\docs\sample.krv' "$work/job.ps" \
    'print:Korvel Test 600:ok' >/dev/null
mkdir -p "$root/docs"
gs -q -dNOPAUSE -dBATCH -dSAFER -sDEVICE=pnggray -r96 -dFirstPage=1 -dLastPage=1 \
    -sOutputFile="$root/docs/print-page.png" "$work/job.ps"
rm -rf "$work"
echo "$root/docs/print-page.png"
