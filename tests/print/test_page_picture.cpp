// The page picture by the rules of a printed page, on fonts whose glyphs
// are easy to tell apart: glyph g of font f has the bits f * 16 + g % 16 in
// every row, so each cell shows which glyph and font it holds.
#include "main/page_picture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Fixture {
    std::vector<unsigned char> font_bytes[FONT_COUNT];
    PageFonts fonts{};
    std::vector<unsigned char> pixels;
    PagePicture picture{};

    Fixture(int width, int height) : pixels(static_cast<size_t>(width) * height) {
        for (int f = 0; f < FONT_COUNT; ++f) {
            font_bytes[f].resize(FONT_DATA_SIZE);
            for (int g = 0; g < GLYPH_COUNT; ++g)
                for (int row = 0; row < LINE_HEIGHT; ++row)
                    font_bytes[f][g * LINE_HEIGHT + row] =
                        static_cast<unsigned char>(f * 16 + g % 16);
            fonts.glyphs[f] = font_bytes[f].data();
        }
        picture = {pixels.data(), width, height};
        page_picture_clear(picture);
    }

    // The byte a cell's row shows, read back from its 8 pixels.
    int cell(int x, int y) const {
        int bits = 0;
        for (int bit = 0; bit < CHAR_WIDTH; ++bit)
            bits = bits << 1 |
                   (pixels[static_cast<size_t>(y) * picture.width + x + bit] == PICTURE_INK);
        return bits;
    }
};

LineNode line_of(std::string &text, LineNode *next = nullptr) {
    return {text.data(), next, text.size()};
}

TEST(PagePicture, LinesTakeTheirCellsWithCodesUnderlineAndAMissingFont) {
    Fixture page(200, 120);
    PageLayout layout = page_layout_make(100, 80, FooterRow::own_row); // 3 lines, footer at 61
    ASSERT_EQ(layout.lines_per_page, 3);
    std::string first = std::string("A\tB\xff") + "3C\xff_D\xff.E", second = "xyz", third = "3",
                fourth = "next page";
    std::string fifth = "\xff_\xff"
                        "5q";
    LineNode n4 = line_of(fourth), n3 = line_of(third, &n4), n2 = line_of(second, &n3),
             n1 = line_of(first, &n2);
    std::string path = "\xff"
                       "1";
    PageFooter footer{reinterpret_cast<const unsigned char *>(path.data()), path.size(), 2, 7};
    const LineNode *next = page_picture_draw(page.picture, 10, 5, layout, page.fonts, &n1, footer);
    EXPECT_EQ(next, &n4);

    // "A" in column 0, the tab to column 8, font 3 from "C" on, "D" underlined.
    EXPECT_EQ(page.cell(10, 5), 'A' % 16);
    EXPECT_EQ(page.cell(10 + 8, 5), 0) << "a tab passes over cells";
    EXPECT_EQ(page.cell(10 + 64, 5), 'B' % 16);
    EXPECT_EQ(page.cell(10 + 72, 5), 3 * 16 + 'C' % 16);
    EXPECT_EQ(page.cell(10 + 80, 5 + 17), 3 * 16 + 'D' % 16);
    EXPECT_EQ(page.cell(10 + 80, 5 + 18), 0xFF) << "the underline row";
    EXPECT_EQ(page.cell(10 + 88, 5 + 18), 3 * 16 + 'E' % 16) << "underline off again";
    // Lines 19 pixels apart; the footer in its own row: the path without
    // codes (glyph 0xFF, then "1"), "2 из 7" ending at the page's right edge.
    EXPECT_EQ(page.cell(10, 5 + 19), 'x' % 16);
    EXPECT_EQ(page.cell(10, 5 + 38), '3' % 16);
    EXPECT_EQ(page.cell(10, 5 + 61), 0xFF % 16);
    EXPECT_EQ(page.cell(18, 5 + 61), '1' % 16);
    EXPECT_EQ(page.cell(10 + 100 - 8, 5 + 61), '7' % 16);
    EXPECT_EQ(page.cell(10 + 100 - 48, 5 + 61), '2' % 16);
    for (int x = 0; x < 200; ++x)
        for (int y = 0; y < 120; ++y)
            if (x < 10 || x >= 110 || y < 5 || y >= 85)
                ASSERT_EQ(page.pixels[y * 200 + x], PICTURE_PAPER) << x << "," << y;

    // A font without glyphs leaves its cells blank but keeps their underline.
    Fixture missing(40, 40);
    missing.fonts.glyphs[5] = nullptr;
    LineNode only = line_of(fifth);
    PageFooter none{nullptr, 0, 1, 1};
    page_picture_draw(missing.picture, 0, 0, page_layout_make(40, 40, FooterRow::over_last_line),
                      missing.fonts, &only, none);
    EXPECT_EQ(missing.cell(0, 0), 0);
    EXPECT_EQ(missing.cell(0, 18), 0xFF);
}

} // namespace
