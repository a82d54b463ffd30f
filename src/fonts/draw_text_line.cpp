#include "fonts.h"
#include "line_codes.h"

#include <climits>

void draw_text_line(HDC target, int x, int y, const char *bytes, size_t length) {
    if (y > INT_MAX - LINE_HEIGHT)
        return; // below every surface; row y + 18 would not exist
    int underline_y = y + LINE_HEIGHT - 1;
    line_codes_decode(reinterpret_cast<const unsigned char *>(bytes), length,
                      [&](const LineGlyph &glyph) {
                          long long left = static_cast<long long>(x) +
                                           static_cast<long long>(CHAR_WIDTH) * glyph.column;
                          if (left > INT_MAX - CHAR_WIDTH)
                              return; // beyond the coordinate range
                          int cx = static_cast<int>(left);
                          // A font without masks leaves its cell as it was.
                          if (HDC masks = glyph_masks.dc[glyph.font])
                              BitBlt(target, cx, y, CHAR_WIDTH, LINE_HEIGHT, masks, 0,
                                     LINE_HEIGHT * glyph.code, SRCAND);
                          if (glyph.underline) {
                              MoveToEx(target, cx, underline_y, nullptr);
                              LineTo(target, cx + CHAR_WIDTH, underline_y);
                          }
                      });
}
