#!/usr/bin/env python3
"""korvel-convert as a user runs it: exit statuses, outputs that never replace
an input or an existing file, no partial file after a failure, mirrored folder
trees, parallel jobs, standard input and output.

    test_convert_cli.py <korvel-convert> <version> [unittest arguments]
"""
import os
import pty
import resource
import shutil
import signal
import stat
import subprocess
import sys
import time
import unittest

from convert_fixture import FolderTest, limit_file_size

PROGRAM = None


class ConvertTest(FolderTest):
    def run_convert(self, *args, **options):
        return self.run_program([PROGRAM, *args], **options)

    def make_tree(self):
        self.write("in/one.krv", b"first\r\nline \xff1bold\xff0\r\n")
        self.write("in/a/Two.TXT", b"\x80\xa0\xe0\r\n")
        self.write("in/a/b/three.Krv", b"deep\r\n" * 50)
        self.write("in/a/notes.md", b"not a document")
        self.write("in/a/b/empty.txt", b"")


class CommandTest(ConvertTest):
    def test_exit_statuses_and_messages(self):
        self.write("doc.krv", b"text\r\n")
        os.mkfifo(self.path("pipe.krv"))
        os.mkdir(self.path("nofonts"))
        usage_errors = [
            ["--bogus", "doc.krv"],
            ["doc.krv"],  # no format
            ["--to", "rtf", "doc.krv"],
            ["--jobs", "0", "--to", "txt", "doc.krv"],
            ["--margin", "nan", "--to", "pdf", "doc.krv"],
            ["--to", "txt", "doc.krv", "doc.krv", "-o", "all.txt"],
            ["--to", "png", "doc.krv", "-o", "-"],
            ["--to", "png", "-"],
            ["--to", "pdf", "--fonts", "nofonts", "doc.krv"],
            ["--to", "txt", "--report"],
            ["--to", "txt", "--report", "-", "doc.krv", "-o", "-"],
            ["--to", "txt", "--report", "doc.krv", "doc.krv", "-o", "x.txt"],  # into an input
            ["--to", "txt", "--report", "nofonts", "doc.krv", "-o", "x.txt"],  # a folder
            ["--to", "txt", "--report", "x.txt", "doc.krv", "-o", "x.txt"],  # the output
        ]
        for args in usage_errors:
            status, _, err = self.run_convert(*args)
            self.assertEqual((status, err.count("\n") >= 1), (2, True), args)
        self.assertEqual(self.files(), ["doc.krv", "pipe.krv"])

        status, out, _ = self.run_convert("--version")
        self.assertEqual((status, out), (0, b"korvel-convert " + VERSION.encode() + b"\n"))

        # The inputs that fail are named with their reason; the others are converted.
        status, _, err = self.run_convert("--to", "txt", "-o", "out", "missing.krv", "pipe.krv",
                                          "doc.krv", "/dev/null")
        self.assertEqual(status, 1)
        self.assertIn("missing.krv: cannot open: No such file or directory", err)
        self.assertIn("pipe.krv: not a file on a disk", err)
        self.assertIn("/dev/null: not a file on a disk", err)
        self.assertEqual(self.files("out"), ["doc.txt"])

    def test_what_went_wrong_is_said_in_the_users_terms(self):
        self.write("doc.krv", b"text\r\n")
        self.write("d/a.txt", b"text\r\n")
        os.mkdir(self.path("empty"))
        os.mkdir(self.path("nofonts"))
        os.mkfifo(self.path("fifo.txt"))
        terminal, terminal_side = pty.openpty()
        self.addCleanup(os.close, terminal)
        self.addCleanup(os.close, terminal_side)
        missing_tmp = dict(os.environ, TMPDIR=self.path("gone"))
        cases = [  # arguments, how it runs, exit status, what it says
            (["--margin", "0x10", "--to", "pdf", "doc.krv"], {}, 2, "not '0x10'"),
            (["--to", "pdf", "doc.krv", "-o", "x.png"], {}, 2, "--to pdf contradicts -o x.png"),
            (["--to", "txt", ""], {}, 2, "an input is an empty name"),
            (["--to", "txt", "empty", "-o", "d.txt"], {}, 2, "the input empty is a folder"),
            (["--to", "pdf", "doc.krv", "-o", "-"], {"stdout": terminal_side}, 2,
             "not written to a terminal"),
            (["--to", "txt", "empty"], {}, 0, "empty: no documents (*.krv, *.txt)"),
            (["--to", "txt", "d/a.txt"], {}, 1, "d/a.txt would replace an input: itself"),
            (["--to", "txt", "--force", "doc.krv", "-o", "fifo.txt"], {}, 1,
             "fifo.txt is not a regular file"),
            (["--to", "txt", "-", "-o", "c.txt"], {"preexec_fn": lambda: os.close(0)}, 1,
             "standard input: cannot read: it is closed"),
            (["--to", "txt", "-", "-o", "c.txt"], {"env": missing_tmp}, 1,
             "cannot create a temporary file in " + self.path("gone")),
        ]
        for args, options, status, told in cases:
            got, _, err = self.run_convert(*args, **options)
            self.assertEqual(got, status, args)
            self.assertIn(told, err, args)
        # A font that cannot be read is no misuse of the command.
        status, _, err = self.run_convert("--to", "pdf", "--fonts", "nofonts", "doc.krv")
        self.assertEqual(status, 2)
        self.assertNotIn("--help", err)
        self.assertTrue(stat.S_ISFIFO(os.stat(self.path("fifo.txt")).st_mode))
        self.assertEqual(self.files(), ["d/a.txt", "doc.krv", "fifo.txt"])

    def test_outputs_never_replace_inputs_or_existing_files(self):
        self.write("doc.krv", b"new\r\n")
        self.write("doc.txt", b"old\r\n")
        status, _, err = self.run_convert("--to", "txt", "doc.krv")
        self.assertEqual(status, 1)
        self.assertIn("doc.txt exists (--force replaces it)", err)
        self.assertEqual(self.read("doc.txt"), b"old\r\n")
        self.assertEqual(self.run_convert("--to", "txt", "--force", "doc.krv")[0], 0)
        self.assertEqual(self.read("doc.txt"), b"new\n")

        # An input is never an output, not even by another name or with --force.
        os.link(self.path("doc.krv"), self.path("linked.krv"))
        for args in (["doc.txt"], ["-o", "linked.krv", "doc.krv"]):
            status, _, err = self.run_convert("--to", "txt", "--force", *args)
            self.assertEqual(status, 1, args)
            self.assertIn("would replace an input", err)
        self.assertEqual(self.read("doc.txt"), b"new\n")
        self.assertEqual(self.read("linked.krv"), b"new\r\n")

    def test_one_output_for_two_inputs_is_found_wherever_they_meet(self):
        # The folders are walked one at a time: inputs meet in the same folder,
        # in the same folder of two given folders, or among the inputs as given.
        self.write("in1/a.krv", b"a\r\n")
        self.write("in1/d/x.krv", b"x\r\n")
        self.write("in2/d/x.txt", b"x\r\n")
        self.write("in2/d/x.krv", b"y\r\n")
        self.write("e/a.txt", b"e\r\n")
        self.write("o/old/old/y.krv", b"y\r\n")
        self.write("o/old/y.txt", b"z\r\n")
        cases = [  # arguments, what is said
            (["in1", "in2", "-o", "out1"],
             ["in2/d/x.krv: not converted: its output out1/d/x.txt is also the output of "
              "in1/d/x.krv",
              "in2/d/x.txt: not converted: its output out1/d/x.txt is also the output of "
              "in1/d/x.krv"]),
            (["e/a.txt", "in1", "-o", "out2"],
             ["in1/a.krv: not converted: its output out2/a.txt is also the output of e/a.txt"]),
            (["in1", "e/a.txt", "-o", "out3"],
             ["e/a.txt: not converted: its output out3/a.txt is also the output of in1/a.krv"]),
            # An output that is an input found later in the walk.
            (["--force", "o/old", "-o", "o"],
             ["o/old/old/y.krv: its output o/old/y.txt would replace an input"]),
        ]
        for args, told in cases:
            status, _, err = self.run_convert("-q", "--to", "txt", *args)
            self.assertEqual(status, 1, args)
            self.assertEqual(sorted(err.splitlines()),
                             ["korvel-convert: " + line for line in told], args)
        self.assertEqual(self.read("o/old/y.txt"), b"z\r\n")

    def test_failed_output_leaves_no_file(self):
        self.write("in/big.krv", b"x" * 100000 + b"\r\n")
        self.write("in/small.krv", b"y\r\n")
        # A full disk: writes stop at 64 KB, so the big output cannot be written.
        status, _, err = self.run_convert("--to", "txt", "in", "-o", "out",
                                          preexec_fn=limit_file_size(65536))
        self.assertEqual(status, 1)
        self.assertIn("in/big.krv: cannot write out/big.txt", err)
        self.assertEqual(self.files("out"), ["small.txt"])
        # An input with a read error (the program's own memory from address 0).
        status, _, err = self.run_convert("--to", "txt", "/proc/self/mem", "-o", "mem.txt")
        self.assertEqual(status, 1)
        self.assertIn("/proc/self/mem: could not be read completely", err)
        # A folder that cannot be made, and standard output that cannot take the text.
        self.write("blocker", b"")
        status, _, err = self.run_convert("--to", "txt", "in/small.krv", "-o", "blocker/x.txt")
        self.assertEqual(status, 1)
        self.assertIn("in/small.krv: cannot create folder blocker", err)
        with open("/dev/full", "wb") as full:
            status, _, err = self.run_convert("--to", "txt", "in/small.krv", "-o", "-",
                                              stdout=full)
        self.assertEqual(status, 1)
        self.assertIn("in/small.krv: cannot write to standard output: No space left on device",
                      err)
        self.assertEqual(self.files(), ["blocker", "in/big.krv", "in/small.krv", "out/small.txt"])

    def test_interrupted_run_removes_its_temporary_files(self):
        tmp = self.path("tmp")
        os.mkdir(tmp)
        for signal_number in (signal.SIGINT, signal.SIGQUIT):
            # Standard input is held in a temporary file while it is read.
            child = subprocess.Popen([PROGRAM, "-q", "--to", "txt", "-"], stdin=subprocess.PIPE,
                                     stdout=subprocess.DEVNULL, env=dict(os.environ, TMPDIR=tmp),
                                     preexec_fn=lambda: resource.setrlimit(resource.RLIMIT_CORE,
                                                                           (0, 0)))
            child.stdin.write(b"partial line\r\n")
            child.stdin.flush()
            deadline = time.monotonic() + 60
            while not os.listdir(tmp) and time.monotonic() < deadline:
                time.sleep(0.01)
            self.assertTrue(os.listdir(tmp))
            child.send_signal(signal_number)
            self.assertEqual(child.wait(timeout=60), -signal_number)
            child.stdin.close()
            self.assertEqual(os.listdir(tmp), [], signal_number)

    def test_progress_of_one_document_counts_megabytes(self):
        # Long enough (4 MB and more, about 1,000 pages) for the line to show.
        self.write("big.krv", (b"x" * 78 + b"\r\n") * 70000)
        terminal, terminal_side = pty.openpty()
        self.addCleanup(os.close, terminal)
        with subprocess.Popen([PROGRAM, "--to", "pdf", "big.krv"], cwd=self.dir,
                              stderr=terminal_side) as child:
            os.close(terminal_side)
            self.assertEqual(child.wait(timeout=300), 0)
        shown = os.read(terminal, 1 << 16).decode()
        self.assertIn(" of 5.6 MB, ", shown)
        self.assertNotIn("files", shown)

    def test_long_lines_are_kept_whole(self):
        # Past the screen's last column (16,777,216; a tab counts 8).
        self.write("tabs.krv", b"\t" * 3000000 + b"END\r\n")
        for fmt, whole in (("txt", b"\t" * 3000000 + b"END\n"),
                           ("html", b"\t" * 3000000 + b"END\n</pre>")):
            self.assertEqual(self.run_convert("--to", fmt, "tabs.krv")[:1], (0,), fmt)
            self.assertIn(whole, self.read("tabs." + fmt), fmt)

    def test_names_in_old_code_pages_read_in_titles_and_footers(self):
        for code_page in ("cp1251", "cp866"):
            name = "отчёт".encode(code_page)
            self.write(f"{code_page}/x", b"")
            with open(os.path.join(self.path(code_page).encode(), name + b".krv"), "wb") as f:
                f.write(b"text\r\n")
            status, _, err = self.run_convert("--to", "pdf", code_page)
            self.assertEqual((status, err), (0, ""), code_page)
            pdf = os.path.join(self.path(code_page).encode(), name + b".pdf")
            info = subprocess.run(["pdfinfo", pdf], capture_output=True, text=True).stdout
            self.assertIn("отчёт.krv", info, code_page)
            text = subprocess.run(["pdftotext", pdf, "-"], capture_output=True, text=True).stdout
            self.assertIn(f"{code_page}/отчёт.krv", text, code_page)

    def test_a_folder_too_deep_to_enter_is_named(self):
        # A path of about 5,000 characters, made folder by folder.
        self.write("in/top.krv", b"top\r\n")
        folder = os.open(self.path("in"), os.O_RDONLY)
        for _ in range(25):
            os.mkdir("d" * 200, dir_fd=folder)
            inner = os.open("d" * 200, os.O_RDONLY, dir_fd=folder)
            os.close(folder)
            folder = inner
        deep = os.open("deep.krv", os.O_WRONLY | os.O_CREAT, dir_fd=folder)
        os.write(deep, b"deep\r\n")
        os.close(deep)
        os.close(folder)
        status, _, err = self.run_convert("--to", "txt", "in", "-o", "out")
        self.assertEqual(status, 1)
        self.assertIn("dddd: cannot read the folder: File name too long", err)
        self.assertEqual(self.files("out"), ["top.txt"])


class TreeTest(ConvertTest):
    def test_folder_tree_is_mirrored(self):
        self.make_tree()
        status, _, err = self.run_convert("--to", "txt", "in", "-o", "out")
        self.assertEqual((status, err), (0, ""))
        self.assertEqual(self.files("out"),
                         ["a/Two.txt", "a/b/empty.txt", "a/b/three.txt", "one.txt"])
        self.assertEqual(self.read("out/a/Two.txt"), "Аар\n".encode())
        # Without -o each output goes beside its input; an output folder inside
        # the tree is not taken as input.
        status, _, err = self.run_convert("--to", "html", "in")
        self.assertEqual((status, err), (0, ""))
        self.assertIn("in/a/b/three.html", [os.path.join("in", f) for f in self.files("in")])
        status, _, err = self.run_convert("--to", "txt", "in", "-o", "in/out")
        self.assertEqual((status, err), (0, ""))
        self.assertEqual(self.run_convert("--to", "txt", "in", "-o", "in/out", "--force")[0], 0)
        self.assertNotIn("out/out", " ".join(self.files("in")))

    def test_outputs_of_two_inputs_colliding(self):
        self.write("in/same.krv", b"krv\r\n")
        self.write("in/same.txt", b"txt\r\n")
        status, _, err = self.run_convert("--to", "pdf", "in", "-o", "out")
        self.assertEqual(status, 1)
        self.assertIn("in/same.txt: not converted: its output out/same.pdf is also the output "
                      "of in/same.krv", err)
        self.assertEqual(self.files("out"), ["same.pdf"])

    def test_parallel_jobs_give_the_same_bytes(self):
        for n in range(40):
            self.write(f"in/{n % 4}/doc{n}.krv",
                       b"".join(bytes([32 + (n * k) % 224]) * (k % 70) + b"\r\n"
                                for k in range(n * 3)))
        for fmt in ("txt", "html", "pdf", "png"):
            outputs = {}
            for jobs in ("1", "2"):
                out = f"out{fmt}{jobs}"
                status, _, err = self.run_convert("--to", fmt, "--jobs", jobs, "in", "-o", out)
                self.assertEqual((status, err), (0, ""), fmt)
                outputs[jobs] = {f: self.read(os.path.join(out, f)) for f in self.files(out)}
            self.assertGreaterEqual(len(outputs["1"]), 40, fmt)
            self.assertEqual(outputs["1"], outputs["2"], fmt)

    def test_png_pages_whole_or_none(self):
        self.write("doc.krv", b"line\r\n" * 200)
        self.assertEqual(self.run_convert("--to", "png", "doc.krv", "-o", "p/doc.png")[0], 0)
        pages = self.files("p")
        self.assertGreater(len(pages), 1)
        self.assertEqual(pages, [f"doc-{n:03}.png" for n in range(1, len(pages) + 1)])
        # A page that exists stops the conversion and no page of it is left.
        self.write("q/doc-002.png", b"kept")
        status, _, err = self.run_convert("--to", "png", "doc.krv", "-o", "q/")
        self.assertEqual(status, 1)
        self.assertIn("q/doc-002.png exists", err)
        self.assertEqual(self.files("q"), ["doc-002.png"])
        # --force replaces a page set whole, and nothing but that document's pages.
        others = ["doc-01.png", "doc-001-a.png", "doc.png", "docs-001.png"]
        for name in others:
            self.write("p/" + name, b"other")
        self.write("short.krv", b"line\r\n")
        status, _, err = self.run_convert("--to", "png", "--force", "short.krv", "-o", "p/doc.png")
        self.assertEqual((status, err), (0, ""))
        self.assertEqual(self.files("p"), sorted(others + ["doc-001.png"]))


class StandardStreamsTest(ConvertTest):
    def test_standard_input_and_output(self):
        self.write("doc.krv", b"\xff1b\xff0\xff\xff\r\n")
        status, out, err = self.run_convert("--to", "txt", "-", stdin=self.read("doc.krv"))
        self.assertEqual((status, err), (0, ""))
        status, direct, _ = self.run_convert("--to", "txt", "doc.krv", "-o", "-")
        self.assertEqual((status, direct), (0, out))
        self.assertEqual(out, "b\u00a0\n".encode())
        self.assertEqual(self.run_convert("-", "-o", "x.html", stdin=b"a\r\n")[0], 0)
        self.assertIn(b"stdin", self.read("x.html"))
        status, _, err = self.run_convert("--to", "txt", "-", "doc.krv")
        self.assertEqual(status, 2)
        with open("/dev/full", "wb") as full:
            status, _, err = self.run_convert("--to", "txt", "-", stdin=b"a\r\n", stdout=full)
        self.assertEqual(status, 1)
        self.assertIn("standard input: cannot write to standard output", err)

    def test_standard_input_copies_are_bounded_and_recognised(self):
        tmp = self.path("tmp")
        os.mkdir(tmp)
        ended = subprocess.Popen(["true"])
        ended.wait()
        # A copy whose run was killed outright goes; one of a running process stays.
        left = f"korvel-convert.stdin-{ended.pid}.AbC123"
        running = f"korvel-convert.stdin-{os.getpid()}.XyZ789"
        for name in (left, running):
            self.write(os.path.join("tmp", name), b"copy")
        with open("/dev/zero", "rb") as endless:
            done = subprocess.run([PROGRAM, "--to", "txt", "-", "-o", "z.txt"], cwd=self.dir,
                                  stdin=endless, stderr=subprocess.PIPE, timeout=300,
                                  env=dict(os.environ, TMPDIR=tmp))
        self.assertEqual(done.returncode, 1)
        self.assertIn(b"standard input: longer than a document may be (2560 MB)", done.stderr)
        self.assertEqual(os.listdir(tmp), [running])
        self.assertFalse(os.path.exists(self.path("z.txt")))

    def test_a_reader_that_stops_ends_the_program_quietly(self):
        self.write("big.krv", b"line\r\n" * 400000)
        with subprocess.Popen([PROGRAM, "--to", "txt", "big.krv", "-o", "-"], cwd=self.dir,
                              stdout=subprocess.PIPE, stderr=subprocess.PIPE) as child:
            self.assertEqual(child.stdout.readline(), b"line\n")
            child.stdout.close()
            self.assertEqual((child.wait(timeout=120), child.stderr.read()),
                             (-signal.SIGPIPE, b""))


class OptionsTest(ConvertTest):
    def png_header(self, name):
        """Width, height, bit depth and colour type from a PNG's IHDR chunk."""
        data = self.read(name)
        return (int.from_bytes(data[16:20], "big"), int.from_bytes(data[20:24], "big"),
                data[24], data[25])

    def test_option_forms_and_page_settings_reach_the_output(self):
        self.write("-doc.krv", b"a\tb\r\n")
        # --name=value, -oPATH, -jN, and -- before an input that looks like an option.
        status, _, err = self.run_convert("--to=txt", "--crlf", "--expand-tabs", "-j2",
                                          "-oout.txt", "--", "-doc.krv")
        self.assertEqual((status, err), (0, ""))
        self.assertEqual(self.read("out.txt"), b"a       b\r\n")

        self.assertEqual(self.run_convert("-doc.krv", "-o", "a4.pdf")[0], 2)
        self.assertEqual(self.run_convert("-o", "a4.pdf", "--", "-doc.krv")[0], 0)
        self.assertEqual(self.run_convert("--paper", "letter", "--margin", "0", "-o", "letter.pdf",
                                          "--", "-doc.krv")[0], 0)
        sizes = [subprocess.run(["pdfinfo", self.path(name)], capture_output=True,
                                text=True).stdout for name in ("a4.pdf", "letter.pdf")]
        self.assertIn("595.276 x 841.89 pts (A4)", sizes[0])
        self.assertIn("612 x 792 pts (letter)", sizes[1])

        # PNG pages: the whole paper at 96 dpi, 1-bit; --scale and --grey.
        self.assertEqual(self.run_convert("-o", "one.png", "--", "-doc.krv")[0], 0)
        self.assertEqual(self.run_convert("--scale", "2", "--grey", "-o", "two.png", "--",
                                          "-doc.krv")[0], 0)
        self.assertEqual(self.png_header("one-001.png"), (794, 1123, 1, 0))
        self.assertEqual(self.png_header("two-001.png"), (1588, 2246, 8, 0))


class FontsTest(ConvertTest):
    def test_fonts_found_where_the_package_installs_them(self):
        fonts = os.path.join(os.path.dirname(PROGRAM), "fonts")
        shutil.copytree(fonts, self.path("usr/lib/korvel/fonts"))
        os.makedirs(self.path("usr/bin"))
        shutil.copy(PROGRAM, self.path("usr/bin"))
        self.write("doc.krv", b"text\r\n")
        done = subprocess.run([self.path("usr/bin/korvel-convert"), "--to", "pdf", "doc.krv"],
                              cwd=self.dir, capture_output=True, timeout=120)
        self.assertEqual(done.returncode, 0, done.stderr)
        self.assertTrue(self.read("doc.pdf").startswith(b"%PDF"))
        # A font file of the wrong size is refused before anything is written.
        shutil.copytree(fonts, self.path("short"))
        with open(self.path("short/vga3.sfn"), "ab") as f:
            f.write(b"\0")
        status, _, err = self.run_convert("--to", "pdf", "--fonts", "short", "--force", "doc.krv")
        self.assertEqual(status, 2)
        self.assertIn("vga3.sfn is not a screen font", err)


if __name__ == "__main__":
    PROGRAM = os.path.abspath(sys.argv.pop(1))
    VERSION = sys.argv.pop(1)
    unittest.main()
