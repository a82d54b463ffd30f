// Decodes arbitrary lines and compares with a second, independently written
// reading of the codes that looks ahead at pairs instead of keeping a pending
// escape; also checks that columns only grow, fonts stay in range and the
// visible prefix of a line draws what a narrow surface shows of all of it.
#include "fonts/line_codes.h"

#include <cstdint>
#include <cstdlib>
#include <vector>

namespace {

struct Cell {
    int column, font;
    bool underline;
    unsigned char code;
};

std::vector<Cell> reference(const uint8_t *data, size_t size) {
    std::vector<Cell> cells;
    int column = 0, font = 0;
    bool underline = false;
    size_t i = 0;
    while (i < size) {
        uint8_t byte = data[i];
        if (byte == 0xFF) {
            if (i + 1 == size)
                break; // a lone escape at the end
            uint8_t code = data[i + 1];
            i += 2;
            if (code >= '0' && code <= '9')
                font = code - '0';
            else if (code == '_')
                underline = true;
            else if (code == '.')
                underline = false;
            else if (code == 0xFF)
                cells.push_back({column++, font, underline, 0xFF});
            continue;
        }
        ++i;
        if (byte == '\t')
            column += 8 - column % 8;
        else
            cells.push_back({column++, font, underline, byte});
    }
    return cells;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    std::vector<Cell> decoded;
    line_codes_decode(data, size, [&](const LineGlyph &g) {
        if (g.font < 0 || g.font >= FONT_COUNT)
            std::abort();
        if (!decoded.empty() && g.column <= decoded.back().column)
            std::abort();
        decoded.push_back({g.column, g.font, g.underline, g.code});
    });
    std::vector<Cell> expected = reference(data, size);
    if (decoded.size() != expected.size())
        std::abort();
    for (size_t i = 0; i < decoded.size(); ++i) {
        const Cell &a = decoded[i], &b = expected[i];
        if (a.column != b.column || a.font != b.font || a.underline != b.underline ||
            a.code != b.code)
            std::abort();
    }

    // The visible prefix draws exactly the glyphs left of the cut, for a
    // width taken from the input itself.
    int columns = size ? data[0] % 96 : 0;
    size_t prefix = line_codes_visible_length(data, size, columns);
    if (prefix > size)
        std::abort();
    std::vector<Cell> shown = reference(data, prefix);
    size_t left_of_cut = 0;
    while (left_of_cut < expected.size() && expected[left_of_cut].column < columns)
        ++left_of_cut;
    if (shown.size() != left_of_cut)
        std::abort();
    for (size_t i = 0; i < shown.size(); ++i)
        if (shown[i].column != expected[i].column || shown[i].font != expected[i].font ||
            shown[i].underline != expected[i].underline || shown[i].code != expected[i].code)
            std::abort();
    return 0;
}
