// Minimal screen fonts for the printing tests: font 0 only, from
// fonts\vga0.sfn beside the executable, as a monochrome mask whose ink bits
// are 0 so that SRCAND blackens exactly the glyph's ink.
#include "fonts/fonts.h"

#include <array>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

constexpr int GLYPH_BYTES = 256 * LINE_HEIGHT;
std::vector<unsigned char> font_bytes;
HDC mask_dc;
HBITMAP mask_bitmap;

} // namespace

void fonts_load() {
    char path[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    char *slash = std::strrchr(path, '\\');
    if (slash)
        *slash = '\0';
    std::strncat(path, "\\fonts\\vga0.sfn", MAX_PATH - std::strlen(path) - 1);
    FILE *file = std::fopen(path, "rb");
    if (!file)
        return;
    font_bytes.assign(GLYPH_BYTES, 0);
    std::fread(font_bytes.data(), 1, GLYPH_BYTES, file);
    std::fclose(file);
}

void fonts_free() {
    font_bytes.clear();
}

void glyphs_create(HDC surface) {
    if (font_bytes.empty())
        return;
    std::vector<unsigned short> rows(GLYPH_BYTES);
    for (int r = 0; r < GLYPH_BYTES; ++r)
        rows[r] = static_cast<unsigned short>(0xFF00 + (0xFF - font_bytes[r]));
    mask_dc = CreateCompatibleDC(surface);
    mask_bitmap = CreateBitmap(CHAR_WIDTH, GLYPH_BYTES, 1, 1, rows.data());
    SelectObject(mask_dc, mask_bitmap);
}

void glyphs_release() {
    if (!mask_dc)
        return;
    DeleteDC(mask_dc);
    DeleteObject(mask_bitmap);
    mask_dc = nullptr;
    mask_bitmap = nullptr;
}

void draw_text_line(HDC target, int x, int y, const char *bytes, size_t length) {
    for (size_t i = 0; i < length && mask_dc; ++i) {
        auto glyph = static_cast<unsigned char>(bytes[i]);
        BitBlt(target, x + CHAR_WIDTH * static_cast<int>(i), y, CHAR_WIDTH, LINE_HEIGHT, mask_dc, 0,
               LINE_HEIGHT * glyph, SRCAND);
    }
}
