#!/usr/bin/env python3
"""korvel-convert on archives: a tree of small documents (1-2 KB) to text
with --jobs 2, 1,000 of them against 100,000 (files per second and the
program's peak memory); the same tree again with --update when everything
is up to date, without and with --report (which reads every input and
output again for its digests); and what --report adds to 1,000 pages of
typical text to PDF.

    bench_convert_batch.py <korvel-convert> [largest count]   (default 100000)

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

RUNS = 3
WORDS = [w.encode("cp866") for w in
         "документ строка текст архив письмо отчёт таблица итог план работа".split()]


def make_documents(folder, count):
    """Cyrillic prose with codes, 1-2 KB each, a thousand to a folder."""
    generator = random.Random(count)
    for n in range(count):
        lines, size = [], generator.randint(1000, 2000)
        while sum(len(line) + 2 for line in lines) < size:
            line = b" ".join(generator.choice(WORDS) for _ in range(generator.randint(3, 9)))
            lines.append(b"\xff1" + line + b"\xff0" if len(lines) % 7 == 0 else line)
        path = os.path.join(folder, f"part{n // 1000:03}", f"doc{n:06}.krv")
        if n % 1000 == 0:
            os.makedirs(os.path.dirname(path))
        with open(path, "wb") as f:
            f.write(b"\r\n".join(lines) + b"\r\n")


def typical_pages(path, lines):
    """Lines of 50-75 bytes of words, now and then bold, as the PDF benchmark's."""
    generator = random.Random(2024)
    rows = []
    for n in range(lines):
        row = b"    " if n % 9 == 0 else b""
        target = generator.randint(50, 75)
        while len(row) < target:
            word = generator.choice(WORDS + [b"1991", b"12,50"])
            row += (b"\xff1" + word + b"\xff0" if generator.random() < 0.05 else word) + b" "
        rows.append(row.rstrip())
    with open(path, "wb") as f:
        f.write(b"\r\n".join(rows) + b"\r\n")


def timed(command):
    """Wall seconds, processor seconds and peak resident memory (MB) of one run."""
    start = time.perf_counter()
    child = subprocess.Popen(command)
    _, status, usage = os.wait4(child.pid, 0)
    elapsed = time.perf_counter() - start
    if os.waitstatus_to_exitcode(status) != 0:
        sys.exit(f"failed: {' '.join(command)}")
    return elapsed, usage.ru_utime + usage.ru_stime, usage.ru_maxrss / 1024


def tree_figures(program, work, count):
    """Converting a fresh tree of `count` documents, then --update over it,
    without and with --report: (wall s, processor s, peak MB) of each."""
    inputs = os.path.join(work, f"in{count}")
    make_documents(inputs, count)
    out = os.path.join(work, f"out{count}")
    report = os.path.join(work, f"report{count}.jsonl")
    base = [program, "-q", "--jobs", "2", "--to", "txt", inputs, "-o", out]
    convert = timed(base)
    update = min((timed(base + ["--update"]) for _ in range(RUNS)), key=lambda run: run[0])
    reported = timed(base + ["--update", "--report", report])
    with open(report, "rb") as f:
        if sum(1 for _ in f) != count:
            sys.exit(f"the report does not have {count} lines")
    shutil.rmtree(inputs)
    shutil.rmtree(out)
    return convert, update, reported


def report_cost(program, work):
    """1,000 pages to PDF without and with --report, best of RUNS each, in turn."""
    document = os.path.join(work, "pages.krv")
    typical_pages(document, 54 * 1000)
    best = {False: None, True: None}
    for n in range(RUNS):
        for with_report in (False, True):
            command = [program, "-q", "--to", "pdf", document, "-o",
                       os.path.join(work, f"pages{n}{with_report}.pdf")]
            if with_report:
                command += ["--report", os.path.join(work, "pages.jsonl")]
            run = timed(command)
            if best[with_report] is None or run[0] < best[with_report][0]:
                best[with_report] = run
    with open(os.path.join(work, "pages.jsonl")) as f:
        pages = f.readline().split('"pages":')[1].split(",")[0]
    return pages, best[False], best[True]


def main():
    program = os.path.abspath(sys.argv[1])
    largest = int(sys.argv[2]) if len(sys.argv) > 2 else 100000
    work = tempfile.mkdtemp(prefix="bench-convert-batch-")
    try:
        print(f"{os.cpu_count()} processors, load average before: {os.getloadavg()[0]:.2f}")
        for count in (1000, largest):
            convert, update, reported = tree_figures(program, work, count)
            for name, (wall, cpu, peak) in (("to text, --jobs 2", convert),
                                             ("--update, all up to date", update),
                                             ("--update --report", reported)):
                print(f"{count:7} documents, {name:25}: {wall:7.2f} s, {count / wall:6.0f} "
                      f"files/s, {cpu:6.2f} s processor, peak {peak:6.1f} MB")
            print(f"{count:7} documents: --update {convert[0] / update[0]:.1f}x faster than "
                  f"converting (best of {RUNS})")
        pages, plain, reported = report_cost(program, work)
        print(f"{pages} pages to PDF: {plain[0]:.3f} s ({plain[1]:.3f} s processor), with "
              f"--report {reported[0]:.3f} s ({reported[1]:.3f} s processor): "
              f"+{100 * (reported[0] / plain[0] - 1):.1f} % (best of {RUNS})")
        print(f"load average after: {os.getloadavg()[0]:.2f}")
    finally:
        shutil.rmtree(work)


if __name__ == "__main__":
    main()
