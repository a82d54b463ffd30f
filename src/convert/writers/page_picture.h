// A page of the page model as a picture of 96-dpi pixels, drawn from the
// font bytes by the rules of a printed page: glyphs by their in-line codes,
// the underline in a cell's bottom row, the footer in the screen font. It is
// what a converted page must look like, and the source of PNG pages.
#pragma once

#include "fonts/font_format.h"
#include "lines/lines.h"
#include "main/page_layout.h"

#include <cstddef>

constexpr unsigned char PICTURE_PAPER = 0xFF;
constexpr unsigned char PICTURE_INK = 0x00;

// One byte per pixel, PICTURE_PAPER or PICTURE_INK, row by row.
struct PagePicture {
    unsigned char *pixels; // width * height bytes
    int width;
    int height;
};

// The glyph bytes of the ten fonts (FONT_DATA_SIZE each); a null font draws
// no glyphs, though its cells keep their place and their underline.
struct PageFonts {
    const unsigned char *glyphs[FONT_COUNT];
};

// What the footer says: the path left, drawn byte for byte as glyphs of font
// 0 without in-line codes, and "<page> из <total>" right.
struct PageFooter {
    const unsigned char *path;
    size_t path_length;
    int page;
    int total;
};

void page_picture_clear(const PagePicture &picture);

// Draws one page of `layout` whose top-left corner lies at (left, top) of the
// picture: the lines from `first` on, at most layout.lines_per_page of them,
// and the footer. Nothing reaches outside the page's rectangle. Returns the
// first line of the next page.
const LineNode *page_picture_draw(const PagePicture &picture, int left, int top,
                                  const PageLayout &layout, const PageFonts &fonts,
                                  const LineNode *first, const PageFooter &footer);
