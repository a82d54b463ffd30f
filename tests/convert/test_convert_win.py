#!/usr/bin/env python3
"""korvel-convert.exe under Wine where Windows differs: Cyrillic CP1251 names
and backslash paths in and out, a folder tree, no partial file after a
failure or an interrupt, standard streams in binary, only system DLLs; and
the same text bytes and PDF pixels as the native program.

    test_convert_win.py <wine-run> <korvel-convert.exe> <native korvel-convert> <objdump>
"""
import glob
import hashlib
import json
import os
import signal
import subprocess
import sys
import time
import unittest

from convert_fixture import FolderTest, limit_file_size

WINE_RUN = EXE = NATIVE = OBJDUMP = None
SAMPLE = os.path.join(os.path.dirname(__file__), "..", "..", "samples", "sample.krv")
# What every Windows system has; anything else would have to ship beside the exe.
SYSTEM_DLLS = {"kernel32.dll", "msvcrt.dll", "user32.dll", "gdi32.dll", "advapi32.dll"}


def windows_path(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")


class WindowsConvertTest(FolderTest):
    prefix = "convert-win-test-"

    def windows(self, *args, **options):
        # Messages name paths as given: in the ANSI code page when not on a console.
        return self.run_program([WINE_RUN, EXE, *args], "cp1251", timeout=300, **options)

    def native(self, *args, **options):
        return self.run_program([NATIVE, *args], "utf-8", timeout=300, **options)

    def assert_converted(self, result):
        self.assertEqual((result[0], result[2]), (0, ""))


class PathsTest(WindowsConvertTest):
    def test_cyrillic_tree_with_backslashes_gives_the_native_text(self):
        self.write("Архив/Документ.krv", b"\x80\xa0\xe0 \xff1bold\xff0\ttab\r\nline 2\r\n")
        self.write("Архив/Письма/Второй.TXT", b"\xc9\xcd\xbb\x00\xff\xff\x01\r\n")
        self.write("Архив/Письма/заметки.md", b"not a document")
        self.assert_converted(self.windows("Архив\\", "-o", "Архив-txt\\", "--to", "txt"))
        self.assertEqual(self.files("Архив-txt"), ["Документ.txt", "Письма/Второй.txt"])
        self.assert_converted(self.native("Архив", "-o", "native", "--to", "txt"))
        for name in self.files("native"):
            self.assertEqual(self.read("Архив-txt/" + name), self.read("native/" + name), name)
        # A drive letter, backslashes and --crlf; the named file is made, its folder too.
        self.assert_converted(self.windows("--crlf", windows_path(self.path("Архив/Документ.krv")),
                                           "-o", windows_path(self.path("Новая папка/итог.txt"))))
        self.assertEqual(self.read("Новая папка/итог.txt"),
                         self.read("native/Документ.txt").replace(b"\n", b"\r\n"))
        # Standard input and output carry the bytes unchanged (no text mode).
        status, out, err = self.windows("--to", "txt", "-", "-o", "-",
                                        stdin=self.read("Архив/Документ.krv"))
        self.assertEqual((status, err, out), (0, "", self.read("native/Документ.txt")))

    def test_paths_out_of_reach_are_named(self):
        # Past MAX_PATH, and a name in bytes that no ANSI name can hold: each is
        # named, the rest converted.
        self.write("в/" + "/".join(["д" * 60] * 5) + "/глубоко.krv", b"deep\r\n")
        self.write("в/мелко.krv", b"near\r\n")
        with open(os.path.join(self.path("в").encode(), "отчёт".encode("cp866") + b".krv"),
                  "wb") as f:
            f.write(b"old name\r\n")
        status, _, err = self.windows("--to", "txt", "в", "-o", "из")
        self.assertEqual(status, 1)
        self.assertIn("is too long for Windows (306 characters, at most 259)", err)
        self.assertIn("cannot write (shown as ?)", err)
        self.assertEqual(self.files("из"), ["мелко.txt"])
        status, _, err = self.windows("--to", "txt", "в\\мелко.krv", "-o",
                                      "\\".join(["д" * 60] * 5) + "\\мелко.txt")
        self.assertEqual(status, 1)
        self.assertIn("мелко.krv: its output: the path is too long for Windows", err)

    def test_pdf_pages_render_as_the_native_ones(self):
        with open(SAMPLE, "rb") as sample:
            self.write("образец.krv", sample.read() * 3)  # pages "k из 3"
        # The fonts come from fonts\ beside the exe; the footer shows the path as given.
        self.assert_converted(self.windows("образец.krv", "-o", "win.pdf"))
        self.assert_converted(self.native("образец.krv", "-o", "native.pdf"))
        fonts = subprocess.run(["pdffonts", self.path("win.pdf")], capture_output=True,
                               text=True, check=True).stdout
        self.assertIn("Type 3", fonts)
        pages = {}
        for name in ("win", "native"):
            subprocess.run(["pdftoppm", "-r", "96", "-gray", "-aa", "no", "-aaVector", "no",
                            self.path(name + ".pdf"), self.path(name)], check=True)
            pages[name] = [self.read(page) for page in self.files() if
                           page.startswith(name + "-") and page.endswith(".pgm")]
        self.assertGreater(len(pages["win"]), 1)
        self.assertEqual(pages["win"], pages["native"])
        text = subprocess.run(["pdftotext", self.path("win.pdf"), "-"], capture_output=True,
                              text=True, check=True).stdout
        self.assertIn("образец.krv", text)
        # PNG pages through the static libpng, with two workers.
        self.assert_converted(self.windows("--jobs", "2", "--to", "png", "образец.krv"))
        self.assert_converted(self.native("--to", "png", "образец.krv", "-o", "n/"))
        pngs = [name for name in self.files() if name.endswith(".png")]
        self.assertEqual(len(pngs), 2 * len(pages["win"]))
        for name in self.files("n"):
            self.assertEqual(self.read(name), self.read("n/" + name), name)


class FailureTest(WindowsConvertTest):
    def test_failures_leave_no_partial_file(self):
        self.write("в/большой.krv", b"x" * 100000 + b"\r\n")
        self.write("в/малый.krv", b"y\r\n")
        # A full disk: writes stop at 64 KB, so the big output cannot be written.
        status, _, err = self.windows("--to", "txt", "в", "-o", "из",
                                      preexec_fn=limit_file_size(65536))
        self.assertEqual(status, 1)
        self.assertIn("в\\большой.krv: cannot write из\\большой.txt", err)
        self.assertEqual(self.files("из"), ["малый.txt"])
        # An existing output stays without --force; --force replaces it in place.
        self.write("из/большой.txt", b"kept")
        status, _, err = self.windows("--to", "txt", "в\\большой.krv", "-o", "из\\большой.txt")
        self.assertEqual(status, 1)
        self.assertIn("exists (--force replaces it)", err)
        self.assertEqual(self.read("из/большой.txt"), b"kept")
        self.assert_converted(self.windows("--force", "--to", "txt", "в\\большой.krv", "-o",
                                           "из\\большой.txt"))
        self.assertEqual(self.read("из/большой.txt"), b"x" * 100000 + b"\n")
        # A PNG page whose name is taken: none of the document's pages is left.
        self.write("p/doc-002.png", b"kept")
        self.write("doc.krv", b"line\r\n" * 200)
        status, _, err = self.windows("--to", "png", "doc.krv", "-o", "p\\")
        self.assertEqual(status, 1)
        self.assertIn("p\\doc-002.png exists", err)
        self.assertEqual(self.files("p"), ["doc-002.png"])
        # A missing input is named; a folder that cannot be made (a file has its name) too.
        status, _, err = self.windows("--to", "txt", "нет.krv", "в", "-o", "из2")
        self.assertEqual(status, 1)
        self.assertIn("нет.krv: cannot open", err)
        self.assertEqual(self.files("из2"), ["большой.txt", "малый.txt"])
        status, _, err = self.windows("--to", "txt", "в\\малый.krv", "-o", "doc.krv\\x.txt")
        self.assertEqual(status, 1)
        self.assertIn("cannot create folder doc.krv", err)
        self.assertEqual([n for n in self.files() if n.endswith(".tmp")], [])

    def test_interrupt_removes_temporary_files(self):
        # Standard input is held in %TEMP% while it is read; Wine turns SIGINT into Ctrl+C.
        prefix = os.path.join(os.path.dirname(WINE_RUN), "wine", "prefix")
        pattern = os.path.join(prefix, "drive_c", "users", "*", "**", "korvel-convert.*.tmp")
        child = subprocess.Popen([WINE_RUN, EXE, "-q", "--to", "txt", "-"],
                                 stdin=subprocess.PIPE, stdout=subprocess.DEVNULL)
        child.stdin.write(b"partial line\r\n")
        child.stdin.flush()
        deadline = time.monotonic() + 60
        while not glob.glob(pattern, recursive=True) and time.monotonic() < deadline:
            time.sleep(0.01)
        self.assertTrue(glob.glob(pattern, recursive=True))
        child.send_signal(signal.SIGINT)
        self.assertEqual(child.wait(timeout=60), 0xC000013A & 0xFF)  # STATUS_CONTROL_C_EXIT
        child.stdin.close()
        self.assertEqual(glob.glob(pattern, recursive=True), [])

    def test_needs_only_system_dlls(self):
        # objdump's own messages follow the locale: "DLL Name" only in C.
        dump = subprocess.run([OBJDUMP, "-p", EXE], capture_output=True, text=True, check=True,
                              env=dict(os.environ, LC_ALL="C")).stdout
        dlls = {line.split(":")[1].strip().lower() for line in dump.splitlines()
                if "DLL Name:" in line}
        self.assertTrue(dlls)
        self.assertLessEqual(dlls, SYSTEM_DLLS)


class BatchTest(WindowsConvertTest):
    def report(self, name):
        """The report's records, timings aside, paths with '/' and sorted by input."""
        records = [json.loads(line) for line in self.read(name).decode().splitlines()]
        for record in records:
            del record["seconds"]
            record["input"] = record["input"].replace("\\", "/")
            for output in record["outputs"]:
                output["path"] = output["path"].replace("\\", "/")
        return sorted(records, key=lambda r: r["input"])

    def test_report_and_update_with_cyrillic_names(self):
        self.write("Архив/Документ.krv", b"\x80\xa0\xe0 \xff1bold\xff0\r\n")
        self.write("Архив/Письма/Второй.TXT", b"\xc9\xcd\xbb\r\n")
        # Names in the ANSI code page come out as UTF-8, digests as the native ones.
        self.assert_converted(self.windows("--to", "txt", "Архив", "-o", "вых",
                                           "--report", "отчёт.jsonl"))
        self.assert_converted(self.native("--to", "txt", "Архив", "-o", "вых-n",
                                          "--report", "native.jsonl"))
        records = self.report("отчёт.jsonl")
        self.assertEqual([r["input"] for r in records],
                         ["Архив/Документ.krv", "Архив/Письма/Второй.TXT"])
        for record in records:
            for output in record["outputs"]:
                with open(self.path(output["path"]), "rb") as f:
                    self.assertEqual(output["sha256"], hashlib.sha256(f.read()).hexdigest())
        native = self.report("native.jsonl")
        for record in native:
            for output in record["outputs"]:
                output["path"] = output["path"].replace("вых-n/", "вых/")
        self.assertEqual(records, native)
        # A second run with --update converts nothing and says so.
        self.assert_converted(self.windows("--to", "txt", "Архив", "-o", "вых", "--update",
                                           "--report", "again.jsonl"))
        self.assertEqual([r["status"] for r in self.report("again.jsonl")], ["up-to-date"] * 2)


def setUpModule():
    # Wine's display, prefix and server start here, not under a test's limits.
    subprocess.run([WINE_RUN, EXE, "--version"], stdout=subprocess.DEVNULL, check=True,
                   timeout=300)


if __name__ == "__main__":
    WINE_RUN, EXE, NATIVE, OBJDUMP = sys.argv[1:5]
    if not os.access(NATIVE, os.X_OK):
        sys.exit(f"no native korvel-convert at {NATIVE}: build it first (scripts/build.sh)")
    unittest.main(argv=sys.argv[:1] + sys.argv[5:])
