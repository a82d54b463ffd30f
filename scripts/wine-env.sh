# Sourced with the build directory as $1: sets up the environment for running
# the Windows programs of that build under Wine, and makes sure a virtual X
# server, the build's private WINEPREFIX and one long-lived wineserver exist.
# Every test and the main job go through here; the first caller pays for the
# set-up, later ones find it ready.

korvel_build_dir=$(cd "$1" && pwd)
korvel_wine_dir="$korvel_build_dir/wine"
mkdir -p "$korvel_wine_dir"

export WINEPREFIX="$korvel_wine_dir/prefix"
export WINEARCH=win32
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe="
# A Russian Windows: CP1251 for the ANSI interfaces, CP866 for OEM.
export LC_ALL=ru_RU.UTF-8

korvel_alive() {
    [ -f "$korvel_wine_dir/$1.pid" ] && kill -0 "$(cat "$korvel_wine_dir/$1.pid")" 2>/dev/null
}

korvel_start_xvfb() {
    rm -f "$korvel_wine_dir/display"
    setsid Xvfb -displayfd 9 -screen 0 1280x1024x24 -nolisten tcp -ac \
        9>"$korvel_wine_dir/display" </dev/null >/dev/null 2>&1 7>&- &
    echo $! >"$korvel_wine_dir/xvfb.pid"
    for _ in $(seq 1 100); do
        [ -s "$korvel_wine_dir/display" ] && break
        sleep 0.1
    done
}

korvel_prepare_wine() {
    if [ -n "${KORVEL_REAL_DISPLAY:-}" ]; then
        export DISPLAY="$KORVEL_REAL_DISPLAY"
    else
        korvel_alive xvfb || { wineserver -k 2>/dev/null || true; korvel_start_xvfb; }
        export DISPLAY=":$(cat "$korvel_wine_dir/display")"
    fi
    if [ ! -f "$korvel_wine_dir/prefix.ready" ]; then
        wineboot -i </dev/null >/dev/null 2>&1 7>&- || true
        # Without a window manager every hide or destroy waits ~2 s unless
        # windows are unmanaged; no crash dialogs in tests either.
        wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 7>&- || true
        wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f \
            >/dev/null 2>&1 7>&- || true
        wineserver -w || true
        touch "$korvel_wine_dir/prefix.ready"
    fi
    # The title bar's buttons are glyphs of Wine's own Marlett font (Debian's
    # fonts-wine), but this Wine does not find the fonts of its data folder;
    # Windows keeps the font in its Fonts folder, and so does the prefix.
    local marlett=/usr/share/wine/fonts/marlett.ttf fonts="$WINEPREFIX/drive_c/windows/Fonts"
    if [ -f "$marlett" ] && [ -d "$fonts" ] && [ ! -f "$fonts/marlett.ttf" ]; then
        cp "$marlett" "$fonts/"
    fi
    # One wineserver for the whole run, and one idle Windows process that
    # starts Wine's service processes away from any test's output and keeps
    # them up; `wineserver -k` ends all of it.
    if ! korvel_alive wineserver; then
        setsid wineserver -p </dev/null >/dev/null 2>&1 7>&- &
        echo $! >"$korvel_wine_dir/wineserver.pid"
    fi
    if [ -f "$korvel_wine_dir/wine_idle.exe" ] && ! korvel_alive idle; then
        setsid wine "$korvel_wine_dir/wine_idle.exe" </dev/null >/dev/null 2>&1 7>&- &
        echo $! >"$korvel_wine_dir/idle.pid"
        # A first synchronous run waits for Wine's boot, so no test can be
        # the process that starts the services (they would keep its output
        # open and make the test look hung).
        wine cmd.exe /c exit </dev/null >/dev/null 2>&1 7>&- || true
    fi
}

(
    flock 7
    korvel_prepare_wine
) 7>"$korvel_wine_dir/lock"
[ -n "${KORVEL_REAL_DISPLAY:-}" ] && export DISPLAY="$KORVEL_REAL_DISPLAY" \
    || export DISPLAY=":$(cat "$korvel_wine_dir/display")"
