// The ten screen fonts, their glyph masks for one drawing surface, and the
// routine that draws a line of CP866 bytes with its in-line codes.
#pragma once

#include "fonts/font_format.h"

#include <windows.h>

#include <cstddef>
#include <cstdint>

// One font: its file name inside the fonts folder, the FONT_DATA_SIZE bytes
// read from it (null when the file did not open or was empty), and whether
// the user has been told that it has none.
struct ScreenFont {
    const char *file_name;
    unsigned char *glyphs;
    bool problem_told;
};
extern ScreenFont screen_fonts[FONT_COUNT];

// Per font, a monochrome bitmap 8 x FONT_DATA_SIZE holding all 256 glyphs one
// under the other, selected into a memory DC compatible with the surface;
// `rows` are the bits it was made from. An entry is null when its font has
// no masks.
struct GlyphMaskSet {
    uint16_t *rows[FONT_COUNT];
    HDC dc[FONT_COUNT];
    HBITMAP bitmap[FONT_COUNT];
};
extern GlyphMaskSet glyph_masks;

// Reads fonts\vga0.sfn .. vga9.sfn beside the executable; a file that does
// not open or is empty leaves its font without glyphs, silently.
void fonts_load();
void fonts_free();
// Builds the masks of every font for `surface` (the DC to be drawn on, or the
// one the target was made compatible with). The first call that meets a
// font without glyphs shows the font error box for it, in font order; later
// calls leave that font's cells blank without a word.
void glyphs_create(HDC surface);
void glyphs_release();

// Draws `length` bytes at (x, y) on the CHAR_WIDTH x LINE_HEIGHT grid:
// glyphs by AND with the masks, tabs, font and underline codes.
void draw_text_line(HDC target, int x, int y, const char *bytes, size_t length);
