// The page picture by the rules of a printed page, on fonts whose glyph g of
// font f has the bits f * 16 + g % 16 in every row, so that each cell shows
// which glyph and font it holds. That nothing is drawn outside the page is
// fuzzed (fuzz_page_picture).
#include "convert/writers/page_picture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

TEST(PagePicture, CellsCodesUnderlineFooterAndTheEdges) {
    std::vector<unsigned char> font_bytes[FONT_COUNT];
    PageFonts fonts{};
    for (int f = 0; f < FONT_COUNT; ++f) {
        for (int byte = 0; byte < FONT_DATA_SIZE; ++byte)
            font_bytes[f].push_back(static_cast<unsigned char>(f * 16 + byte / LINE_HEIGHT % 16));
        fonts.glyphs[f] = f == 5 ? nullptr : font_bytes[f].data(); // font 5 did not load
    }
    std::vector<unsigned char> pixels(200 * 120);
    PagePicture picture{pixels.data(), 200, 120};
    page_picture_clear(picture);
    auto cell = [&](int x, int y) { // a cell's row as the byte it shows
        int bits = 0;
        for (int bit = 0; bit < CHAR_WIDTH; ++bit)
            bits = bits << 1 | (pixels[y * 200 + x + bit] == PICTURE_INK);
        return bits;
    };
    std::string texts[] = {"A\tB\xff"
                           "3C\xff_D\xff.E\xff"
                           "5\xff_q",
                           "xyz", "3", "next page"};
    LineNode lines[4];
    for (int i = 3; i >= 0; --i)
        lines[i] = {texts[i].data(), i < 3 ? &lines[i + 1] : nullptr, texts[i].size()};
    std::string path = "\xff\x31"; // 0xFF "1"
    PageFooter footer{reinterpret_cast<const unsigned char *>(path.data()), path.size(), 2, 7};
    PageLayout layout = page_layout_make(100, 80, FooterRow::own_row); // 3 lines, footer at 61
    EXPECT_EQ(page_picture_draw(picture, 10, 5, layout, fonts, lines, footer), &lines[3]);

    EXPECT_EQ(cell(10, 5), 'A' % 16);
    EXPECT_EQ(cell(18, 5), 0) << "a tab passes over cells";
    EXPECT_EQ(cell(10 + 64, 5), 'B' % 16);
    EXPECT_EQ(cell(10 + 72, 5), 3 * 16 + 'C' % 16);
    EXPECT_EQ(cell(10 + 80, 5 + 17), 3 * 16 + 'D' % 16);
    EXPECT_EQ(cell(10 + 80, 5 + 18), 0xFF) << "underlined";
    EXPECT_EQ(cell(10 + 88, 5 + 18), 3 * 16 + 'E' % 16) << "not underlined";
    EXPECT_EQ(cell(10 + 96, 5), 0) << "a font without glyphs leaves its cell blank";
    EXPECT_EQ(cell(10 + 96, 5 + 18) >> 4, 0xF) << "but underlines it, up to the page's edge";
    EXPECT_EQ(cell(10, 5 + 19), 'x' % 16);
    EXPECT_EQ(cell(10, 5 + 38), '3' % 16);
    // The footer in its own row: the path without codes, "2 из 7" at the right.
    EXPECT_EQ(cell(10, 5 + 61), 0xFF % 16);
    EXPECT_EQ(cell(18, 5 + 61), '1' % 16);
    EXPECT_EQ(cell(10 + 100 - 48, 5 + 61), '2' % 16);
    EXPECT_EQ(cell(10 + 100 - 8, 5 + 61), '7' % 16);
}
