#!/usr/bin/env bash
# Ends the wineserver, Wine's processes and the virtual X server of a build.
build=$(cd "$1" && pwd)
export WINEPREFIX="$build/wine/prefix"
wineserver -k 2>/dev/null || true
for name in xvfb wineserver idle; do
    pid_file="$build/wine/$name.pid"
    [ -f "$pid_file" ] && kill "$(cat "$pid_file")" 2>/dev/null
    rm -f "$pid_file"
done
exit 0
