#!/usr/bin/env python3
"""korvel-convert for batches: --update resuming a killed run, --report's
lines and digests, and the many-machines recipes of docs/recipes run on this
machine (GNU parallel on two job slots, the Slurm script's tasks in turn)
against one --jobs 2 run.

    test_convert_batch.py <korvel-convert> [unittest arguments]
"""
import hashlib
import json
import os
import signal
import subprocess
import sys
import time
import unittest

from convert_fixture import FolderTest

PROGRAM = None
RECIPES = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "docs", "recipes")


def sha256(path):
    with open(path, "rb") as f:
        return hashlib.sha256(f.read()).hexdigest()


class BatchTest(FolderTest):
    def run_convert(self, *args, **options):
        return self.run_program([PROGRAM, *args], **options)

    def report(self, name="r.jsonl"):
        with open(self.path(name), "rb") as f:
            return [json.loads(line) for line in f.read().decode().splitlines()]

    def outputs(self, folder):
        """Output files and their bytes; hidden temporary files left by a kill aside."""
        return {f: self.read(os.path.join(folder, f)) for f in self.files(folder)
                if not os.path.basename(f).startswith(".")}

    def make_tree(self, big_lines=200):
        self.write("in/a.krv", b"first\r\n")
        self.write("in/b/big.krv", b"\xb0\xb1\xb2 line of a long document\r\n" * big_lines)
        self.write("in/b/c.txt", b"\x80\xa0\xe0\r\n")


class UpdateTest(BatchTest):
    def test_killed_run_resumes_with_update(self):
        self.make_tree(big_lines=30000)
        # Killed while the big document is converted: the report keeps whole
        # lines of what finished, and what was being written never counts as done.
        child = subprocess.Popen([PROGRAM, "-q", "-j1", "--to", "pdf", "in", "-o", "out",
                                  "--report", "r.jsonl"], cwd=self.dir)
        deadline = time.monotonic() + 60
        while (not os.path.exists(self.path("r.jsonl")) or not self.read("r.jsonl")) and \
                time.monotonic() < deadline:
            time.sleep(0.005)
        child.send_signal(signal.SIGKILL)
        child.wait()
        killed = {r["input"] for r in self.report()}
        self.assertIn("in/a.krv", killed)
        self.assertLess(len(killed), 3)  # killed before the end

        status, _, err = self.run_convert("-q", "--to", "pdf", "in", "-o", "out", "--update",
                                          "--report", "r.jsonl")
        self.assertEqual((status, err), (0, ""))
        resumed = {r["input"]: r["status"] for r in self.report()[len(killed):]}
        self.assertEqual(resumed, {name: "up-to-date" if name in killed else "converted"
                                   for name in ("in/a.krv", "in/b/big.krv", "in/b/c.txt")})
        status, _, err = self.run_convert("-q", "--to", "pdf", "in", "-o", "fresh")
        self.assertEqual((status, err), (0, ""))
        self.assertEqual(self.outputs("out"), self.outputs("fresh"))

    def test_what_counts_as_up_to_date(self):
        fonts = os.path.join(os.path.dirname(PROGRAM), "fonts")
        self.write("doc.krv", b"line\r\n" * 200)
        old, new = time.time() - 1000, time.time() - 500
        os.utime(self.path("doc.krv"), (new, new))
        fonts_copy = self.path("fonts")
        os.mkdir(fonts_copy)
        for name in os.listdir(fonts):
            with open(os.path.join(fonts, name), "rb") as f:
                self.write(os.path.join("fonts", name), f.read())
            os.utime(os.path.join(fonts_copy, name), (old, old))

        def converted(fmt, output):
            status, _, err = self.run_convert("--to", fmt, "--fonts", "fonts", "doc.krv", "-o",
                                              output, "--update", "--report", "r.jsonl")
            self.assertEqual((status, err), (0, ""))
            return self.report()[-1]["status"]

        def set_time(name, when):
            os.utime(self.path(name), (when, when))

        cases = [  # format, output, what changes before the second run, its status
            ("txt", "t.txt", lambda: None, "up-to-date"),
            ("txt", "t.txt", lambda: set_time("t.txt", old), "converted"),  # older than input
            ("html", "h.html", lambda: set_time("h.html", new - 1), "converted"),
            ("pdf", "p.pdf", lambda: None, "up-to-date"),
            ("png", "g.png", lambda: set_time("g-002.png", old), "converted"),
            ("png", "g.png", lambda: os.remove(self.path("g-001.png")), "converted"),
            ("png", "g.png", lambda: None, "up-to-date"),
            # Newer fonts make every PDF and PNG output out of date: the last case.
            ("pdf", "p.pdf", lambda: set_time("fonts/vga4.sfn", time.time() + 100), "converted"),
        ]
        for fmt, output, change, expected in cases:
            converted(fmt, output)
            change()
            self.assertEqual(converted(fmt, output), expected, (fmt, output))


class ReportTest(BatchTest):
    def test_lines_and_digests(self):
        self.make_tree()
        os.mkfifo(self.path("in/pipe.krv"))
        status, _, err = self.run_convert("--to", "png", "in", "-o", "out", "--report", "r.jsonl")
        self.assertEqual(status, 1)
        records = {r["input"]: r for r in self.report()}
        self.assertEqual(len(records), 4)
        failed = records["in/pipe.krv"]
        self.assertEqual((failed["status"], failed["error"], failed["outputs"]),
                         ("failed", "not a file on a disk", []))
        big = records["in/b/big.krv"]
        self.assertEqual((big["status"], big["format"], big["lines"], big["input_size"]),
                         ("converted", "png", 200, os.path.getsize(self.path("in/b/big.krv"))))
        self.assertEqual(big["pages"], len(big["outputs"]))
        self.assertEqual(big["outputs"][0]["path"], "out/b/big-001.png")
        # Digests as the files are on the disk.
        for record in records.values():
            if record["status"] == "converted":
                self.assertEqual(record["input_sha256"], sha256(self.path(record["input"])))
                for output in record["outputs"]:
                    self.assertEqual(output["sha256"], sha256(self.path(output["path"])))

        # Standard input is reported with the digest of what was read.
        data = self.read("in/a.krv")
        status, _, err = self.run_convert("--to", "txt", "-", "-o", "s.txt", "--report",
                                          "stdin.jsonl", stdin=data)
        self.assertEqual((status, err), (0, ""))
        [record] = self.report("stdin.jsonl")
        self.assertEqual((record["input"], record["input_size"], record["input_sha256"]),
                         ("-", len(data), hashlib.sha256(data).hexdigest()))

    def test_report_that_cannot_be_written_stops_the_run(self):
        self.make_tree()
        status, _, err = self.run_convert("-j1", "--to", "txt", "in", "-o", "out", "--report",
                                          "/dev/full")
        self.assertEqual(status, 1)
        self.assertIn("cannot write the report /dev/full: No space left on device; stopped", err)
        self.assertEqual(self.files("out"), ["a.txt"])  # nothing converted after it


class RecipeTest(BatchTest):
    def single_run(self):
        status, _, err = self.run_convert("-q", "--jobs", "2", "--to", "txt", "in", "-o", "one",
                                          "--report", "one.jsonl")
        self.assertEqual((status, err), (0, ""))
        return self.outputs("one"), self.timeless(self.report("one.jsonl"), "one/")

    def timeless(self, records, output_folder):
        """Records sorted by input, without timings and with the outputs' folder named out/."""
        for record in records:
            del record["seconds"]
            for output in record["outputs"]:
                output["path"] = "out/" + output["path"][len(output_folder):]
        return sorted(records, key=lambda r: r["input"])

    def run_recipe(self, command, env=None):
        done = subprocess.run(command, cwd=self.dir, capture_output=True, timeout=300,
                              env=dict(os.environ, PATH=os.path.dirname(PROGRAM) + os.pathsep +
                                       os.environ["PATH"], **(env or {})))
        self.assertEqual(done.returncode, 0, done.stderr)

    def test_recipes_give_the_single_runs_outputs_and_report(self):
        self.make_tree()
        self.write(os.fsdecode(b"in/d \xef\xf2.krv"), b"a name in CP1251\r\n")
        self.write("in/b/deeper/e.TXT", b"e\r\n")
        outputs, report = self.single_run()
        self.write("nodes", b"2/:\n")  # two job slots on this machine
        self.run_recipe([os.path.join(RECIPES, "convert-parallel.sh"), "nodes", "in", "out",
                         "p.jsonl", "--to", "txt"])
        self.assertEqual(self.outputs("out"), outputs)
        self.assertEqual(self.timeless(self.report("p.jsonl"), "out/"), report)

        # The Slurm array's three tasks, one after another.
        listing = subprocess.run(["find", "in", "-type", "f", "-printf", "%P\\0"], cwd=self.dir,
                                 capture_output=True, check=True).stdout
        self.write("files.list", listing)
        for task in range(3):
            self.run_recipe([os.path.join(RECIPES, "convert-slurm.sh"), "files.list", "in",
                             "slurm", "reports", "--to", "txt"],
                            {"SLURM_ARRAY_TASK_ID": str(task + 1), "SLURM_ARRAY_TASK_MIN": "1",
                             "SLURM_ARRAY_TASK_COUNT": "3", "SLURM_CPUS_PER_TASK": "2"})
        self.assertEqual(self.outputs("slurm"), outputs)
        records = sum((self.report(f"reports/{n}.jsonl") for n in range(3)), [])
        self.assertEqual(self.timeless(records, "slurm/"), report)


if __name__ == "__main__":
    PROGRAM = os.path.abspath(sys.argv.pop(1))
    unittest.main()
