#!/usr/bin/env python3
"""The Windows zip as a user gets it: unpacked into a folder whose path holds a
blank and Cyrillic letters, it has the program, the ten fonts and their
licences, the Find plug-in in Plugins, README.txt, LICENSE and the plug-in
kit; korvel.exe started from there on a document loads the plug-in, shows the
document (window_check.exe reads the window's pixels) and writes its
debug.log beside itself.

    test_zip.py <source dir> <build dir> <zip>
"""
import os
import shutil
import subprocess
import sys
import tempfile
import zipfile

WAIT = 120


def windows_path(path):
    return "Z:" + path.replace("/", "\\")


def check(condition, message):
    if not condition:
        raise AssertionError(message)


def main():
    source, build, zip_path = sys.argv[1:4]
    top = os.path.basename(zip_path)[:-len("-win32.zip")]
    work = tempfile.mkdtemp(prefix="korvel-zip-")
    try:
        place = os.path.join(work, "Мои программы")
        with zipfile.ZipFile(zip_path) as archive:
            archive.extractall(place)
        folder = os.path.join(place, top)
        wanted = (["korvel.exe", "korvel-convert.exe", "README.txt", "LICENSE.txt", "sdk/korvel_plugin.h",
                   "sdk/README.md", "sdk/sample/keep_open.c"] +
                  ["fonts/vga%d.sfn" % n for n in range(10)] +
                  ["fonts/LICENSES/" + name
                   for name in os.listdir(os.path.join(source, "fonts", "LICENSES"))])
        for name in wanted:
            check(os.path.isfile(os.path.join(folder, name)), "the zip lacks " + name)
        plugins = os.listdir(os.path.join(folder, "Plugins"))
        check(plugins == ["find.dll"], "Plugins holds %r" % plugins)
        with open(os.path.join(folder, "README.txt"), "rb") as f:
            readme = f.read().decode("utf-8-sig")
        check("\r\n" in readme and "\n" not in readme.replace("\r\n", ""),
              "README.txt has bare line feeds")
        check("Korvel Viewer " + top.rsplit("-", 1)[1] in readme, "README.txt has no version")

        document = os.path.join(folder, "Справка по программе.txt")
        shutil.copy(os.path.join(source, "samples", "guide.txt"), document)
        wine_run = os.path.join(build, "wine-run")
        viewer = subprocess.Popen([wine_run, windows_path(os.path.join(folder, "korvel.exe")),
                                   windows_path(document)],
                                  stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        try:
            checker = subprocess.run(
                [wine_run, os.path.join(build, "tests", "bin", "window_check.exe"),
                 windows_path(os.path.join(folder, "fonts")), windows_path(document)],
                capture_output=True, timeout=WAIT)
            check(checker.returncode == 0,
                  "window_check: %s" % checker.stderr.decode("cp866", "replace").strip())
            check(viewer.wait(timeout=WAIT) == 0, "the viewer did not end with 0")
        finally:
            if viewer.poll() is None:
                viewer.kill()
                viewer.wait()
        with open(os.path.join(folder, "debug.log"), "rb") as f:
            log = f.read().decode("cp1251")
        check('loading "%s" from command line.' % windows_path(document) in log,
              "debug.log beside the unpacked program has no record of the load")
        check('loading library "%s".' % windows_path(os.path.join(folder, "Plugins", "find.dll"))
              in log, "the viewer did not load the Find plug-in")
        print("zip: ok")
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
