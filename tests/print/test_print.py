#!/usr/bin/env python3
"""Printing end to end under Wine.

The test printers (tests/print/*.ppd, installed by printer_rig.exe) print
through Wine's PostScript driver into a file; Ghostscript renders each job and
every pixel of every logical page is compared with the page the document
should give: its lines in 8 x 19 cells from the ten screen fonts, with their
tabs and in-line codes (font, underline, a doubled escape byte), the path
bottom left and "n из N" bottom right, stretched over the printable area.

The viewer is driven from outside by print_driver.exe: it gets File > Print
and File > Page setup as commands and its dialogs are answered like a user.

Usage: test_print.py <Windows build dir> <source dir> [viewer exe]
The viewer is dist/korvel.exe of the build unless another is named (the
printing-only stand-in tests/bin/print_host.exe, for instance).
"""
import os
import shutil
import subprocess
import sys
import tempfile
import unittest

BUILD = os.path.abspath(sys.argv[1]) if len(sys.argv) > 1 else None
SOURCE = os.path.abspath(sys.argv[2]) if len(sys.argv) > 2 else None
VIEWER = (os.path.abspath(sys.argv[3]) if len(sys.argv) > 3
          else os.path.join(BUILD or "", "dist", "korvel.exe"))

LINE_HEIGHT = 19
CHAR_WIDTH = 8
FONT_COUNT = 10
TAB_WIDTH = 8  # columns from one tab stop to the next
TAB = 0x09
ESCAPE = 0xFF  # starts an in-line code pair
UNDERLINE_ROW = LINE_HEIGHT - 1
# Every test printer's printable area: A4 with 9 pt on the left and 24 pt above.
AREA_LEFT_PT = 9
AREA_TOP_PT = 24
RENDER_DPI = 192  # two rendered pixels per logical pixel at 600 dpi

PRINTERS = {
    # name: (reported x dpi, reported y dpi, HORZRES, VERTRES)
    "Korvel Test 600": (600, 600, 4800, 6600),
    "Korvel Test 1200x600": (1200, 600, 9600, 6600),
    "Korvel Test 72": (72, 72, 576, 792),
}


def windows_path(path):
    return "Z:" + path.replace("/", "\\")


def wine(*arguments, cwd=None):
    result = subprocess.run([os.path.join(BUILD, "wine-run"), *arguments], cwd=cwd,
                            capture_output=True, timeout=300)
    return result.returncode, result.stdout.decode("cp1251", "replace")


def load_fonts():
    fonts = []
    for number in range(FONT_COUNT):
        with open(os.path.join(SOURCE, "fonts", "vga%d.sfn" % number), "rb") as font:
            fonts.append(font.read(256 * LINE_HEIGHT))
    return fonts


FONTS = None


def line_cells(text):
    """The glyphs that one line draws, as (column, font, glyph, underlined),
    with its tabs and in-line codes decoded. Every line starts in column 0,
    font 0, without underline."""
    cells = []
    column, font, underline, escape = 0, 0, False, False
    for byte in text:
        if escape:
            escape = False
            if ord("0") <= byte <= ord("9"):
                font = byte - ord("0")
            elif byte == ord("_"):
                underline = True
            elif byte == ord("."):
                underline = False
            elif byte == ESCAPE:
                cells.append((column, font, ESCAPE, underline))
                column += 1
            # Any other code byte, a tab included, means nothing.
        elif byte == TAB:
            column = column // TAB_WIDTH * TAB_WIDTH + TAB_WIDTH
        elif byte == ESCAPE:
            escape = True
        else:
            cells.append((column, font, byte, underline))
            column += 1
    return cells


def draw_text(page, width, height, x, y, text):
    """ORs the ink of line `text` (bytes) into `page` (a bytearray, 1 = ink):
    glyph cells of 8 x 19 and the underline in the cell's bottom row."""
    for column, font, glyph, underlined in line_cells(text):
        left = x + column * CHAR_WIDTH
        for row in range(LINE_HEIGHT):
            bits = FONTS[font][glyph * LINE_HEIGHT + row]
            if underlined and row == UNDERLINE_ROW:
                bits = 0xFF
            py = y + row
            if not 0 <= py < height:
                continue
            for bit in range(CHAR_WIDTH):
                px = left + bit
                if bits & (0x80 >> bit) and 0 <= px < width:
                    page[py * width + px] = 1


def expected_pages(lines, path, page_width, page_height):
    per_page = (page_height - 1) // LINE_HEIGHT if page_height > LINE_HEIGHT else 0
    if not lines or not per_page:
        return []
    chunks = [lines[at:at + per_page] for at in range(0, len(lines), per_page)]
    pages = []
    for number, chunk in enumerate(chunks, 1):
        page = bytearray(page_width * page_height)
        for index, line in enumerate(chunk):
            draw_text(page, page_width, page_height, 0, index * LINE_HEIGHT, line)
        footer_y = page_height - LINE_HEIGHT
        draw_text(page, page_width, page_height, 0, footer_y, path.encode("cp1251"))
        counter = b"%d \xa8\xa7 %d" % (number, len(chunks))
        draw_text(page, page_width, page_height, page_width - CHAR_WIDTH * len(counter),
                  footer_y, counter)
        pages.append(page)
    return pages


def read_pgm(path):
    with open(path, "rb") as image:
        data = image.read()
    fields, at = [], 0
    while len(fields) < 4:
        while data[at:at + 1].isspace():
            at += 1
        if data[at:at + 1] == b"#":
            at = data.index(b"\n", at)
            continue
        start = at
        while not data[at:at + 1].isspace():
            at += 1
        fields.append(data[start:at])
    assert fields[0] == b"P5", fields[0]
    width, height = int(fields[1]), int(fields[2])
    return width, height, data[at + 1:]


def render(postscript, folder):
    """Ghostscript's grey pages of a PostScript job, as (width, height, bytes)."""
    pattern = os.path.join(folder, "page-%03d.pgm")
    subprocess.run(["gs", "-q", "-dNOPAUSE", "-dBATCH", "-dSAFER", "-sDEVICE=pgmraw",
                    "-r%d" % RENDER_DPI, "-sOutputFile=" + pattern, postscript],
                   check=True, capture_output=True, timeout=300)
    names = sorted(n for n in os.listdir(folder) if n.startswith("page-"))
    return [read_pgm(os.path.join(folder, name)) for name in names]


def sampled_page(rendered, printer, page_width, page_height):
    """The logical page read back from a rendered page: one sample at the centre
    of where each logical pixel landed, 1 where it is dark."""
    width, height, pixels = rendered
    dpi_x, dpi_y, device_width, device_height = PRINTERS[printer]
    # A logical pixel covers device_width / page_width printer pixels.
    scale_x = device_width / page_width * RENDER_DPI / dpi_x
    scale_y = device_height / page_height * RENDER_DPI / dpi_y
    left = AREA_LEFT_PT * RENDER_DPI / 72
    top = AREA_TOP_PT * RENDER_DPI / 72
    xs = [int(left + (x + 0.5) * scale_x) for x in range(page_width)]
    page = bytearray(page_width * page_height)
    for y in range(page_height):
        row = int(top + (y + 0.5) * scale_y) * width
        for x, sx in enumerate(xs):
            if pixels[row + sx] < 128:
                page[y * page_width + x] = 1
    return page


def ink_outside_area(rendered, printer):
    """Dark pixels outside the printable area: the stretch must cover it exactly."""
    width, height, pixels = rendered
    dpi_x, dpi_y, device_width, device_height = PRINTERS[printer]
    left = int(AREA_LEFT_PT * RENDER_DPI / 72)
    top = int(AREA_TOP_PT * RENDER_DPI / 72)
    right = left + int(device_width * RENDER_DPI / dpi_x)
    bottom = top + int(device_height * RENDER_DPI / dpi_y)
    count = 0
    for y in range(height):
        row = pixels[y * width:(y + 1) * width]
        for x in range(width):
            if row[x] < 128 and not (left - 1 <= x <= right and top - 1 <= y <= bottom):
                count += 1
    return count


def log_messages(folder):
    path = os.path.join(folder, "debug.log")
    if not os.path.exists(path):
        return []
    with open(path, "rb") as log:
        messages = [line.split(b": ", 1)[1].decode("cp1251") for line in log.read().splitlines()]
    # Printing records carry no source tag; the start-up and plug-in ones do.
    return [m for m in messages if not m.startswith(("main.c: ", "plugins.c: "))]


def job_records(page_count, dpi_x, dpi_y):
    return (["begin printing", "printer x resolution %d dpi" % dpi_x,
             "printer y resolution %d dpi" % dpi_y, "total page for printitn %d" % page_count]
            + ["list %d - rendered" % index for index in range(page_count)]
            + ["end printing"])


class PageModel(unittest.TestCase):
    """The page model's decoding of lines, on the documented examples: a wrong
    model would let a wrong printout pass."""

    def test_tabs_go_to_the_next_stop_strictly_above(self):
        self.assertEqual([c[0] for c in line_cells(b"AB\tC")], [0, 1, 8])
        self.assertEqual([c[0] for c in line_cells(b"1234567\tx12345678\ty")],
                         list(range(7)) + list(range(8, 17)) + [24])
        self.assertEqual(line_cells(b"\t"), [])

    def test_codes_take_no_column_and_end_with_the_line(self):
        self.assertEqual(line_cells(b"\xff3x"), [(0, 3, ord("x"), False)])
        self.assertEqual(line_cells(b"\xff_abc\xff.d"),
                         [(0, 0, ord("a"), True), (1, 0, ord("b"), True),
                          (2, 0, ord("c"), True), (3, 0, ord("d"), False)])
        self.assertEqual(line_cells(b"\xff_\xff7a\xff"), [(0, 7, ord("a"), True)])
        self.assertEqual(line_cells(b"b"), [(0, 0, ord("b"), False)])

    def test_doubled_escape_draws_its_glyph_and_other_pairs_nothing(self):
        self.assertEqual(line_cells(b"\xff_\xff\xffz"),
                         [(0, 0, 0xFF, True), (1, 0, ord("z"), True)])
        self.assertEqual(line_cells(b"\xffQ\xff\t\xff\x00a"), [(0, 0, ord("a"), False)])


class PrintJobs(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        global FONTS
        FONTS = load_fonts()
        code, output = wine(os.path.join(BUILD, "tests", "bin", "printer_rig.exe"),
                            windows_path(os.path.join(SOURCE, "tests", "print")))
        assert code == 0, output

    def setUp(self):
        self.folder = tempfile.mkdtemp(prefix="korvel-print-")
        self.addCleanup(shutil.rmtree, self.folder, True)
        shutil.copy(VIEWER, os.path.join(self.folder, "viewer.exe"))
        os.mkdir(os.path.join(self.folder, "Plugins"))
        shutil.copytree(os.path.join(SOURCE, "fonts"), os.path.join(self.folder, "fonts"),
                        ignore=lambda folder, names: [n for n in names if not n.endswith(".sfn")])
        self.output = os.path.join(self.folder, "job.ps")

    def print_document(self, lines, *actions, name="doc.txt"):
        """Runs the viewer on a document of `lines` (None: no document), drives
        it through `actions` and returns the driver's report; the last job, if
        any, is in self.output."""
        if lines is None:
            document = "-"
        else:
            path = os.path.join(self.folder, name)
            with open(path, "wb") as text:
                text.write(b"".join(line + b"\r\n" for line in lines))
            document = windows_path(path)
        self.path = "" if lines is None else document
        code, output = wine(os.path.join(BUILD, "tests", "bin", "print_driver.exe"),
                            windows_path(os.path.join(self.folder, "viewer.exe")), document,
                            self.output, *actions)
        self.assertEqual(code, 0, output)
        return output

    def rendered_pages(self):
        pages_folder = os.path.join(self.folder, "pages")
        os.mkdir(pages_folder)
        return render(self.output, pages_folder)

    def assert_pages(self, lines, printer, page_width, page_height):
        rendered = self.rendered_pages()
        expected = expected_pages(lines, self.path, page_width, page_height)
        self.assertEqual(len(rendered), len(expected))
        for number, (image, page) in enumerate(zip(rendered, expected), 1):
            sampled = sampled_page(image, printer, page_width, page_height)
            wrong = [i for i in range(len(page)) if page[i] != sampled[i]]
            where = [(i % page_width, i // page_width) for i in wrong[:5]]
            self.assertEqual(len(wrong), 0, "page %d differs at %s" % (number, where))
            self.assertEqual(ink_outside_area(image, printer), 0, "page %d" % number)
        return rendered

    def test_three_pages_on_600_dpi(self):
        lines = [b"Line %d of the document, row %03d" % (n, n) for n in range(1, 121)]
        self.print_document(lines, "print:Korvel Test 600:ok")
        self.assertEqual(log_messages(self.folder), job_records(3, 600, 600))
        self.assert_pages(lines, "Korvel Test 600", 768, 1056)
        with open(self.output, "rb") as job:
            self.assertIn(b"%%Title: " + self.path.encode(), job.read())

    def test_lines_keep_nul_bytes_and_long_path_is_drawn_whole(self):
        # A path of 259 bytes: the footer's path runs under the page number.
        stem = "p" * (259 - len(windows_path(self.folder)) - len("\\.txt"))
        lines = [b"A\x00B\x00\x00C", b"\xa0\xa1\xa2 \xe0\xe1", b"", b"end"]
        self.print_document(lines, "print:Korvel Test 600:ok", name=stem + ".txt")
        self.assertEqual(len(self.path), 259)
        self.assertEqual(log_messages(self.folder), job_records(1, 600, 600))
        self.assert_pages(lines, "Korvel Test 600", 768, 1056)

    def test_empty_document_gives_a_job_without_pages(self):
        self.print_document(None, "print:Korvel Test 600:ok")
        self.assertEqual(log_messages(self.folder), job_records(0, 600, 600))
        with open(self.output, "rb") as job:
            content = job.read()
        self.assertNotIn(b"%%Page:", content)
        self.assertEqual(self.rendered_pages(), [])

    def test_fonts_underline_tabs_and_codes_on_paper(self):
        lines = [
            # Every font, chosen mid-word and back.
            b"Plain \xff1bold\xff0 \xff2italic\xff3 both \xff0end",
            b"\xff4sup\xff5sub\xff6light \xff7outline \xff8inverse \xff9double",
            # Underline on and off; a tab gap under underline stays bare.
            b"\xff_under\xff. plain \xff_a\tb\xff.c\x09d",
            b"1234567\tA12345678\tB\t\tC",
            # Glyph 0xFF, underlined, and in the inverse font where it is solid.
            b"<\xff_\xff\xff\xff.\xff8\xff\xff\xff0>",
            # Pairs without meaning: no glyph, no column; a lone escape at the end.
            b"A\xffZB\xff\tC\xff\x01D\xff",
            # Font and underline left on end with their line.
            b"\xff_\xff8still on",
            b"fresh line \xb0\xdb\xa0\xe0",
            b"\t\xff9\xff_\x0d\t\xff5tail\xff",
        ]
        self.print_document(lines, "print:Korvel Test 600:ok")
        self.assertEqual(log_messages(self.folder), job_records(1, 600, 600))
        self.assert_pages(lines, "Korvel Test 600", 768, 1056)

    def test_cancelled_print_dialog_prints_and_logs_nothing(self):
        self.print_document([b"never printed"], "print:Korvel Test 600:cancel")
        self.assertEqual(log_messages(self.folder), [])
        self.assertFalse(os.path.exists(self.output))

    def test_low_resolution_is_logged_and_replaced_by_300(self):
        lines = [b"row %d" % n for n in range(30)]
        self.print_document(lines, "print:Korvel Test 72:ok")
        # Page 576 x 792 printer pixels taken as 300 dpi: 184 x 253, 13 lines a page.
        self.assertEqual(log_messages(self.folder), job_records(3, 72, 72))
        self.assert_pages(lines, "Korvel Test 72", 184, 253)

    def test_different_resolutions_per_axis(self):
        lines = [b"Wide %d" % n for n in range(60)]
        self.print_document(lines, "print:Korvel Test 1200x600:ok")
        self.assertEqual(log_messages(self.folder), job_records(2, 1200, 600))
        self.assert_pages(lines, "Korvel Test 1200x600", 9600 * 96 // 1200, 6600 * 96 // 600)

    def test_page_too_small_for_a_line_ends_the_job_without_pages(self):
        self.print_document([b"one", b"two"], "print:Korvel Test Tiny:ok")
        # 17 printer rows at 600 dpi: a logical page 2 pixels high.
        self.assertEqual(log_messages(self.folder), job_records(0, 600, 600))
        with open(self.output, "rb") as job:
            self.assertNotIn(b"%%Page:", job.read())

    def test_printer_from_page_setup_opens_the_next_print_dialog(self):
        lines = [b"chosen in page setup"]
        output = self.print_document(lines, "setup:Korvel Test 72:ok", "print:-:ok")
        self.assertIn("print opened with Korvel Test 72", output)
        self.assertEqual(log_messages(self.folder), job_records(1, 72, 72))

    def test_records_share_one_valid_device_pair_across_dialogs(self):
        # Whatever dialog chose last is what both dialogs open with next: page
        # setup after a print shows the printed printer, and a print after
        # page setup the printer chosen there; every job runs.
        output = self.print_document(
            [b"x"], "print:Korvel Test 1200x600:ok", "setup:Korvel Test 72:ok", "print:-:ok",
            "print:Korvel Test 600:ok", "setup:-:ok", "print:-:cancel",
            "setup:Korvel Test 1200x600:ok", "print:-:ok")
        self.assertEqual(output.count("print done"), 5)
        opened = [line for line in output.splitlines() if "opened with" in line]
        self.assertEqual(opened, [
            "print opened with Korvel Test 600", "setup opened with Korvel Test 1200x600",
            "print opened with Korvel Test 72", "print opened with Korvel Test 72",
            "print opened with Korvel Test 600", "setup opened with Korvel Test 600",
            "print opened with Korvel Test 1200x600"])
        self.assertEqual(log_messages(self.folder),
                         job_records(1, 1200, 600) + job_records(1, 72, 72)
                         + job_records(1, 600, 600) + job_records(1, 1200, 600))

    def test_page_setup_margins_do_not_move_the_text(self):
        lines = [b"Top left corner", b"second line"]
        output = self.print_document(lines, "setup:-:ok:margin=40", "print:Korvel Test 600:ok",
                                     "setup:-:cancel")
        # The dialog opens with 10 mm and keeps the
        # chosen margins for the next page setup; the page ignores them.
        margins = [line for line in output.splitlines() if "margins" in line]
        self.assertEqual(margins, ["setup margins 10 10 10 10", "setup margins 40 40 40 40"])
        self.assert_pages(lines, "Korvel Test 600", 768, 1056)

    def test_number_of_copies_is_not_read(self):
        lines = [b"copy %d" % n for n in range(56)]
        self.print_document(lines, "print:Korvel Test 600:ok:copies=3")
        self.assertEqual(log_messages(self.folder), job_records(2, 600, 600))
        with open(self.output, "rb") as job:
            self.assertEqual(job.read().count(b"%%Page:"), 2)
        self.assert_pages(lines, "Korvel Test 600", 768, 1056)


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1], verbosity=2)
