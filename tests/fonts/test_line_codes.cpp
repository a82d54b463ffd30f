// Decoding a line's bytes into glyph cells: tabs, font and underline codes,
// the escape pair for glyph 0xFF, codes without a meaning, and very long lines.
#include "fonts/line_codes.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

using namespace std::string_literals;

namespace {

struct Cell {
    int column;
    int font;
    bool underline;
    unsigned char code;
    bool operator==(const Cell &) const = default;
};

[[maybe_unused]] std::ostream &operator<<(std::ostream &out, const Cell &cell) {
    return out << "{col " << cell.column << " font " << cell.font << (cell.underline ? " _ " : " ")
               << "0x" << std::hex << int(cell.code) << std::dec << "}";
}

using Cells = std::vector<Cell>;

Cells decode(const std::string &bytes) {
    Cells cells;
    line_codes_decode(reinterpret_cast<const unsigned char *>(bytes.data()), bytes.size(),
                      [&](const LineGlyph &g) {
                          cells.push_back({g.column, g.font, g.underline, g.code});
                      });
    return cells;
}

Cell plain(int column, unsigned char code) {
    return {column, 0, false, code};
}

TEST(LineCodes, TabsMoveToTheNextMultipleOfEight) {
    EXPECT_EQ(decode(""), Cells{});
    EXPECT_EQ(decode("\t"), Cells{});
    EXPECT_EQ(decode("AB\tC"), (Cells{plain(0, 'A'), plain(1, 'B'), plain(8, 'C')}));
    EXPECT_EQ(decode("1234567\tx").back(), plain(8, 'x'));   // from column 7
    EXPECT_EQ(decode("12345678\tx").back(), plain(16, 'x')); // from column 8
    EXPECT_EQ(decode("\t\tx"), Cells{plain(16, 'x')});
}

TEST(LineCodes, FontCodesTakeNoColumn) {
    EXPECT_EQ(decode("\xFF"
                     "3x"),
              (Cells{{0, 3, false, 'x'}}));
    EXPECT_EQ(decode("a\xFF"
                     "9b\xFF"
                     "0c"),
              (Cells{{0, 0, false, 'a'}, {1, 9, false, 'b'}, {2, 0, false, 'c'}}));
}

TEST(LineCodes, UnderlineOnAndOff) {
    EXPECT_EQ(decode("\xFF_abc\xFF.d"),
              (Cells{{0, 0, true, 'a'}, {1, 0, true, 'b'}, {2, 0, true, 'c'}, {3, 0, false, 'd'}}));
    // A tab draws nothing, so the cells it passes carry no underline.
    EXPECT_EQ(decode("\xFF_a\tb"), (Cells{{0, 0, true, 'a'}, {8, 0, true, 'b'}}));
}

TEST(LineCodes, TwoEscapeBytesDrawGlyphFF) {
    EXPECT_EQ(decode("\xFF\xFF"), Cells{plain(0, 0xFF)});
    EXPECT_EQ(decode("\xFF"
                     "5\xFF_\xFF\xFFz"),
              (Cells{{0, 5, true, 0xFF}, {1, 5, true, 'z'}}));
    // Three escapes: a glyph, then a pending escape that eats the 'q'.
    EXPECT_EQ(decode("\xFF\xFF\xFFqr"), (Cells{plain(0, 0xFF), plain(1, 'r')}));
}

TEST(LineCodes, CodeBytesWithoutMeaningDoNothing) {
    EXPECT_EQ(decode("\xFF"
                     "Ab"),
              Cells{plain(0, 'b')});
    EXPECT_EQ(decode("\xFF\tb"), Cells{plain(0, 'b')}); // a tab as code byte: no move
    EXPECT_EQ(decode("\xFF/\xFF:\xFF\x00x"s), Cells{plain(0, 'x')});
    EXPECT_EQ(decode("ab\xFF"), (Cells{plain(0, 'a'), plain(1, 'b')}));
}

TEST(LineCodes, EveryOtherByteIsItsOwnGlyph) {
    EXPECT_EQ(decode("\r\n\x00\x1B\xE8"s), (Cells{plain(0, 0x0D), plain(1, 0x0A), plain(2, 0x00),
                                                  plain(3, 0x1B), plain(4, 0xE8)}));
}

TEST(LineCodes, EachLineStartsAfresh) {
    decode("\xFF"
           "7\xFF_abc\xFF");
    EXPECT_EQ(decode("x"), Cells{plain(0, 'x')});
    LineCodeState state;
    EXPECT_EQ(state.column, 0);
    EXPECT_EQ(state.font, 0);
    EXPECT_FALSE(state.underline);
    EXPECT_FALSE(state.escape_pending);
}

TEST(LineCodes, HugeLineStopsAtTheColumnLimit) {
    // Tabs reach the limit in LINE_COLUMN_LIMIT / 8 bytes; nothing beyond it
    // is drawn and no column overflows.
    std::string line(LINE_COLUMN_LIMIT / TAB_WIDTH - 1, '\t');
    line += "ab";
    line += std::string(TAB_WIDTH, '\t');
    line += "c";
    Cells cells = decode(line);
    ASSERT_EQ(cells.size(), 2u);
    EXPECT_EQ(cells[0], plain(LINE_COLUMN_LIMIT - TAB_WIDTH, 'a'));
    EXPECT_EQ(cells[1], plain(LINE_COLUMN_LIMIT - TAB_WIDTH + 1, 'b'));
}

// What a surface `columns` cells wide shows of the whole line.
Cells left_of(const Cells &cells, int columns) {
    Cells shown;
    for (const Cell &cell : cells)
        if (cell.column < columns)
            shown.push_back(cell);
    return shown;
}

size_t visible_length(const std::string &bytes, int columns) {
    return line_codes_visible_length(reinterpret_cast<const unsigned char *>(bytes.data()),
                                     bytes.size(), columns);
}

TEST(LineCodes, VisiblePrefixDrawsWhatTheSurfaceShows) {
    const std::string lines[] = {
        "",
        "short",
        std::string(300, 'x'),
        "ab\tc\t\t\td" + std::string(100, 'e'),
        "\xFF"
        "3\xFF_" +
            std::string(90, 'u') + "\xFF.\xFF\xFF",
        // Codes right at the cut: a font change before the first hidden glyph.
        std::string(79, 'a') +
            "\xFF"
            "5b" +
            "\xFF",
        std::string(80, 'a') + "\xFF"
                               "5b",
        std::string(2000, '\t') + "tail",
    };
    for (const std::string &line : lines)
        for (int columns : {0, 1, 7, 8, 9, 79, 80, 81, 117, 100000}) {
            size_t prefix = visible_length(line, columns);
            ASSERT_LE(prefix, line.size());
            EXPECT_EQ(decode(line.substr(0, prefix)), left_of(decode(line), columns))
                << line.size() << " bytes, " << columns << " columns";
        }
    // The prefix really is short: a megabyte line costs a window's width.
    EXPECT_EQ(visible_length(std::string(1 << 20, 'z'), 117), 117u);
    EXPECT_EQ(visible_length(std::string(1 << 20, '\t'), 117), 15u);
}

} // namespace
