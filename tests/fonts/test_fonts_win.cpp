// The glyph masks and the line renderer, drawn into a DIB and read back:
// mask conversion, the set of ten bitmaps, every in-line code, fonts without
// glyphs and their error boxes (once per font and run), failed allocations, and a repaint that runs
// inside the error box of an unfinished glyphs_create.
#include "font_test_support.h"
#include "fonts/fonts.h"

#include <gtest/gtest.h>

#include <string>

using namespace std::string_literals;

namespace {

constexpr int X0 = 4, Y0 = 19; // the line is drawn off the origin

using Cells = std::vector<SeenCell>;

SeenCell glyph(int column, int code, int font = 0, bool underline = false) {
    return {column, code, font, underline};
}

// Draws one line with fresh masks and reads its cells back.
Cells drawn(const std::string &bytes, int columns = 40) {
    DibSurface surface(X0 + CHAR_WIDTH * columns + 8, 60);
    glyphs_create(surface.dc);
    draw_text_line(surface.dc, X0, Y0, bytes.data(), bytes.size());
    glyphs_release();
    EXPECT_TRUE(surface.all(0, 0, surface.width, Y0, WHITE)) << "drawn above the line";
    EXPECT_TRUE(surface.all(0, Y0 + LINE_HEIGHT, surface.width, 60, WHITE)) << "below";
    EXPECT_TRUE(surface.all(0, 0, X0, 60, WHITE)) << "left of column 0";
    return read_line(surface, X0, Y0, columns);
}

TEST(GlyphMasks, InkIsBlackAndPaperLeavesTheDestination) {
    MarkedFonts fonts;
    unsigned char *a = &fonts.data[0][0x41 * LINE_HEIGHT];
    const unsigned char rows[] = {0x80, 0x01, 0xFF, 0x00, 0x3C};
    std::copy(std::begin(rows), std::end(rows), a);

    DibSurface surface(40, 40);
    const COLORREF band = RGB(200, 220, 120);
    surface.fill(0, Y0, 40, Y0 + LINE_HEIGHT, band); // a marked band under the line
    glyphs_create(surface.dc);
    draw_text_line(surface.dc, 8, Y0, "A", 1);
    glyphs_release();

    auto expect_row = [&](int row, unsigned char ink) {
        for (int c = 0; c < CHAR_WIDTH; ++c) {
            bool is_ink = ink & (0x80 >> c);
            EXPECT_EQ(surface.pixel(8 + c, Y0 + row), is_ink ? RGB(0, 0, 0) : band)
                << "row " << row << " pixel " << c;
        }
    };
    expect_row(0, 0x80); // leftmost pixel
    expect_row(1, 0x01); // rightmost pixel
    expect_row(2, 0xFF);
    expect_row(3, 0x00); // nothing: the band stays
    expect_row(4, 0x3C);
    for (int row = 5; row < LINE_HEIGHT; ++row)
        expect_row(row, 0x00);
    EXPECT_TRUE(surface.all(0, Y0, 8, Y0 + LINE_HEIGHT, band));
    EXPECT_TRUE(surface.all(16, Y0, 40, Y0 + LINE_HEIGHT, band));
    EXPECT_TRUE(surface.all(0, 0, 40, Y0, WHITE));
}

TEST(GlyphMasks, TenTallMonochromeBitmapsPerCallAllFreedOnRelease) {
    MarkedFonts fonts;
    CountingAllocator counting;
    DibSurface surface(8, 8);
    glyphs_create(surface.dc);
    glyphs_create(surface.dc); // a second call without release must not leak
    EXPECT_EQ(CountingAllocator::live, FONT_COUNT);
    GlyphMaskSet built = glyph_masks;
    for (int n = 0; n < FONT_COUNT; ++n) {
        ASSERT_NE(built.dc[n], nullptr);
        ASSERT_NE(built.rows[n], nullptr);
        BITMAP info{};
        ASSERT_EQ(GetObjectA(built.bitmap[n], sizeof info, &info), int(sizeof info));
        EXPECT_EQ(info.bmWidth, CHAR_WIDTH);
        EXPECT_EQ(info.bmHeight, FONT_DATA_SIZE);
        EXPECT_EQ(info.bmBitsPixel, 1);
        EXPECT_EQ(GetCurrentObject(built.dc[n], OBJ_BITMAP), built.bitmap[n]);
        for (int r = 0; r < FONT_DATA_SIZE; ++r)
            ASSERT_EQ(built.rows[n][r], 0xFF00 | (0xFF & ~fonts.data[n][r])) << n << " " << r;
    }
    glyphs_release();
    glyphs_release(); // nothing left to release twice
    EXPECT_EQ(CountingAllocator::live, 0);
    EXPECT_EQ(CountingAllocator::bad_frees, 0);
    for (int n = 0; n < FONT_COUNT; ++n) {
        EXPECT_EQ(glyph_masks.dc[n], nullptr);
        EXPECT_EQ(glyph_masks.bitmap[n], nullptr);
        EXPECT_EQ(glyph_masks.rows[n], nullptr);
        EXPECT_EQ(GetObjectType(built.dc[n]), 0u) << "DC " << n << " not deleted";
        EXPECT_EQ(GetObjectType(built.bitmap[n]), 0u) << "bitmap " << n << " not deleted";
    }
}

TEST(LineRenderer, TabsAndColumns) {
    MarkedFonts fonts;
    EXPECT_EQ(drawn(""), Cells{});
    EXPECT_EQ(drawn("\t"), Cells{});
    EXPECT_EQ(drawn("AB\tC"), (Cells{glyph(0, 'A'), glyph(1, 'B'), glyph(8, 'C')}));
    EXPECT_EQ(drawn("abcdefg\tx").back(), glyph(8, 'x'));
    EXPECT_EQ(drawn("abcdefgh\tx").back(), glyph(16, 'x'));
    EXPECT_EQ(drawn("\rz"s), (Cells{glyph(0, 0x0D), glyph(1, 'z')}));
    EXPECT_EQ(drawn("\x00\x01"s), (Cells{glyph(0, 0), glyph(1, 1)}));
}

TEST(LineRenderer, FontAndUnderlineCodes) {
    MarkedFonts fonts;
    EXPECT_EQ(drawn("\xFF"
                    "3x"),
              Cells{glyph(0, 'x', 3)});
    EXPECT_EQ(drawn("\xFF"
                    "9a\xFF"
                    "0b"),
              (Cells{glyph(0, 'a', 9), glyph(1, 'b', 0)}));
    EXPECT_EQ(drawn("\xFF_abc\xFF.d"), (Cells{glyph(0, 'a', 0, true), glyph(1, 'b', 0, true),
                                              glyph(2, 'c', 0, true), glyph(3, 'd')}));
    // The tab gap carries no underline: read_line would list underlined blanks.
    EXPECT_EQ(drawn("\xFF_a\tb"), (Cells{glyph(0, 'a', 0, true), glyph(8, 'b', 0, true)}));
}

TEST(LineRenderer, UnderlineIsTheCellsBottomRowOnly) {
    MarkedFonts fonts;
    DibSurface surface(64, 60);
    glyphs_create(surface.dc);
    draw_text_line(surface.dc, X0, Y0, "\xFF_ab", 4);
    glyphs_release();
    int bottom = Y0 + LINE_HEIGHT - 1;
    EXPECT_TRUE(surface.all(X0, bottom, X0 + 16, bottom + 1, RGB(0, 0, 0)));
    EXPECT_TRUE(surface.all(0, bottom, X0, bottom + 1, WHITE));
    EXPECT_TRUE(surface.all(X0 + 16, bottom, 64, bottom + 1, WHITE));
    EXPECT_TRUE(surface.all(X0, Y0 + 3, X0 + 16, bottom, WHITE)); // rows 3-17 blank
    EXPECT_TRUE(surface.all(0, bottom + 1, 64, 60, WHITE));
}

TEST(LineRenderer, EscapePairsAndMeaninglessCodes) {
    MarkedFonts fonts;
    EXPECT_EQ(drawn("\xFF\xFF"), Cells{glyph(0, 0xFF)});
    EXPECT_EQ(drawn("\xFF"
                    "4\xFF_\xFF\xFFz"),
              (Cells{glyph(0, 0xFF, 4, true), glyph(1, 'z', 4, true)}));
    EXPECT_EQ(drawn("\xFFxy"), Cells{glyph(0, 'y')});
    EXPECT_EQ(drawn("\xFF\tz"), Cells{glyph(0, 'z')});
    EXPECT_EQ(drawn("ab\xFF"), (Cells{glyph(0, 'a'), glyph(1, 'b')}));
}

TEST(LineRenderer, NothingCarriesOverToTheNextLine) {
    MarkedFonts fonts;
    DibSurface surface(200, 60);
    glyphs_create(surface.dc);
    draw_text_line(surface.dc, X0, 0,
                   "\xFF"
                   "5\xFF_ab\xFF",
                   7);
    draw_text_line(surface.dc, X0, Y0, "cd", 2);
    glyphs_release();
    EXPECT_EQ(read_line(surface, X0, 0, 10),
              (Cells{glyph(0, 'a', 5, true), glyph(1, 'b', 5, true)}));
    EXPECT_EQ(read_line(surface, X0, Y0, 10), (Cells{glyph(0, 'c'), glyph(1, 'd')}));
}

TEST(FontErrors, FontMissingFromTheTableDrawsBlankCellsAfterOneBox) {
    MarkedFonts fonts{3};
    CountingAllocator counting;
    BoxWatcher watcher;
    Cells cells = drawn("a\xFF"
                        "3\xFF_bc\xFF"
                        "2d");
    std::vector<FontBox> boxes = watcher.taken();
    expect_font_boxes(boxes, 1);
    // Fonts 0, 1 and 2 were built when the box showed: it came in font order.
    EXPECT_EQ(boxes[0].allocations_at_open, 3);
    // Font 3's cells keep their place and their underline, with no glyph.
    EXPECT_EQ(cells, (Cells{glyph(0, 'a'), glyph(1, -1, -1, true), glyph(2, -1, -1, true),
                            glyph(3, 'd', 2, true)}));
    EXPECT_EQ(CountingAllocator::live, 0);
}

TEST(FontErrors, BoxesComeInFontOrderAtTheFirstCallOnly) {
    MarkedFonts fonts{7, 3};
    CountingAllocator counting;
    BoxWatcher watcher;
    DibSurface surface(8, 8);
    for (int call = 0; call < 3; ++call) {
        glyphs_create(surface.dc);
        glyphs_release();
    }
    std::vector<FontBox> boxes = watcher.taken();
    expect_font_boxes(boxes, 2);
    EXPECT_EQ(boxes[0].allocations_at_open, 3); // after fonts 0-2
    EXPECT_EQ(boxes[1].allocations_at_open, 6); // after 4-6
    EXPECT_EQ(CountingAllocator::allocations, 3 * 8);
    EXPECT_EQ(CountingAllocator::live, 0);
}

TEST(FontErrors, FailedRowAllocationLeavesThatFontBlankWithoutABox) {
    MarkedFonts fonts;
    CountingAllocator counting;
    BoxWatcher watcher;
    CountingAllocator::fail_at = 6; // font 5's rows
    Cells cells = drawn("\xFF"
                        "4a\xFF"
                        "5b\xFF"
                        "6c");
    EXPECT_TRUE(watcher.taken().empty());
    EXPECT_EQ(cells, (Cells{glyph(0, 'a', 4), glyph(2, 'c', 6)}));
    EXPECT_EQ(CountingAllocator::live, 0);
    EXPECT_EQ(CountingAllocator::bad_frees, 0);
}

// A window whose every repaint runs a whole glyphs_create .. glyphs_release
// cycle, as the document view does.
std::atomic<int> repaints{0};
bool repaint_armed = false; // until then a repaint only validates
Cells repaint_cells;

LRESULT CALLBACK repainting_window(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message != WM_PAINT)
        return DefWindowProcA(window, message, wparam, lparam);
    PAINTSTRUCT paint;
    HDC window_dc = BeginPaint(window, &paint);
    if (!repaint_armed) {
        EndPaint(window, &paint);
        return 0;
    }
    DibSurface picture(200, LINE_HEIGHT);
    glyphs_create(window_dc);
    draw_text_line(picture.dc, 0, 0,
                   "\xFF"
                   "1a\xFF"
                   "3b\xFF"
                   "8c",
                   9);
    glyphs_release();
    repaint_cells = read_line(picture, 0, 0, 10);
    EndPaint(window, &paint);
    ++repaints;
    return 0;
}

TEST(FontErrors, RepaintInsideTheBoxKeepsTheOuterSetWhole) {
    MarkedFonts fonts{3};
    CountingAllocator counting;
    WNDCLASSA window_class{};
    window_class.lpfnWndProc = repainting_window;
    window_class.hInstance = GetModuleHandleA(nullptr);
    window_class.lpszClassName = "FontRepaintTest";
    RegisterClassA(&window_class);
    HWND window = CreateWindowA("FontRepaintTest", "repaint", WS_POPUP | WS_VISIBLE, 0, 0, 200, 100,
                                nullptr, nullptr, window_class.hInstance, nullptr);
    ASSERT_NE(window, nullptr);
    UpdateWindow(window);
    repaints = 0;
    repaint_armed = true;

    int live_during_repaint = -1;
    BoxWatcher watcher([&](HWND) {
        InvalidateRect(window, nullptr, FALSE);
        for (int i = 0; i < 2500 && repaints == 0; ++i)
            Sleep(2);
        live_during_repaint = CountingAllocator::live;
    });
    DibSurface surface(200, 60);
    glyphs_create(surface.dc); // the box for font 3 opens a repaint
    std::vector<FontBox> boxes = watcher.taken();
    expect_font_boxes(boxes, 1); // the inner cycle showed none of its own
    EXPECT_EQ(repaints, 1);
    // Font 3's cell stays blank and is not listed.
    EXPECT_EQ(repaint_cells, (Cells{glyph(0, 'a', 1), glyph(2, 'c', 8)}))
        << "the inner cycle drew with its own set";
    EXPECT_EQ(live_during_repaint, 3) << "the inner cycle released what it built, only that";

    // The outer set is whole: fonts 0-2 from before the box, 4-9 after.
    EXPECT_EQ(CountingAllocator::live, 9);
    const std::string line = "\xFF"
                             "0a\xFF"
                             "2b\xFF"
                             "3c\xFF"
                             "9d";
    draw_text_line(surface.dc, X0, Y0, line.data(), line.size());
    glyphs_release();
    EXPECT_EQ(read_line(surface, X0, Y0, 10),
              (Cells{glyph(0, 'a', 0), glyph(1, 'b', 2), glyph(3, 'd', 9)}));
    EXPECT_EQ(CountingAllocator::live, 0);
    EXPECT_EQ(CountingAllocator::bad_frees, 0);
    repaint_armed = false;
    DestroyWindow(window);
}

} // namespace
