#!/usr/bin/env bash
# Makes the Windows zip from a built dist/ folder:
#   make-zip.sh SOURCE_DIR DIST_DIR VERSION OUT.zip [STRIP]
# The zip holds one folder, korvel-viewer-VERSION, with the program (and the
# converter korvel-convert.exe when the build made it), its fonts
# and their licences, the Plugins folder with the plug-in that ships with the
# viewer (find.dll: Find, Go to line, Select all, Copy), README.txt for users, LICENSE
# and the plug-in kit (sdk). Text for users gets CR LF line ends.
set -euo pipefail

source_dir=$1 dist=$2 version=$3 out=$4 strip=${5:-}
name="korvel-viewer-$version"
stage="$out.stage"
rm -rf "$stage" "$out"
top="$stage/$name"
mkdir -p "$top/fonts/LICENSES" "$top/Plugins" "$top/sdk/sample"

# Only the plug-in that ships: dist/Plugins may also hold the SDK's sample.
for program in korvel.exe korvel-convert.exe Plugins/find.dll; do
    [ -f "$dist/$program" ] || continue
    cp "$dist/$program" "$top/$program"
    # Without the debugging information the build keeps for the tests.
    [ -z "$strip" ] || "$strip" --strip-debug "$top/$program"
done
cp "$dist"/fonts/vga?.sfn "$top/fonts/"
crlf() { sed 's/\r*$/\r/' "$1" >"$2"; }
# README.txt: UTF-8 with a byte-order mark, which Notepad takes as UTF-8.
{ printf '\357\273\277'; sed "s/@VERSION@/$version/" "$source_dir/packaging/windows/README.txt"; } \
    >"$stage/readme" && crlf "$stage/readme" "$top/README.txt" && rm "$stage/readme"
crlf "$source_dir/LICENSE" "$top/LICENSE.txt"
for licence in "$source_dir"/fonts/LICENSES/*.txt; do
    crlf "$licence" "$top/fonts/LICENSES/$(basename "$licence")"
done
cp "$source_dir/sdk/korvel_plugin.h" "$source_dir/sdk/README.md" "$top/sdk/"
cp "$source_dir/sdk/sample/keep_open.c" "$top/sdk/sample/"

# Every entry dated SOURCE_DATE_EPOCH (zip dates start in 1980), in a fixed
# order. Directories are listed only when empty: tar recurses into them.
(cd "$stage" && find "$name" \( -type f -o -type d -empty \) | LC_ALL=C sort >files &&
    cmake -E tar cf "$(realpath -m "$out")" --format=zip --mtime="$(date -u -d @"${SOURCE_DATE_EPOCH:-315576000}" "+%Y-%m-%d %H:%M:%S UTC")" \
        --files-from=files)
rm -rf "$stage"
