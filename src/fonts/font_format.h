// The screen font files: ten faces of 256 glyphs, 8 x 19 pixels each, stored
// as raw row bytes with no header. Also the monochrome mask rows that the
// glyphs are drawn from, and the paths of the files.
#pragma once

// glibc's <limits.h> defines CHAR_WIDTH (the bit width of char) in GNU mode,
// which g++ always enables. Here CHAR_WIDTH is the pixel width of a glyph
// cell; nothing in this program uses the C macro. Including the header first
// means its guard keeps it from coming back after the #undef.
#include <climits>
#undef CHAR_WIDTH

#include <cstddef>
#include <cstdint>

constexpr int FONT_COUNT = 10;
constexpr int GLYPH_COUNT = 256;
constexpr int CHAR_WIDTH = 8;   // pixels per glyph row: one byte, bit 7 leftmost
constexpr int LINE_HEIGHT = 19; // rows per glyph, and bytes per glyph in the file
constexpr int FONT_DATA_SIZE = GLYPH_COUNT * LINE_HEIGHT; // 4,864 bytes and mask rows
static_assert(FONT_DATA_SIZE == 4864);

// The font files inside the fonts folder, by font number.
constexpr const char *FONT_FILE_NAMES[FONT_COUNT] = {
    "vga0.sfn", "vga1.sfn", "vga2.sfn", "vga3.sfn", "vga4.sfn",
    "vga5.sfn", "vga6.sfn", "vga7.sfn", "vga8.sfn", "vga9.sfn",
};

// One mask row as the platform's monochrome bitmaps store it: a 16-bit word
// per row of 8 pixels. The first byte is the complement of the font byte, so
// ink is 0 and paper 1; the second byte lies beyond the 8 pixels.
constexpr uint16_t font_mask_row(unsigned char row_byte) {
    return static_cast<uint16_t>(0xFF00u | static_cast<unsigned char>(~row_byte));
}

// Converts all FONT_DATA_SIZE bytes of a font into as many mask rows.
void font_masks_convert(const unsigned char *glyphs, uint16_t *rows);

// Writes "<directory>\fonts\<file_name>" into `path` (`size` bytes), the
// directory being `exe_path` cut at its last backslash. Without one there is
// no directory: the fonts are looked for at the root of the current drive.
// Returns false, writing an empty string when size allows, if the result
// would not fit: a cut path could name another file.
bool font_path_make(char *path, size_t size, const char *exe_path, const char *file_name);

// Reads a font file: a FONT_DATA_SIZE buffer from font_allocate holding the
// file's first bytes, zero where a short file ends early. Null when the file
// does not open, holds no byte or memory runs out.
unsigned char *font_file_read(const char *path);

// The allocator of font buffers and mask rows (tests replace it).
void *font_allocate(size_t size);
void font_release(void *memory);
