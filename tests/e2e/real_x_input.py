#!/usr/bin/env python3
"""The viewer under Wine driven with real X input (xdotool): navigation and
arrow keys, Ctrl+O through the accelerator table and its dialog, and Alt+F4
through the system-key handling to the end of the program.

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


def main():
    source, build, fonts = sys.argv[1:4]
    os.environ["DISPLAY"] = viewers_display(source, build)
    wine_run = os.path.join(build, "wine-run")
    dist = os.path.join(build, "dist")
    plugins = os.path.join(build, "tests", "plugins")
    folder = tempfile.mkdtemp(prefix="korvel-x-input-")
    try:
        shutil.copy(os.path.join(dist, "korvel.exe"), folder)
        shutil.copytree(fonts, os.path.join(folder, "fonts"),
                        ignore=lambda _, names: [n for n in names if not n.endswith(".sfn")])
        os.mkdir(os.path.join(folder, "Plugins"))
        shutil.copy(os.path.join(plugins, "rec_all.dll"), os.path.join(folder, "Plugins"))
        doc = os.path.join(folder, "doc.txt")
        with open(doc, "wb") as f:
            f.write(b"".join(b"Line %d\r\n" % i for i in range(100)))
        doc_win = windows_path(doc)

        viewer = subprocess.Popen([wine_run, windows_path(os.path.join(folder, "korvel.exe")),
                                   doc_win], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        try:
            window = xdotool("search", "--sync", "--name", "^Korvel Viewer").split()[0]
            wait_for(lambda: any(c.startswith("Create ") for c in calls(folder)), "Create")
            xdotool("windowfocus", "--sync", window)

            # Navigation keys scroll; the arrows left and right reach KeyPress.
            xdotool("key", "End", "Home", "Next", "Prior", "Down", "Up",
                    "Left", "Right")
            wait_for(lambda: 39 in keypress_values(folder), "KeyPress of Right")
            check(keypress_values(folder) == [37, 39],
                  "keys sent to plug-ins: %r" % keypress_values(folder))

            # Ctrl+O opens the Open dialog as a command; Escape cancels it.
            xdotool("key", "ctrl+o")
            dialog = xdotool("search", "--sync", "--onlyvisible", "--name", OPEN_TITLE).split()[0]
            xdotool("windowfocus", "--sync", dialog)
            xdotool("key", "Escape")
            wait_for(lambda: not subprocess.run(
                ["xdotool", "search", "--onlyvisible", "--name", OPEN_TITLE],
                capture_output=True).stdout.strip(), "the Open dialog to close")
            xdotool("windowfocus", "--sync", window)
            check(79 not in keypress_values(folder), "Ctrl+O reached KeyPress")
            check(not any(c.startswith("Load window=1") for c in calls(folder)),
                  "cancelled Open loaded a file")

            # Alt+F4 is left to the system (the plug-in answers 0): the end.
            xdotool("key", "alt+F4")
            code = viewer.wait(timeout=WAIT)
            check(code == 0, "exit code %d" % code)
        finally:
            if viewer.poll() is None:
                viewer.kill()
                viewer.wait()

        got = calls(folder)
        check(got[0] == "Load window=0 path=%s value=0" % doc_win, "first call: %r" % got[0])
        check(got[1] == "Create window=1 path=%s value=0" % doc_win, "second call: %r" % got[1])
        check(got[-1] == "Destroy window=1 path=%s value=0" % doc_win, "last call: %r" % got[-1])
        check(sum(c.startswith("Destroy ") for c in got) == 1, "Destroy more than once")
        check(any(c == "SysKeyPress window=1 path=%s value=115" % doc_win for c in got),
              "Alt+F4 not offered to SysKeyPress")
        print("real X input: ok")
    finally:
        shutil.rmtree(folder, ignore_errors=True)


if __name__ == "__main__":
    main()
