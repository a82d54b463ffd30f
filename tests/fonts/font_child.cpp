// Run by test_font_files in a directory of its own, with a fonts folder that
// the parent test prepared: fonts_load reads it from beside this program.
#include "font_test_support.h"
#include "fonts/fonts.h"

#include <gtest/gtest.h>

namespace {

using Cells = std::vector<SeenCell>;

TEST(FromFiles, LongAndShortFilesAndGlyphFF) {
    // vga0.sfn: 5,000 bytes; vga1.sfn: 1,000 bytes; the others marked fonts.
    CountingAllocator counting; // fills new buffers with garbage
    BoxWatcher watcher;
    fonts_load();
    ASSERT_EQ(CountingAllocator::live, FONT_COUNT);
    std::string long_file = font_file_pattern(5000);
    std::string short_file = font_file_pattern(1000);

    DibSurface surface(100, 3 * LINE_HEIGHT);
    glyphs_create(surface.dc);
    draw_text_line(surface.dc, 0, 0, "\xFF\xFF", 2);
    draw_text_line(surface.dc, 0, LINE_HEIGHT,
                   "\xFF"
                   "1\x34\xFF\xFF\x33",
                   6);
    draw_text_line(surface.dc, 0, 2 * LINE_HEIGHT,
                   "\xFF"
                   "2x",
                   3);
    glyphs_release();
    fonts_free();
    EXPECT_TRUE(watcher.taken().empty());
    EXPECT_EQ(CountingAllocator::live, 0);
    EXPECT_EQ(CountingAllocator::bad_frees, 0);

    // Glyph 0xFF is file bytes 4,845 .. 4,863; what follows them is ignored.
    for (int row = 0; row < LINE_HEIGHT; ++row)
        EXPECT_EQ(surface.ink_row(0, row), static_cast<unsigned char>(long_file[4845 + row]))
            << "row " << row;
    // Glyph 0x34 (52) of the short file: its first 12 rows are the file's
    // last bytes, the rest blank; glyph 0xFF and glyph 0x33 wholly from file
    // or wholly blank.
    for (int row = 0; row < LINE_HEIGHT; ++row) {
        unsigned char expected = row < 12 ? short_file[52 * LINE_HEIGHT + row] : 0;
        EXPECT_EQ(surface.ink_row(0, LINE_HEIGHT + row), expected) << "row " << row;
        EXPECT_EQ(surface.ink_row(8, LINE_HEIGHT + row), 0) << "row " << row;
        EXPECT_EQ(surface.ink_row(16, LINE_HEIGHT + row),
                  static_cast<unsigned char>(short_file[51 * LINE_HEIGHT + row]))
            << "row " << row;
    }
    EXPECT_EQ(read_line(surface, 0, 2 * LINE_HEIGHT, 4), (Cells{{0, 'x', 2, false}}));
}

TEST(FromFiles, NoFontsFolderGivesTenBoxesOnce) {
    CountingAllocator counting;
    BoxWatcher watcher;
    fonts_load();
    DibSurface surface(200, LINE_HEIGHT);
    for (int call = 0; call < 2; ++call) {
        glyphs_create(surface.dc);
        draw_text_line(surface.dc, 0, 0,
                       "ab\xFF"
                       "5cd",
                       6);
        glyphs_release();
    }
    fonts_free();
    expect_font_boxes(watcher.taken(), FONT_COUNT);
    EXPECT_EQ(CountingAllocator::allocations, 0);
    EXPECT_TRUE(surface.all(0, 0, surface.width, surface.height, WHITE));
}

TEST(FromFiles, Vga3MissingAndVga5EmptyGiveOneBoxEach) {
    CountingAllocator counting;
    BoxWatcher watcher;
    fonts_load();
    EXPECT_EQ(CountingAllocator::live, FONT_COUNT - 2);
    for (int call = 0; call < 2; ++call) {
        DibSurface surface(200, LINE_HEIGHT);
        glyphs_create(surface.dc);
        draw_text_line(surface.dc, 0, 0,
                       "a\xFF"
                       "3bc\xFF"
                       "4d\xFF"
                       "5e",
                       11);
        glyphs_release();
        EXPECT_EQ(read_line(surface, 0, 0, 10), (Cells{{0, 'a', 0, false}, {3, 'd', 4, false}}));
    }
    fonts_free();
    std::vector<FontBox> boxes = watcher.taken();
    expect_font_boxes(boxes, 2);
    EXPECT_EQ(CountingAllocator::live, 0);
}

} // namespace
