#!/usr/bin/env python3
"""Checks on the committed screen fonts fonts/vga0.sfn ... vga9.sfn.

Run from anywhere: python3 tests/fonts/test_shipped_fonts.py [REPO_ROOT]
The repository root defaults to two levels above this file.
"""

import importlib
import os
import struct
import subprocess
import sys
import tempfile
import unittest
import zlib

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
ROWS, COLS, GLYPHS, FONTS = 19, 8, 256, 10
SIZE = ROWS * GLYPHS
FULL = 0xFF


def load_script(name):
    """Import scripts/NAME.py of the repository under test."""
    scripts = os.path.join(ROOT, "scripts")
    if scripts not in sys.path:
        sys.path.insert(0, scripts)
    return importlib.import_module(name)


def read_fonts(directory):
    fonts = []
    for i in range(FONTS):
        with open(os.path.join(directory, "vga%d.sfn" % i), "rb") as f:
            fonts.append(f.read())
    return fonts


def glyph(font, g):
    return list(font[g * ROWS:(g + 1) * ROWS])


def column(cell, c):
    return tuple(bool(r & (0x80 >> c)) for r in cell)


def byte(ch):
    return ch.encode("cp866")[0]


LETTERS = [byte(c) for c in
           "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789"
           "АБВГДЕЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯабвгдежзийклмнопрстуфхцчшщъыьэюя"
           "Ёё"]
BOX = range(0xB3, 0xDB)            # line drawing, without shades and blocks
CELL_FILLING = set(range(0xB0, 0xE0)) | {0x08, 0x0A}
BLANK = (0x00, 0x20, 0xFF)


class ShippedFonts(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.fonts = read_fonts(os.path.join(ROOT, "fonts"))
        cls.f0 = cls.fonts[0]

    def test_size_and_blank_glyphs(self):
        for i, font in enumerate(self.fonts):
            self.assertEqual(len(font), SIZE, "vga%d.sfn" % i)
            for g in BLANK:
                self.assertEqual(glyph(font, g), [0] * ROWS,
                                 "font %d glyph %02X" % (i, g))

    def test_every_character_has_a_picture(self):
        for i, font in enumerate(self.fonts):
            for g in range(1, 0xFF):
                if g != 0x20:
                    self.assertTrue(any(glyph(font, g)),
                                    "font %d glyph %02X is blank" % (i, g))

    def test_row_18_is_free_for_underline(self):
        for i, font in enumerate(self.fonts):
            for g in range(GLYPHS):
                if g not in CELL_FILLING:
                    self.assertEqual(glyph(font, g)[ROWS - 1], 0,
                                     "font %d glyph %02X" % (i, g))

    def test_letters_share_a_baseline(self):
        def bottom(cell):
            return max(r for r in range(ROWS) if cell[r])
        for i, font in enumerate(self.fonts):
            rows = {bottom(glyph(font, byte(c))) for c in "HNxzНПжш"}
            self.assertEqual(len(rows), 1, "font %d: %s" % (i, rows))

    def test_line_drawing_is_the_same_in_every_font(self):
        for i, font in enumerate(self.fonts[1:], 1):
            for g in range(0xB0, 0xE0):
                self.assertEqual(glyph(font, g), glyph(self.f0, g),
                                 "font %d glyph %02X" % (i, g))

    def test_fonts_are_distinct(self):
        for a in range(FONTS):
            for b in range(a + 1, FONTS):
                same = sum(glyph(self.fonts[a], g) == glyph(self.fonts[b], g)
                           for g in LETTERS)
                self.assertLess(same, len(LETTERS) // 10,
                                "fonts %d and %d share %d letters"
                                % (a, b, same))


class LineDrawing(unittest.TestCase):
    """Frames and tables must join across cells without gaps."""

    @classmethod
    def setUpClass(cls):
        cls.f0 = read_fonts(os.path.join(ROOT, "fonts"))[0]

    def cell(self, g):
        return glyph(self.f0, g)

    def test_vertical_lines_run_through_the_cell(self):
        for g in (0xB3, 0xBA):
            cell = self.cell(g)
            self.assertNotEqual(cell[0], 0)
            self.assertEqual(cell, [cell[0]] * ROWS, "%02X" % g)

    def test_horizontal_lines_cross_the_cell(self):
        for g, lines in ((0xC4, 1), (0xCD, 2)):
            cell = self.cell(g)
            self.assertEqual(sum(r == FULL for r in cell), lines)
            self.assertEqual(sum(r != 0 for r in cell), lines)
            self.assertEqual(column(cell, 0), column(cell, 7))

    def test_arms_meet_the_straight_lines(self):
        tops = {0, self.cell(0xB3)[0], self.cell(0xBA)[0]}
        sides = {column([0] * ROWS, 0), column(self.cell(0xC4), 0),
                 column(self.cell(0xCD), 0)}
        for g in BOX:
            cell = self.cell(g)
            self.assertIn(cell[0], tops, "%02X top" % g)
            self.assertIn(cell[ROWS - 1], tops, "%02X bottom" % g)
            self.assertIn(column(cell, 0), sides, "%02X left" % g)
            self.assertIn(column(cell, 7), sides, "%02X right" % g)

    def test_strokes_through_the_cell_are_unbroken(self):
        for g in BOX:
            cell = self.cell(g)
            if g == 0xCE:      # ╬: each double line turns at its corner
                continue
            if cell[0] and cell[ROWS - 1]:
                through = FULL
                for r in cell:
                    through &= r
                self.assertNotEqual(through, 0, "%02X vertical" % g)
            if any(column(cell, 0)) and any(column(cell, 7)):
                self.assertIn(FULL, cell, "%02X horizontal" % g)

    def test_blocks(self):
        self.assertEqual(self.cell(0xDB), [FULL] * ROWS)
        self.assertEqual(self.cell(0xDD), [0xF0] * ROWS)
        self.assertEqual(self.cell(0xDE), [0x0F] * ROWS)
        lower, upper = self.cell(0xDC), self.cell(0xDF)
        self.assertEqual(upper[0], FULL)
        self.assertEqual(lower[ROWS - 1], FULL)
        for lo, up in zip(lower, upper):
            self.assertIn(lo, (0, FULL))
            self.assertEqual(lo ^ up, FULL)       # halves complement
        self.assertLessEqual(abs(upper.count(FULL) - lower.count(FULL)), 1)

    def test_shades_tile(self):
        for g, ink in ((0xB0, 2), (0xB1, 4), (0xB2, 6)):
            cell = self.cell(g)
            for r, row in enumerate(cell):
                # Same density in every row: no lighter or darker band.
                self.assertEqual(bin(row).count("1"), ink, "%02X %d" % (g, r))
                # Period 4 across: column 7 is followed by column 0.
                self.assertEqual(row, ((row >> 4) | (row << 4)) & FULL)
            pairs = [(cell[r], cell[r + 1]) for r in range(ROWS - 1)]
            self.assertIn((cell[ROWS - 1], cell[0]), pairs,
                          "%02X: row 18 -> row 0 is a new step" % g)
            cyclic = pairs + [(cell[ROWS - 1], cell[0])]
            self.assertLessEqual(sum(a == b for a, b in cyclic), 1,
                                 "%02X: rows repeat" % g)
        light = self.cell(0xB0)
        for r in range(ROWS):           # dots never touch vertically
            self.assertEqual(light[r] & light[(r + 1) % ROWS], 0)


class Generator(unittest.TestCase):
    def test_psf2_reader(self):
        mk = load_script("make_fonts")
        rows = [bytes([0x18] * 16), bytes([0x81] * 16)]
        table = ("A".encode() + b"\xff" +
                 "Б".encode() + b"\xfe" + "Б\u0301".encode() + b"\xff")
        data = (struct.pack("<8I", 0x864AB572, 0, 32, 1, 2, 16, 16, 8) +
                b"".join(rows) + table)
        with tempfile.TemporaryDirectory() as tmp:
            path = os.path.join(tmp, "t.psf")
            with open(path, "wb") as f:
                f.write(data)
            height, glyphs = mk.load_psf(path)
        self.assertEqual(height, 16)
        self.assertEqual(glyphs, {0x41: tuple(rows[0]),
                                  0x411: tuple(rows[1])})

    def test_psf1_reader_and_unifont_fallback(self):
        mk = load_script("make_fonts")
        glyphs = bytes([0x3C] * 8) + bytes(8 * 255)
        table = struct.pack("<HH", 0x41, 0xFFFF) + b"".join(
            struct.pack("<H", 0xFFFF) for _ in range(255))
        b_rows = "8000" + "00" * 12 + "0001"       # pixels in rows 0 and 15
        with tempfile.TemporaryDirectory() as tmp:
            psf, hexf = os.path.join(tmp, "t.psf"), os.path.join(tmp, "u.hex")
            with open(psf, "wb") as f:
                f.write(b"\x36\x04\x02\x08" + glyphs + table)
            with open(hexf, "w") as f:
                f.write("0042:%s\n0043:%s\n" % (b_rows, "00" * 16))
            src = mk.Source(psf, mk.Fallback(hexf, {0x42}))
            self.assertEqual(src.glyph(0x41), (0x3C,) * 8)
            # An 8-row face gets the Unifont glyph squeezed to 8 rows.
            self.assertEqual(src.glyph(0x42), (0x80, 0, 0, 0, 0, 0, 0, 0x01))
            with self.assertRaises(KeyError):
                src.glyph(0x43)                  # not asked for: not loaded

    def test_missing_source_is_reported(self):
        with tempfile.TemporaryDirectory() as tmp:
            run = subprocess.run(
                [sys.executable, os.path.join(ROOT, "scripts",
                                              "make_fonts.py"),
                 "--out", tmp, "--consolefonts", os.path.join(tmp, "none")],
                capture_output=True, text=True)
            self.assertNotEqual(run.returncode, 0)
            self.assertIn("missing", run.stderr)
            self.assertEqual(os.listdir(tmp), [])

    def test_fonts_are_reproducible(self):
        mk = load_script("make_fonts")
        sources = [os.path.join(mk.CONSOLEFONTS, n)
                   for n in (mk.SRC_VGA16, mk.SRC_VGA8, mk.SRC_TERM16)]
        missing = [p for p in sources if not os.path.isfile(p)]
        if missing:
            self.skipTest("source fonts not installed (Debian package "
                          "console-setup-linux): " + ", ".join(missing))
        with tempfile.TemporaryDirectory() as tmp:
            subprocess.run([sys.executable,
                            os.path.join(ROOT, "scripts", "make_fonts.py"),
                            "--out", tmp], check=True, capture_output=True)
            fresh = read_fonts(tmp)
        shipped = read_fonts(os.path.join(ROOT, "fonts"))
        for i in range(FONTS):
            self.assertEqual(fresh[i], shipped[i],
                             "vga%d.sfn differs from a fresh build" % i)

    def test_sheet_is_a_valid_png(self):
        sheet = load_script("font_sheet")
        fonts = [sheet.load_font(os.path.join(ROOT, "fonts", "vga%d.sfn" % i))
                 for i in range(FONTS)]
        png = sheet.draw_sheet(fonts).png(1)
        self.assertEqual(png[:8], b"\x89PNG\r\n\x1a\n")
        width, height = struct.unpack(">II", png[16:24])
        pos, idat = 8, b""
        while pos < len(png):
            (length,) = struct.unpack(">I", png[pos:pos + 4])
            kind = png[pos + 4:pos + 8]
            body = png[pos + 8:pos + 8 + length]
            (crc,) = struct.unpack(">I", png[pos + 8 + length:
                                              pos + 12 + length])
            self.assertEqual(crc, zlib.crc32(kind + body) & 0xFFFFFFFF)
            if kind == b"IDAT":
                idat += body
            pos += 12 + length
        raw = zlib.decompress(idat)
        self.assertEqual(len(raw), height * (1 + 3 * width))
        self.assertIn(bytes(3), raw)            # some ink was drawn


if __name__ == "__main__":
    if len(sys.argv) > 1 and os.path.isdir(sys.argv[1]):
        ROOT = os.path.abspath(sys.argv.pop(1))
    unittest.main()
