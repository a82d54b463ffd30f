#!/usr/bin/env python3
"""The Find plug-in as it ships (dist/Plugins/find.dll) in the viewer under
Wine, typed at through X with xdotool: Find, F3 with its wrap, Shift+F3, Go
to (also a number out of range), nothing found, Select all, each checked by
what Copy puts on the clipboard (xclip) and where the orange band is drawn;
the file changed on disk; then the main window closed while the Find dialog
is up.

    find_plugin_x_input.py <source dir> <build dir> <fonts dir> [<shipped dir>]

<shipped dir>: korvel.exe, fonts and Plugins/find.dll as a package lays them
out (the unpacked zip, the .deb's /usr/lib/korvel); build/dist when absent.
"""
import os
import shutil
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from real_x_input import (WAIT, check, scenario, viewers_display, wait_for,  # noqa: E402
                          xdotool)

FIND_TITLE = "^\u041d\u0430\u0439\u0442\u0438$"  # "Найти"
GOTO_TITLE = "^\u041f\u0435\u0440\u0435\u0439\u0442\u0438 \u043a \u0441\u0442\u0440\u043e\u043a\u0435$"
BOX_TITLE = "^\u041f\u043e\u0438\u0441\u043a$"  # "Поиск", the plug-in's boxes
LINE_HEIGHT = 19
BAND = "#FDAF17"  # the view's marked band
LINES = 200
RUN = "%d" % os.getpid()  # in the texts copied, so none is left from an earlier run
FIR_LINES = {40: b"a fir tree " + RUN.encode(),
             160: b"\xff_F\xff1IR\xff. in a wood " + RUN.encode()}  # codes inside the word
FIR_TEXTS = {40: "a fir tree " + RUN, 160: "FIR in a wood " + RUN}


def document_lines():
    return [FIR_LINES.get(i, b"Line %d" % i) for i in range(LINES)]


def visible(title):
    return subprocess.run(["xdotool", "search", "--onlyvisible", "--name", title],
                          capture_output=True, text=True).stdout.split()


def wait_window(title):
    wait_for(lambda: visible(title), title)
    window = visible(title)[0]
    xdotool("windowfocus", "--sync", window)
    return window


def wait_gone(title):
    wait_for(lambda: not visible(title), title + " to close")


def clipboard():
    got = subprocess.run(["xclip", "-o", "-selection", "clipboard"], capture_output=True,
                         timeout=WAIT)
    return got.stdout.decode("utf-8", "replace") if got.returncode == 0 else None


def copy_shows(expected, what):
    """Presses Ctrl+C and waits for the viewer's text (Wine gives X the lines
    with LF ends). Each text differs from the one copied before it and from
    any earlier run's, so only this Copy can show it."""
    xdotool("key", "ctrl+c")
    try:
        wait_for(lambda: clipboard() == expected, what)
    except AssertionError:
        raise AssertionError("%s: the clipboard holds %r" % (what, clipboard()))


def band_rows(window):
    """Rows of the window (its X picture) where the band is, at x = 300."""
    picture = subprocess.run(["import", "-window", window, "png:-"], capture_output=True,
                             check=True, timeout=WAIT).stdout
    column = subprocess.run(["convert", "png:-", "-crop", "1x100000+300+0", "txt:-"],
                            input=picture, capture_output=True, check=True,
                            timeout=WAIT).stdout.decode()
    return [int(line.split(",")[1].split(":")[0]) for line in column.splitlines()[1:]
            if BAND in line]


def find(text):
    xdotool("key", "ctrl+f")
    wait_window(FIND_TITLE)
    xdotool("type", "--delay", "30", text)  # replaces the last text, which is selected
    xdotool("key", "Return")
    wait_gone(FIND_TITLE)


def go_to(number):
    xdotool("key", "ctrl+g")
    wait_window(GOTO_TITLE)
    xdotool("type", "--delay", "30", number)
    xdotool("key", "Return")


def features(folder, window):
    line = lambda i: FIR_TEXTS.get(i, "Line %d" % i) + "\n"  # noqa: E731
    # Find from the top: line 40 lies below the window, which moves.
    find("fir")
    xdotool("windowfocus", "--sync", window)
    copy_shows(line(40), "Find")
    found_band = band_rows(window)
    # F3 reaches the word with codes inside it, then wraps to the first one;
    # Shift+F3 wraps backwards.
    for key, at in (("F3", 160), ("F3", 40), ("shift+F3", 160)):
        xdotool("key", key)
        copy_shows(line(at), key)
    # Go to puts the line in the top row: the band of a found line, three
    # rows below the top, is three rows lower.
    go_to("123")
    wait_gone(GOTO_TITLE)
    xdotool("windowfocus", "--sync", window)
    copy_shows(line(123), "Go to")
    top_band = band_rows(window)
    check(len(top_band) == LINE_HEIGHT and found_band == [y + 3 * LINE_HEIGHT for y in top_band],
          "bands: after Find %r, after Go to %r" % (found_band, top_band))
    # A number out of range: the dialog stays.
    go_to("%d" % LINES)
    wait_window(GOTO_TITLE)
    xdotool("key", "Escape")
    wait_gone(GOTO_TITLE)
    # Nothing found: the box, and nothing moves.
    xdotool("windowfocus", "--sync", window)
    find("no such words")
    wait_window(BOX_TITLE)
    xdotool("key", "Return")
    wait_gone(BOX_TITLE)
    xdotool("windowfocus", "--sync", window)
    check(band_rows(window) == top_band, "the band moved though nothing was found")
    # Select all marks every line.
    xdotool("key", "ctrl+a")
    copy_shows("".join(line(i) for i in range(LINES)), "Select all")
    # The file changed on disk since it was loaded: F3 says so and does nothing.
    with open(os.path.join(folder, "doc.txt"), "ab") as f:
        f.write(b"one more line\r\n")
    xdotool("key", "F3")
    wait_window(BOX_TITLE)
    xdotool("key", "Return")
    wait_gone(BOX_TITLE)
    xdotool("windowfocus", "--sync", window)
    # The window closed under the Find dialog: the viewer ends with 0.
    xdotool("key", "ctrl+f")
    wait_window(FIND_TITLE)
    closer = subprocess.run([os.path.join(BUILD, "wine-run"),
                             os.path.join(BUILD, "tests", "bin", "close_viewer.exe")],
                            timeout=WAIT)
    check(closer.returncode == 0, "close_viewer found no viewer")


def main():
    global BUILD
    source, BUILD, fonts = sys.argv[1:4]
    shipped = sys.argv[4] if len(sys.argv) > 4 else os.path.join(BUILD, "dist")
    os.environ["DISPLAY"] = viewers_display(source, BUILD)

    def prepare(folder):
        shutil.copy(os.path.join(shipped, "korvel.exe"), folder)
        shutil.copy(os.path.join(shipped, "Plugins", "find.dll"), os.path.join(folder, "Plugins"))
        with open(os.path.join(folder, "doc.txt"), "wb") as f:
            f.write(b"".join(line + b"\r\n" for line in document_lines()))

    got, _ = scenario(BUILD, fonts, "closed under the Find dialog", features, prepare)
    check(not visible(FIND_TITLE), "the Find dialog outlived the viewer")
    check(any(c.startswith("KeyPress") for c in got), "rec_all got no KeyPress")
    print("find plug-in through X (%s): ok" % shipped)


if __name__ == "__main__":
    main()
