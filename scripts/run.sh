#!/usr/bin/env bash
# The main job: sets everything up, builds dist/ and opens the viewer on the
# sample document (or the document given as $1) under Wine with a Russian
# locale. With a display it shows the window; without one it runs the viewer
# in a virtual X server, saves a screenshot of the window as a PNG, closes
# the viewer, ends the virtual X server and Wine it started and prints the
# PNG's path.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build"
document=$(realpath "${1:-$root/samples/sample.krv}")
windows_path="Z:${document//\//\\}"

bash "$root/scripts/setup.sh"
bash "$root/scripts/build.sh" win

viewer="$build/win/dist/korvel.exe"
if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
    export KORVEL_REAL_DISPLAY="$DISPLAY"
    . "$root/scripts/wine-env.sh" "$build/win"
    exec wine "$viewer" "$windows_path"
fi

# End the virtual X server, the wineserver and Wine's processes on the way
# out, unless they were already up (tests running on the same build).
xvfb_pid_file="$build/win/wine/xvfb.pid"
if ! { [ -f "$xvfb_pid_file" ] && kill -0 "$(cat "$xvfb_pid_file")" 2>/dev/null; }; then
    trap 'bash "$root/scripts/wine-stop.sh" "$build/win"' EXIT
fi
. "$root/scripts/wine-env.sh" "$build/win"
screenshot="$build/screenshot.png"
rm -f "$screenshot"
wine "$viewer" "$windows_path" </dev/null >/dev/null 2>&1 &
viewer_pid=$!
window=$(timeout 30 xdotool search --sync --name '^Korvel Viewer' | head -n 1)
sleep 1 # let the first paint finish
import -window "$window" "$screenshot"
# Close it as a user would: Alt+F4 on the focused window.
xdotool windowfocus "$window" key alt+F4 || true
for _ in $(seq 1 50); do
    kill -0 "$viewer_pid" 2>/dev/null || break
    sleep 0.1
done
kill "$viewer_pid" 2>/dev/null || true
echo "$screenshot"
