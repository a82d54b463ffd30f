#!/usr/bin/env python3
"""The viewer under Wine driven with real X input (xdotool): navigation and
arrow keys, Ctrl+O through the accelerator table and its dialog, and Alt+F4
through the system-key handling to the end of the program; then the File
menu clicked with the mouse (Open, Exit), and the close box clicked.

    real_x_input.py <source dir> <build dir> <fonts dir>

The build dir holds wine-run, dist/ and tests/plugins/.
"""
import os
import shutil
import subprocess
import sys
import tempfile
import time

WAIT = 15.0
OPEN_TITLE = "^\u041e\u0442\u043a\u0440\u044b\u0442\u044c$"  # the platform's "Открыть"


def windows_path(path):
    return "Z:" + path.replace("/", "\\")


def xdotool(*args, timeout=WAIT):
    return subprocess.run(["xdotool", *args], check=True, capture_output=True, text=True,
                          timeout=timeout).stdout


def calls(folder):
    path = os.path.join(folder, "Plugins", "rec_all.calls")
    if not os.path.exists(path):
        return []
    with open(path, "rb") as f:
        return f.read().decode("cp1251").splitlines()


def keypress_values(folder):
    return [int(line.rsplit("=", 1)[1]) for line in calls(folder)
            if line.startswith("KeyPress window=1 ")]


def wait_for(condition, what):
    deadline = time.monotonic() + WAIT
    while time.monotonic() < deadline:
        if condition():
            return
        time.sleep(0.05)
    raise AssertionError("timed out waiting for " + what)


def viewers_display(source, build):
    """Brings up the build's virtual X server (or the real display) the way
    wine-run does, and names it."""
    script = os.path.join(source, "scripts", "wine-env.sh")
    return subprocess.run(["bash", "-c", '. "$0" "$1" && echo "$DISPLAY"', script, build],
                          check=True, capture_output=True, text=True,
                          timeout=120).stdout.strip()


def check(condition, message):
    if not condition:
        raise AssertionError(message)


def prepare_folder(build, fonts):
    """A viewer folder as dist/ lays it out, with the recording plug-in and a
    100-line document; returns the folder and the document's Windows path."""
    dist = os.path.join(build, "dist")
    plugins = os.path.join(build, "tests", "plugins")
    folder = tempfile.mkdtemp(prefix="korvel-x-input-")
    shutil.copy(os.path.join(dist, "korvel.exe"), folder)
    shutil.copytree(fonts, os.path.join(folder, "fonts"),
                    ignore=lambda _, names: [n for n in names if not n.endswith(".sfn")])
    os.mkdir(os.path.join(folder, "Plugins"))
    shutil.copy(os.path.join(plugins, "rec_all.dll"), os.path.join(folder, "Plugins"))
    doc = os.path.join(folder, "doc.txt")
    with open(doc, "wb") as f:
        f.write(b"".join(b"Line %d\r\n" % i for i in range(100)))
    return folder, windows_path(doc)


def start_viewer(build, folder, doc_win):
    """Starts the viewer on the document; its process and X window, focused,
    once the plug-ins have seen Create."""
    viewer = subprocess.Popen([os.path.join(build, "wine-run"),
                               windows_path(os.path.join(folder, "korvel.exe")), doc_win],
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    window = xdotool("search", "--sync", "--name", "^Korvel Viewer").split()[0]
    wait_for(lambda: any(c.startswith("Create ") for c in calls(folder)), "Create")
    xdotool("windowfocus", "--sync", window)
    return viewer, window


def stop_viewer(viewer):
    if viewer.poll() is None:
        viewer.kill()
        viewer.wait()


def check_ended_once(folder, doc_win, code, how):
    check(code == 0, "%s: exit code %d" % (how, code))
    got = calls(folder)
    check(got[0] == "Load window=0 path=%s value=0" % doc_win, "%s: first call %r" % (how, got[0]))
    check(got[1] == "Create window=1 path=%s value=0" % doc_win, "%s: second call %r" % (how, got[1]))
    check(got[-1] == "Destroy window=1 path=%s value=0" % doc_win, "%s: last call %r" % (how, got[-1]))
    check(sum(c.startswith("Destroy ") for c in got) == 1, "%s: Destroy more than once" % how)
    return got


def geometry(window, key):
    """WIDTH or HEIGHT of an X window."""
    shell = xdotool("getwindowgeometry", "--shell", window)
    return int(shell.split(key + "=")[1].split()[0])


def open_popup_menu(window):
    """Clicks the menu bar's first title (File) and waits for its drop-down,
    a nameless window of the viewer's own; returns the drop-down."""
    def popups():
        found = subprocess.run(["xdotool", "search", "--onlyvisible", "--class", "korvel.exe"],
                               capture_output=True, text=True).stdout.split()
        return [w for w in found if w != window and xdotool("getwindowname", w).strip() == ""
                and geometry(w, "HEIGHT") > 40]
    xdotool("mousemove", "--window", window, "20", "30", "click", "1")
    wait_for(lambda: popups(), "the File menu")
    return popups()[0]


def cancel_open_dialog():
    """Waits for the Open dialog, presses Escape in it and waits till it is gone."""
    dialog = xdotool("search", "--sync", "--onlyvisible", "--name", OPEN_TITLE).split()[0]
    xdotool("windowfocus", "--sync", dialog)
    xdotool("key", "Escape")
    wait_for(lambda: not subprocess.run(
        ["xdotool", "search", "--onlyvisible", "--name", OPEN_TITLE],
        capture_output=True).stdout.strip(), "the Open dialog to close")


def scenario(build, fonts, how, act, prepare=None):
    """Runs act(folder, window) on a fresh viewer, which act must end, after
    prepare(folder) when given; checks that it ended once with code 0 and
    returns the plug-in's calls."""
    folder, doc_win = prepare_folder(build, fonts)
    try:
        if prepare:
            prepare(folder)
        viewer, window = start_viewer(build, folder, doc_win)
        try:
            act(folder, window)
            code = viewer.wait(timeout=WAIT)
        finally:
            stop_viewer(viewer)
        return check_ended_once(folder, doc_win, code, how), doc_win
    finally:
        shutil.rmtree(folder, ignore_errors=True)


def keys_and_accelerators(folder, window):
    # Navigation keys scroll; the arrows left and right reach KeyPress.
    xdotool("key", "End", "Home", "Next", "Prior", "Down", "Up", "Left", "Right")
    wait_for(lambda: 39 in keypress_values(folder), "KeyPress of Right")
    check(keypress_values(folder) == [37, 39],
          "keys sent to plug-ins: %r" % keypress_values(folder))

    # Ctrl+O opens the Open dialog as a command; Escape cancels it.
    xdotool("key", "ctrl+o")
    cancel_open_dialog()
    xdotool("windowfocus", "--sync", window)
    check(79 not in keypress_values(folder), "Ctrl+O reached KeyPress")
    check(not any(c.startswith("Load window=1") for c in calls(folder)),
          "cancelled Open loaded a file")

    # Alt+F4 is left to the system (the plug-in answers 0): the end.
    xdotool("key", "alt+F4")


def menu_by_mouse(folder, window):
    # File > Open... (the drop-down's first item) shows the dialog.
    popup = open_popup_menu(window)
    xdotool("mousemove", "--window", popup, "40", "10", "click", "1")
    cancel_open_dialog()
    # File > Exit (the last item) ends the program.
    popup = open_popup_menu(window)
    xdotool("mousemove", "--window", popup, "40", str(geometry(popup, "HEIGHT") - 12),
            "click", "1")


def close_box_click(folder, window):
    # The close box sits at the right end of the title bar.
    xdotool("mousemove", "--window", window, str(geometry(window, "WIDTH") - 14), "12",
            "click", "1")


def main():
    source, build, fonts = sys.argv[1:4]
    os.environ["DISPLAY"] = viewers_display(source, build)
    got, doc_win = scenario(build, fonts, "Alt+F4", keys_and_accelerators)
    check(any(c == "SysKeyPress window=1 path=%s value=115" % doc_win for c in got),
          "Alt+F4 not offered to SysKeyPress")

    got, _ = scenario(build, fonts, "File > Exit", menu_by_mouse)
    check(not any(c.startswith("Load window=1") for c in got), "cancelled Open loaded a file")
    check(not any(c.startswith("KeyPress") for c in got), "menu clicks reached KeyPress")

    scenario(build, fonts, "close box", close_box_click)
    print("real X input: ok")


if __name__ == "__main__":
    main()
