#!/usr/bin/env python3
"""korvel-convert.exe under Wine next to the native korvel-convert, whole runs
on the same files in the same run (best of three, wall-clock and processor
seconds):
- UTF-8 text of a generated ~100 MB document like the loader benchmark's,
  with `iconv -f cp866 -t utf-8` on the same file (which keeps the in-line
  codes) and the floor: reading the input and writing as many bytes;
- PDF of 1,000 pages of typical text: pages per second, bytes a page.
Each run includes loading the document and, under Wine, starting the
process (a running wineserver is reused).

    bench_convert_win.py <wine-run> <korvel-convert.exe> <native korvel-convert> [MB] [pages]

Build the native program without sanitizers (see the README). The load
average is printed too: the machine should be quiet.
"""
import os
import random
import resource
import shutil
import subprocess
import sys
import tempfile
import time

RUNS = 3
A4_LINES = 54


def text_document(path, megabytes):
    """Mostly 60-90-byte lines of Cyrillic text and box drawing, CR LF, and a
    line of several KB every thousand lines."""
    alphabet = b"\x80\x81\x82\xa0\xa1\xa2\xae\xe0\xe1 ,.\xb3\xc4 abc"
    generator = random.Random(12345)
    chunk = [bytes(generator.choices(alphabet, k=60 + n % 31)) + b"\r\n" for n in range(999)]
    chunk.append(bytes(generator.choices(alphabet, k=5000)) + b"\r\n")
    block = b"".join(chunk)
    with open(path, "wb") as f:
        for _ in range(megabytes * 1048576 // len(block) + 1):
            f.write(block)


def typical_text(path, lines):
    """Lines of 50-75 bytes of Cyrillic words, now and then a word in bold or
    underlined and an indented paragraph: a letter or a report."""
    words = [w.encode("cp866") for w in
             "документ строка текст и в по отчёт Москва 1991 отчёт табл на запись приказ "
             "сотрудники. число 12,50".split()]
    generator = random.Random(2024)
    rows = []
    for line in range(lines):
        row = b"    " if line % 9 == 0 else b""
        target = 50 + generator.randrange(26)
        while len(row) < target:
            word = generator.choice(words)
            kind = generator.randrange(42)
            row += (b"\xff1" + word + b"\xff0 " if kind == 0 else
                    b"\xff_" + word + b"\xff. " if kind == 1 else word + b" ")
        rows.append(row)
    with open(path, "wb") as f:
        f.write(b"\r\n".join(rows) + b"\r\n")


def children_cpu_seconds():
    usage = resource.getrusage(resource.RUSAGE_CHILDREN)
    return usage.ru_utime + usage.ru_stime


def best_seconds(command, cwd):
    """The best wall-clock and the best processor seconds (user and system,
    which a busy machine disturbs less) of a few runs."""
    best_wall = best_cpu = None
    for _ in range(RUNS):
        start, start_cpu = time.perf_counter(), children_cpu_seconds()
        subprocess.run(command, cwd=cwd, check=True, stdout=subprocess.DEVNULL)
        wall, cpu = time.perf_counter() - start, children_cpu_seconds() - start_cpu
        best_wall = wall if best_wall is None else min(best_wall, wall)
        best_cpu = cpu if best_cpu is None else min(best_cpu, cpu)
    return best_wall, best_cpu


def main():
    wine_run, exe, native = (os.path.abspath(arg) for arg in sys.argv[1:4])
    megabytes = int(sys.argv[4]) if len(sys.argv) > 4 else 100
    pages = int(sys.argv[5]) if len(sys.argv) > 5 else 1000
    work = tempfile.mkdtemp(prefix="bench-convert-win-")
    try:
        print(f"load average: {os.getloadavg()[0]:.2f}")
        subprocess.run([wine_run, exe, "--version"], check=True, stdout=subprocess.DEVNULL)
        text_document(os.path.join(work, "big.krv"), megabytes)
        size = os.path.getsize(os.path.join(work, "big.krv")) / 1e6
        runs = {
            "korvel-convert.exe (Wine)": [wine_run, exe, "-q", "--force", "--to", "txt",
                                          "big.krv", "-o", "win.txt"],
            "korvel-convert (native)": [native, "-q", "--force", "--to", "txt", "big.krv",
                                        "-o", "native.txt"],
            "iconv -f cp866 -t utf-8": ["sh", "-c", "iconv -f cp866 -t utf-8 big.krv >iconv.txt"],
            "floor (read, write as many)": ["sh", "-c", "head -c $(stat -c %s native.txt) "
                                            "big.krv >floor.txt"],
        }
        print(f"UTF-8 text of {size:.0f} MB:")
        for name, command in runs.items():
            wall, cpu = best_seconds(command, work)
            print(f"  {name:28} {wall:6.2f} s {size / wall:5.0f} MB/s, "
                  f"processor {cpu:6.2f} s {size / cpu:5.0f} MB/s")
        same = open(os.path.join(work, "win.txt"), "rb").read() == \
            open(os.path.join(work, "native.txt"), "rb").read()
        print(f"  same bytes from both programs: {same}")
        for name in ("big.krv", "win.txt", "native.txt", "iconv.txt", "floor.txt"):
            os.remove(os.path.join(work, name))

        typical_text(os.path.join(work, "pages.krv"), pages * A4_LINES)
        print(f"PDF of {pages} pages of typical text:")
        for name, command in {
                "korvel-convert.exe (Wine)": [wine_run, exe, "-q", "--force", "pages.krv",
                                              "-o", "win.pdf"],
                "korvel-convert (native)": [native, "-q", "--force", "pages.krv", "-o",
                                            "native.pdf"]}.items():
            wall, cpu = best_seconds(command, work)
            output = os.path.join(work, "win.pdf" if "exe" in name else "native.pdf")
            print(f"  {name:28} {wall:6.2f} s {pages / wall:5.0f} pages/s, processor "
                  f"{cpu:6.2f} s {pages / cpu:5.0f} pages/s, "
                  f"{os.path.getsize(output) / pages:.0f} bytes a page")
        same = open(os.path.join(work, "win.pdf"), "rb").read() == \
            open(os.path.join(work, "native.pdf"), "rb").read()
        print(f"  same bytes from both programs: {same}")
    finally:
        shutil.rmtree(work)


if __name__ == "__main__":
    main()
