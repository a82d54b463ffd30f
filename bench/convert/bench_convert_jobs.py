#!/usr/bin/env python3
"""A folder of 1,000 small documents converted with --jobs 1 and --jobs 2:
seconds per run (best of several), documents per second and the speed-up.

    bench_convert_jobs.py <korvel-convert> [formats...]     (default: pdf txt)

Build the program without sanitizers for figures that mean anything (see the
README). The load average is printed too: the machine should be quiet.
"""
import os
import random
import shutil
import subprocess
import sys
import tempfile
import time

DOCUMENTS = 1000
RUNS = 3


def make_documents(folder):
    """Cyrillic prose with font and underline codes and a table, 1-4 KB each."""
    words = [w.encode("cp866") for w in
             "документ строка текст архив письмо отчёт таблица итог план работа".split()]
    generator = random.Random(12)
    for n in range(DOCUMENTS):
        lines = []
        for k in range(generator.randint(20, 60)):
            line = b" ".join(generator.choice(words) for _ in range(generator.randint(3, 9)))
            if k % 7 == 0:
                line = b"\xff1" + line + b"\xff0"
            if k % 11 == 0:
                line = b"\xc9" + b"\xcd" * 30 + b"\xbb"
            lines.append(line)
        path = os.path.join(folder, f"part{n % 10}", f"doc{n:04}.krv")
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as f:
            f.write(b"\r\n".join(lines) + b"\r\n")


def best_time(program, fmt, jobs, inputs, work):
    best = None
    for _ in range(RUNS):
        out = os.path.join(work, "out")
        shutil.rmtree(out, ignore_errors=True)
        start = time.perf_counter()
        subprocess.run([program, "-q", "--to", fmt, "--jobs", str(jobs), inputs, "-o", out],
                       check=True)
        elapsed = time.perf_counter() - start
        best = elapsed if best is None else min(best, elapsed)
    return best


def main():
    program = os.path.abspath(sys.argv[1])
    formats = sys.argv[2:] or ["pdf", "txt"]
    work = tempfile.mkdtemp(prefix="bench-convert-")
    try:
        inputs = os.path.join(work, "in")
        make_documents(inputs)
        size = sum(os.path.getsize(os.path.join(r, f)) for r, _, fs in os.walk(inputs) for f in fs)
        print(f"{DOCUMENTS} documents, {size / 1e6:.2f} MB, {os.cpu_count()} processors, "
              f"load average before: {os.getloadavg()[0]:.2f}")
        for fmt in formats:
            one = best_time(program, fmt, 1, inputs, work)
            two = best_time(program, fmt, 2, inputs, work)
            print(f"{fmt:4}: --jobs 1 {one:6.3f} s ({DOCUMENTS / one:7.0f} docs/s), "
                  f"--jobs 2 {two:6.3f} s ({DOCUMENTS / two:7.0f} docs/s), "
                  f"speed-up {one / two:.2f}x (best of {RUNS})")
        print(f"load average after: {os.getloadavg()[0]:.2f}")
    finally:
        shutil.rmtree(work)


if __name__ == "__main__":
    main()
