#include "convert/writers/page_picture.h"

#include "fonts/line_codes.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr int UNDERLINE_ROW = LINE_HEIGHT - 1;
constexpr unsigned char FOOTER_FONT = 0;

// The part of the picture a page may draw on.
struct Clip {
    int left, top, right, bottom; // right and bottom exclusive
};

void draw_glyph(const PagePicture &picture, const Clip &clip, const PageFonts &fonts, int x, int y,
                const LineGlyph &glyph) {
    const unsigned char *rows = fonts.glyphs[glyph.font];
    for (int row = 0; row < LINE_HEIGHT; ++row) {
        int py = y + row;
        if (py < clip.top || py >= clip.bottom)
            continue;
        unsigned bits = rows ? rows[LINE_HEIGHT * glyph.code + row] : 0;
        if (glyph.underline && row == UNDERLINE_ROW)
            bits = 0xFF;
        unsigned char *line = picture.pixels + static_cast<size_t>(py) * picture.width;
        for (int bit = 0; bits != 0; ++bit, bits = (bits << 1) & 0xFF) {
            int px = x + bit;
            if ((bits & 0x80) && px >= clip.left && px < clip.right)
                line[px] = PICTURE_INK;
        }
    }
}

// Cells of the page row at (x, y) that can show: what lies beyond the clip's
// right edge is never decoded, however long the line.
int visible_columns(const Clip &clip, int x) {
    return std::max(0, (clip.right - x + CHAR_WIDTH - 1) / CHAR_WIDTH);
}

void draw_line(const PagePicture &picture, const Clip &clip, const PageFonts &fonts, int x, int y,
               const LineNode &line) {
    const auto *bytes = reinterpret_cast<const unsigned char *>(line.text);
    size_t shown = line_codes_visible_length(bytes, line.length, visible_columns(clip, x));
    line_codes_decode(bytes, shown, [&](const LineGlyph &glyph) {
        draw_glyph(picture, clip, fonts, x + CHAR_WIDTH * glyph.column, y, glyph);
    });
}

// Footer texts: every byte is a glyph of the footer font, codes included.
void draw_plain(const PagePicture &picture, const Clip &clip, const PageFonts &fonts, int x, int y,
                const unsigned char *bytes, size_t length) {
    size_t shown = std::min(length, static_cast<size_t>(visible_columns(clip, x)));
    for (size_t i = 0; i < shown; ++i) {
        LineGlyph glyph{static_cast<int>(i), FOOTER_FONT, false, bytes[i]};
        draw_glyph(picture, clip, fonts, x + CHAR_WIDTH * static_cast<int>(i), y, glyph);
    }
}

} // namespace

void page_picture_clear(const PagePicture &picture) {
    std::memset(picture.pixels, PICTURE_PAPER,
                static_cast<size_t>(picture.width) * static_cast<size_t>(picture.height));
}

const LineNode *page_picture_draw(const PagePicture &picture, int left, int top,
                                  const PageLayout &layout, const PageFonts &fonts,
                                  const LineNode *first, const PageFooter &footer) {
    Clip clip{std::max(left, 0), std::max(top, 0), std::min(left + layout.width, picture.width),
              std::min(top + layout.height, picture.height)};
    const LineNode *line = first;
    for (int index = 0; index < layout.lines_per_page && line; ++index, line = line->next)
        draw_line(picture, clip, fonts, left, top + index * LINE_HEIGHT, *line);

    const int footer_y = top + layout.footer_y;
    draw_plain(picture, clip, fonts, left, footer_y, footer.path, footer.path_length);
    char page_text[PRINT_PAGE_TEXT_SIZE];
    size_t page_text_length = print_page_text(page_text, footer.page, footer.total);
    draw_plain(picture, clip, fonts, left + print_right_aligned_x(layout.width, page_text_length),
               footer_y, reinterpret_cast<const unsigned char *>(page_text), page_text_length);
    return line;
}
