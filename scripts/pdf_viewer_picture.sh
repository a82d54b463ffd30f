#!/usr/bin/env bash
# Shows a PDF in Chromium's PDF viewer at 150 % in a virtual X server and
# saves the screen, e.g. samples/sample.krv converted by korvel-convert:
#   scripts/pdf_viewer_picture.sh sample.pdf docs/convert-pdf-page.png
# Needs chromium, xvfb and imagemagick.
set -euo pipefail

if [ $# -ne 2 ]; then
    echo "usage: $0 FILE.pdf PICTURE.png" >&2
    exit 2
fi
pdf=$(realpath "$1")
picture=$(realpath -m "$2")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cat >"$work/show.sh" <<SHOW
chromium --no-sandbox --test-type --disable-gpu --no-first-run --user-data-dir="$work/profile" \
    --window-position=0,0 --window-size=1200,900 "file://$pdf#zoom=150" >/dev/null 2>&1 &
sleep 15 # start-up and the first drawing of the page
import -window root "$picture"
kill \$!
wait || true # the profile folder is removed only after Chromium has ended
SHOW
xvfb-run -a -s "-screen 0 1200x900x24" bash "$work/show.sh"
echo "$picture"
