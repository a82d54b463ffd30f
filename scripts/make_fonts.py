#!/usr/bin/env python3
"""Build the ten 8x19 CP866 screen fonts fonts/vga0.sfn ... vga9.sfn.

Every .sfn file is 256 glyphs x 19 bytes, no header: byte r of glyph g is
pixel row r (top first), bit 7 is the leftmost pixel, a set bit is ink.

The glyphs come from console fonts shipped by Debian (console-setup-linux),
with GNU Unifont as a last resort for a character they might lack.  The
16-row sources are placed in the 19-row cell with two blank rows above, so
row 18 (where the viewer draws underline) stays clear.  Box-drawing, shade
and block characters are stretched or redrawn to fill all 19 rows so that
frames and tables join without gaps; they are identical in all ten fonts.

The output depends only on the installed source files: running the script
twice gives the same bytes.

Usage: make_fonts.py [--out DIR] [--consolefonts DIR] [--unifont FILE]
"""

import argparse
import gzip
import os
import struct
import sys

ROWS = 19           # cell height
COLS = 8            # cell width
GLYPHS = 256
TOP = 2             # blank rows above a 16-row source glyph
FULL = 0xFF         # a row with all eight pixels inked

CONSOLEFONTS = "/usr/share/consolefonts"
UNIFONT = "/usr/share/unifont/unifont.hex"

# Console fonts used, by role.  The "FullCyrSlav" sets cover every CP866
# character except two arrows, which ALIASES supplies.
SRC_VGA16 = "FullCyrSlav-VGA16.psf.gz"        # regular VGA 8x16 face
SRC_VGA8 = "FullCyrSlav-VGA8.psf.gz"          # 8x8 face for sup/subscript
SRC_TERM16 = "FullCyrSlav-Terminus16.psf.gz"  # thin Terminus 8x16 face

# Code points 0x00-0x1F and 0x7F in the IBM PC character set.
LOW_CHARS = ("\u0000☺☻♥♦♣♠•◘○◙♂♀♪♫☼►◄↕‼¶§▬↨↑↓→←∟↔▲▼")
DEL_CHAR = "⌂"

# Shapes that some fonts file under a sibling code point.
ALIASES = {
    0x25BA: (0x25B6, 0x25B8),   # ► black right-pointing pointer
    0x25C4: (0x25C0, 0x25C2),   # ◄ black left-pointing pointer
}

# Glyphs drawn edge to edge of the cell: box drawing, shades, blocks and the
# two inverse bullets.  They are the same in every font.
CELL_FILLING = frozenset(list(range(0xB0, 0xE0)) + [0x08, 0x0A])

FACES = [
    "regular", "bold", "italic", "bold italic", "superscript",
    "subscript", "light", "outline", "inverse", "double-struck",
]


class SourceMissing(Exception):
    pass


def cp866_table():
    """Unicode code point for each of the 256 CP866 byte values."""
    table = [ord(c) for c in LOW_CHARS]
    table += list(range(0x20, 0x7F))
    table.append(ord(DEL_CHAR))
    table += [ord(bytes([b]).decode("cp866")) for b in range(0x80, 0x100)]
    assert len(table) == GLYPHS
    return table


# ---------------------------------------------------------------- sources

def _read(path):
    if not os.path.isfile(path):
        raise SourceMissing(path)
    with open(path, "rb") as f:
        data = f.read()
    if data[:2] == b"\x1f\x8b":
        data = gzip.decompress(data)
    return data


def load_psf(path):
    """Load a PSF1 or PSF2 console font with an 8-pixel-wide glyph cell.

    Returns (height, {code point: tuple of row bytes}).  When a code point
    is listed for several glyphs, the first glyph wins.
    """
    data = _read(path)
    if data[:2] == b"\x36\x04":                       # PSF1
        mode, height = data[2], data[3]
        count = 512 if mode & 1 else 256
        size, pos = height, 4
        if not mode & 2:
            raise ValueError("%s: no Unicode table" % path)
        table_pos = pos + count * size
        entries = []
        p = table_pos
        for _ in range(count):
            cps = []
            while True:
                (u,) = struct.unpack_from("<H", data, p)
                p += 2
                if u == 0xFFFF:
                    break
                if u == 0xFFFE:             # start of sequences: skip them
                    while struct.unpack_from("<H", data, p)[0] != 0xFFFF:
                        p += 2
                    continue
                cps.append(u)
            entries.append(cps)
    elif data[:4] == b"\x72\xb5\x4a\x86":             # PSF2
        (_, _, hdr, flags, count, size, height,
         width) = struct.unpack_from("<8I", data, 0)
        if width != COLS:
            raise ValueError("%s: glyphs are %d wide" % (path, width))
        if not flags & 1:
            raise ValueError("%s: no Unicode table" % path)
        pos = hdr
        p = pos + count * size
        entries = []
        for _ in range(count):
            end = data.index(b"\xff", p)
            chunk = data[p:end].split(b"\xfe")[0]   # drop sequences
            entries.append([ord(c) for c in chunk.decode("utf-8")])
            p = end + 1
    else:
        raise ValueError("%s: not a PSF font" % path)
    glyphs = {}
    for i, cps in enumerate(entries):
        rows = tuple(data[pos + i * size: pos + i * size + height])
        for cp in cps:
            glyphs.setdefault(cp, rows)
    return height, glyphs


def load_unifont(path, wanted):
    """Load the 8x16 glyphs of the code points in `wanted` from unifont.hex."""
    glyphs = {}
    for line in _read(path).decode("ascii").splitlines():
        cp_hex, _, bits = line.partition(":")
        cp = int(cp_hex, 16)
        if cp in wanted and len(bits) == 32:
            glyphs[cp] = tuple(bytes.fromhex(bits))
    return glyphs


class Fallback:
    """Unifont, read the first time a console font lacks a character.

    With the current Debian packages every CP866 character is found in the
    console fonts, so unifont.hex is only a safety net.
    """

    def __init__(self, path, wanted):
        self.path, self.wanted, self.glyphs = path, wanted, None

    def get(self, cp):
        if self.glyphs is None:
            self.glyphs = load_unifont(self.path, self.wanted)
        return self.glyphs.get(cp)


class Source:
    """One 8-pixel-wide console face with Unifont filling its gaps."""

    def __init__(self, path, fallback):
        self.height, self.glyphs = load_psf(path)
        self.fallback = fallback
        self.name = os.path.basename(path)

    def glyph(self, cp):
        for c in (cp,) + ALIASES.get(cp, ()):
            if c in self.glyphs:
                return self.glyphs[c]
        g = self.fallback.get(cp)
        if g is None:
            raise KeyError("no glyph for U+%04X in %s or Unifont"
                           % (cp, self.name))
        if self.height == 8:                    # halve the 16 rows
            return tuple(g[2 * i] | g[2 * i + 1] for i in range(8))
        return g


# ------------------------------------------------------- cell placement

def blank():
    return [0] * ROWS


def place(rows, top):
    """Put source rows into an empty 19-row cell starting at row `top`."""
    cell = blank()
    for i, r in enumerate(rows):
        if 0 <= top + i < ROWS:
            cell[top + i] = r
    return cell


def stretch_box(rows):
    """Stretch a 16-row line-drawing glyph to 19 rows.

    The first row is repeated twice and the last row once, so vertical
    strokes run through the added rows and a horizontal stroke in source
    row 7 lands in cell row 9, the middle of the cell and the row where
    letters put '-'.
    """
    assert len(rows) == 16
    return [rows[0]] * (TOP) + list(rows) + [rows[-1]] * (ROWS - 16 - TOP)


def rotate_row(row, n):
    n %= COLS
    return ((row >> n) | (row << (COLS - n))) & FULL


def shade_rows(base, steps):
    """A shade pattern: each row is the previous one rotated right.

    `base` has a horizontal period of 4 or 2, so any row tiles across the
    cell's left and right edges.  `steps[r]` is the rotation from row r to
    row r+1; their sum is a multiple of the period so row 18 leads into
    row 0 of the cell below exactly like the rows inside a cell do.
    """
    assert len(steps) == ROWS - 1
    rows = [base]
    for s in steps:
        rows.append(rotate_row(rows[-1], s))
    return rows


# 19 is odd, so a two-row pattern cannot repeat exactly in one cell: one
# step inside the cell is different, and the join between cells is a
# normal step.
LIGHT_SHADE = shade_rows(0x11, [2] * 4 + [1] + [2] * 8 + [1] + [2] * 4)
MEDIUM_SHADE = shade_rows(0x55, [1] * 9 + [0] + [1] * 8)
DARK_SHADE = [~r & FULL for r in shade_rows(0x22, [2] * 4 + [1] + [2] * 8 +
                                             [1] + [2] * 4)]
UPPER_HALF_ROWS = 9     # rows 0-8 for the upper half block, 9-18 lower


def block_glyph(b):
    """Shades and block elements drawn for the 19-row cell."""
    if b == 0xB0:
        return list(LIGHT_SHADE)
    if b == 0xB1:
        return list(MEDIUM_SHADE)
    if b == 0xB2:
        return list(DARK_SHADE)
    if b == 0xDB:
        return [FULL] * ROWS
    if b == 0xDC:
        return [0] * UPPER_HALF_ROWS + [FULL] * (ROWS - UPPER_HALF_ROWS)
    if b == 0xDF:
        return [FULL] * UPPER_HALF_ROWS + [0] * (ROWS - UPPER_HALF_ROWS)
    if b == 0xDD:
        return [0xF0] * ROWS
    if b == 0xDE:
        return [0x0F] * ROWS
    return None


def base_cell(b, src, cp):
    """A glyph of the regular face in the 19-row cell."""
    drawn = block_glyph(b)
    if drawn is not None:
        return drawn
    rows = src.glyph(cp)
    if b in CELL_FILLING:
        return stretch_box(rows)
    return place(rows, TOP)


# -------------------------------------------------------- face effects

def embolden(cell):
    """Double every stroke one pixel to the right."""
    return [(r | (r >> 1)) & FULL for r in cell]


def italic_shift(row):
    """Pixels to move cell row `row` right: one more every four rows up.

    The baseline (row 13) and the three rows above it do not move, the
    descender rows move one pixel left.
    """
    return (13 - row) // 4 if row <= 13 else -1


def slant(cell):
    """Lean a glyph to the right.

    If the leaning glyph sticks out on the right and there is room on the
    left, the whole glyph moves left; pixels that still fall outside the
    cell are folded into the edge column instead of being lost.
    """
    pixels = [(r, c + italic_shift(r)) for r in range(ROWS) for c in range(COLS)
              if cell[r] & (0x80 >> c)]
    if not pixels:
        return list(cell)
    lo = min(c for _, c in pixels)
    hi = max(c for _, c in pixels)
    move = 0
    if hi > COLS - 1:
        move = -min(hi - (COLS - 1), max(lo, 0))
    elif lo < 0:
        move = min(-lo, COLS - 1 - hi)
    out = blank()
    for r, c in pixels:
        c = min(max(c + move, 0), COLS - 1)
        out[r] |= 0x80 >> c
    return out


def outline(cell):
    """Hollow letters: the pixels around each stroke, not the stroke itself.

    Meant for a face with one-pixel strokes inside columns 1-6, so the
    ring around it still fits the cell.
    """
    out = blank()
    for r in range(ROWS):
        grown = 0
        for rr in (r - 1, r, r + 1):
            if 0 <= rr < ROWS:
                x = cell[rr]
                grown |= x | (x << 1) | (x >> 1)
        out[r] = grown & ~cell[r] & FULL
    return out


def shift_left_to_fit(cell):
    """Move a glyph left as far as its leftmost pixel allows."""
    used = 0
    for r in cell:
        used |= r
    if not used:
        return list(cell)
    n = 0
    while not used & 0x80:
        used <<= 1
        n += 1
    return [(r << n) & FULL for r in cell]


def invert(cell):
    """Swap ink and paper in rows 0-17; row 18 stays free for underline."""
    return [(~r & FULL) if i < ROWS - 1 else 0 for i, r in enumerate(cell)]


def stems(cell, length=3):
    """The pixels that belong to a vertical run of at least `length` rows."""
    out = blank()
    for r in range(ROWS - length + 1):
        run = FULL
        for k in range(length):
            run &= cell[r + k]
        for k in range(length):
            out[r + k] |= run
    return out


def double_strike(cell):
    """Double every vertical stroke with a second line two pixels right.

    Only vertical strokes (three rows or longer) are doubled, so horizontal
    strokes keep their length and dots stay single.  The glyph first moves
    to the left edge to make room.
    """
    cell = shift_left_to_fit(cell)
    return [(x | (s >> 2)) & FULL for x, s in zip(cell, stems(cell))]


# ---------------------------------------------------------- the fonts

def build_fonts(consolefonts=CONSOLEFONTS, unifont=UNIFONT):
    """Return the ten fonts as a list of 4,864-byte strings."""
    table = cp866_table()
    paths = [os.path.join(consolefonts, n)
             for n in (SRC_VGA16, SRC_VGA8, SRC_TERM16)]
    for p in paths:
        if not os.path.isfile(p):
            raise SourceMissing(p)
    fallback = Fallback(unifont, set(table))
    vga16, vga8, term16 = (Source(p, fallback) for p in paths)

    def cells(effect, src=vga16, top=TOP):
        out = []
        for b, cp in enumerate(table):
            if b in (0x00, 0x20, 0xFF):
                out.append(blank())
            elif b in CELL_FILLING:
                out.append(base_cell(b, vga16, cp))
            elif src is vga16 and top == TOP:
                out.append(effect(base_cell(b, src, cp)))
            else:
                out.append(effect(place(src.glyph(cp), top)))
        return out

    same = list
    faces = [
        cells(same),                                   # 0 regular
        cells(embolden),                               # 1 bold
        cells(slant),                                  # 2 italic
        cells(lambda c: embolden(slant(c))),           # 3 bold italic
        cells(same, vga8, 2),                          # 4 superscript
        cells(same, vga8, 10),                         # 5 subscript
        cells(same, term16),                           # 6 light
        cells(outline, term16),                        # 7 outline
        cells(invert),                                 # 8 inverse
        cells(double_strike, term16),                  # 9 double-struck
    ]
    return [bytes(b for cell in face for b in cell) for face in faces]


def main(argv=None):
    here = os.path.dirname(os.path.abspath(__file__))
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("--out", default=os.path.join(here, "..", "fonts"),
                    help="directory for vga0.sfn ... vga9.sfn")
    ap.add_argument("--consolefonts", default=CONSOLEFONTS,
                    help="directory of the console-setup PSF fonts")
    ap.add_argument("--unifont", default=UNIFONT,
                    help="path of unifont.hex")
    args = ap.parse_args(argv)
    try:
        fonts = build_fonts(args.consolefonts, args.unifont)
    except SourceMissing as e:
        print("make_fonts: source font %s is missing; install the Debian "
              "packages console-setup-linux and unifont" % e.args[0],
              file=sys.stderr)
        return 2
    os.makedirs(args.out, exist_ok=True)
    out = os.path.normpath(args.out)
    for i, data in enumerate(fonts):
        assert len(data) == GLYPHS * ROWS
        with open(os.path.join(out, "vga%d.sfn" % i), "wb") as f:
            f.write(data)
    print("make_fonts: wrote %d fonts to %s" % (len(fonts), out))
    return 0


if __name__ == "__main__":
    sys.exit(main())
