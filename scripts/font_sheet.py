#!/usr/bin/env python3
"""Draw the ten .sfn fonts into one PNG sheet.

For each font: its number and name, the 256 glyphs in a 16 x 16 grid (row =
high nibble, column = low nibble, one pixel of grid between cells) and a
few lines set without gaps, so frames, shades and words show how the cells
join.

Usage: font_sheet.py FONT_DIR OUT.png [--scale N]
"""

import argparse
import os
import struct
import sys
import zlib

ROWS, COLS, GLYPHS = 19, 8, 256
FACES = [
    "regular", "bold", "italic", "bold italic", "superscript",
    "subscript", "light", "outline", "inverse", "double-struck",
]
SAMPLE = [
    "╔══════╤═══════╗",
    "║Привет│ Hello!║",
    "╟──────┼───────╢",
    "║░░▒▒▓▓│█▄▄▀▀▌▐║",
    "╚══════╧═══════╝",
    "Ёжик gyp Щ 1.2 ",
]
PER_ROW = 5
INK, PAPER, GRID, BACK = (0, 0, 0), (255, 255, 255), (170, 170, 190), (
    225, 225, 232)


def load_font(path):
    with open(path, "rb") as f:
        data = f.read()
    if len(data) != GLYPHS * ROWS:
        raise ValueError("%s: %d bytes, expected %d" %
                         (path, len(data), GLYPHS * ROWS))
    return [data[g * ROWS:(g + 1) * ROWS] for g in range(GLYPHS)]


class Canvas:
    def __init__(self, width, height, colour):
        self.w, self.h = width, height
        self.px = [[colour] * width for _ in range(height)]

    def fill(self, x, y, w, h, colour):
        for yy in range(max(y, 0), min(y + h, self.h)):
            row = self.px[yy]
            for xx in range(max(x, 0), min(x + w, self.w)):
                row[xx] = colour

    def glyph(self, glyph, x, y, paper=PAPER):
        for r in range(ROWS):
            bits = glyph[r]
            row = self.px[y + r]
            for c in range(COLS):
                row[x + c] = INK if bits & (0x80 >> c) else paper

    def text(self, font, s, x, y):
        for i, ch in enumerate(s.encode("cp866")):
            self.glyph(font[ch], x + i * COLS, y)

    def png(self, scale):
        raw = bytearray()
        for row in self.px:
            line = bytearray([0])
            for colour in row:
                line += bytes(colour) * scale
            raw += bytes(line) * scale
        w, h = self.w * scale, self.h * scale

        def chunk(kind, body):
            return (struct.pack(">I", len(body)) + kind + body +
                    struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF))
        return (b"\x89PNG\r\n\x1a\n" +
                chunk(b"IHDR", struct.pack(">IIBBBBB", w, h, 8, 2, 0, 0, 0)) +
                chunk(b"IDAT", zlib.compress(bytes(raw), 9)) +
                chunk(b"IEND", b""))


def draw_sheet(fonts):
    grid_w = 16 * (COLS + 1) + 1
    grid_h = 16 * (ROWS + 1) + 1
    block_w = grid_w + 12
    block_h = ROWS + 4 + grid_h + 6 + ROWS * len(SAMPLE) + 12
    count = len(fonts)
    per_row = min(PER_ROW, count)
    lines = (count + per_row - 1) // per_row
    canvas = Canvas(per_row * block_w + 6, lines * block_h + 6, PAPER)
    label_font = fonts[0]
    for n, font in enumerate(fonts):
        bx = 6 + (n % per_row) * block_w
        by = 6 + (n // per_row) * block_h
        name = FACES[n] if n < len(FACES) else ""
        canvas.text(label_font, ("%d %s" % (n, name))[:16], bx, by)
        gy = by + ROWS + 4
        canvas.fill(bx, gy, grid_w, grid_h, GRID)
        for g in range(GLYPHS):
            x = bx + 1 + (g % 16) * (COLS + 1)
            y = gy + 1 + (g // 16) * (ROWS + 1)
            canvas.glyph(font[g], x, y)
        sy = gy + grid_h + 6
        canvas.fill(bx - 2, sy - 2, 16 * COLS + 4, ROWS * len(SAMPLE) + 4,
                    BACK)
        for i, line in enumerate(SAMPLE):
            canvas.text(font, line, bx, sy + i * ROWS)
    return canvas


def main(argv=None):
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("font_dir")
    ap.add_argument("out_png")
    ap.add_argument("--scale", type=int, default=2)
    args = ap.parse_args(argv)
    fonts = []
    for i in range(10):
        path = os.path.join(args.font_dir, "vga%d.sfn" % i)
        if not os.path.isfile(path):
            print("font_sheet: %s is missing" % path, file=sys.stderr)
            return 2
        fonts.append(load_font(path))
    data = draw_sheet(fonts).png(args.scale)
    with open(args.out_png, "wb") as f:
        f.write(data)
    print("font_sheet: wrote %s" % args.out_png)
    return 0


if __name__ == "__main__":
    sys.exit(main())
