#!/usr/bin/env python3
"""A folder of 1,000 small documents converted with --jobs 1 and --jobs 2:
seconds per run (best of several), documents per second, the processor time
the run took on all threads and the speed-up.

    bench_convert_jobs.py <korvel-convert> [formats...]     (default: pdf txt)

Build the program without sanitizers for figures that mean anything (see the
README). The load average is printed too: the machine should be quiet.
"""
import os
import random
import resource
import shutil
import subprocess
import sys
import tempfile
import time

DOCUMENTS = 1000
RUNS = 5


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


def timed_run(program, fmt, jobs, inputs, out):
    """Wall-clock and processor seconds of one conversion of the whole folder."""
    before = resource.getrusage(resource.RUSAGE_CHILDREN)
    start = time.perf_counter()
    subprocess.run([program, "-q", "--to", fmt, "--jobs", str(jobs), inputs, "-o", out],
                   check=True)
    elapsed = time.perf_counter() - start
    after = resource.getrusage(resource.RUSAGE_CHILDREN)
    cpu = after.ru_utime + after.ru_stime - before.ru_utime - before.ru_stime
    return elapsed, cpu


def best_times(program, fmt, inputs, work):
    """Best of RUNS for --jobs 1 and 2, the runs taken in turn so that both
    meet the same load from other programs."""
    best = {1: None, 2: None}
    for n in range(RUNS):
        for jobs in (1, 2):
            # A fresh folder each time, the old ones removed only at the end: a
            # file system that just freed a thousand inodes makes creating the
            # next thousand several times slower, which would measure ext4.
            run = timed_run(program, fmt, jobs, inputs, os.path.join(work, f"{fmt}{jobs}-{n}"))
            if best[jobs] is None or run[0] < best[jobs][0]:
                best[jobs] = run
    return best[1], best[2]


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
            (one, one_cpu), (two, two_cpu) = best_times(program, fmt, inputs, work)
            print(f"{fmt:4}: --jobs 1 {one:6.3f} s ({DOCUMENTS / one:5.0f} docs/s, "
                  f"{one_cpu:5.2f} s processor), --jobs 2 {two:6.3f} s "
                  f"({DOCUMENTS / two:5.0f} docs/s, {two_cpu:5.2f} s processor), "
                  f"speed-up {one / two:.2f}x (best of {RUNS})")
        print(f"load average after: {os.getloadavg()[0]:.2f}")
    finally:
        shutil.rmtree(work)


if __name__ == "__main__":
    main()
