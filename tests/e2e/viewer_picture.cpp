// The driver: what the viewer painted, read back cell by cell with the
// shipped fonts.
#include "viewer_driver_parts.h"

#include <map>

Picture picture_from(const DibSurface &surface) {
    Picture picture;
    picture.width = surface.width;
    picture.height = surface.height;
    GdiFlush();
    picture.pixels.assign(surface.bits,
                          surface.bits + static_cast<size_t>(surface.width) * surface.height);
    for (auto &pixel : picture.pixels)
        pixel &= 0x00FFFFFF;
    return picture;
}

Picture picture_of(HWND window, int width, int height, POINT origin) {
    if (width <= 0 || height <= 0) {
        Picture empty;
        empty.width = width;
        empty.height = height;
        return empty;
    }
    DibSurface surface(width, height);
    HDC window_dc = GetDC(window);
    BitBlt(surface.dc, 0, 0, width, height, window_dc, origin.x, origin.y, SRCCOPY);
    ReleaseDC(window, window_dc);
    return picture_from(surface);
}

uint32_t colour_of(COLORREF colour) {
    return (GetRValue(colour) << 16) | (GetGValue(colour) << 8) | GetBValue(colour);
}

Picture capture_client(HWND window) {
    RECT client;
    GetClientRect(window, &client);
    return picture_of(window, client.right - client.left, client.bottom - client.top);
}

namespace {
std::string shipped_fonts_directory = KORVEL_E2E_FONTS;
}

void use_shipped_fonts_from(const std::string &directory) {
    shipped_fonts_directory = directory;
}

const FontBytes &shipped_font(int number) {
    static std::map<int, FontBytes> fonts;
    auto found = fonts.find(number);
    if (found != fonts.end())
        return found->second;
    std::string bytes =
        read_file(shipped_fonts_directory + "/vga" + std::to_string(number) + ".sfn");
    FontBytes font(bytes.begin(), bytes.end());
    font.resize(FONT_DATA_SIZE);
    return fonts.emplace(number, std::move(font)).first->second;
}

bool glyph_has_ink(const FontBytes &font, unsigned char glyph, int column, int row) {
    return (font[glyph * LINE_HEIGHT + row] & (0x80 >> column)) != 0;
}

bool cell_shows(const Picture &picture, int x, int y, int font, unsigned char glyph,
                bool underlined) {
    const FontBytes &bytes = shipped_font(font);
    if (x < 0 || y < 0 || x + CHAR_WIDTH > picture.width || y + LINE_HEIGHT > picture.height)
        return false;
    for (int row = 0; row < LINE_HEIGHT; ++row) {
        for (int column = 0; column < CHAR_WIDTH; ++column) {
            bool ink =
                glyph_has_ink(bytes, glyph, column, row) || (underlined && row == LINE_HEIGHT - 1);
            if ((picture.at(x + column, y + row) == 0) != ink)
                return false;
        }
    }
    return true;
}

namespace {

int glyph_in_cell(const Picture &picture, int x, int y) {
    // Printable bytes first, so that a blank cell reads as a space.
    for (int glyph = 0x20; glyph < 0x120; ++glyph) {
        if (cell_shows(picture, x, y, 0, static_cast<unsigned char>(glyph & 0xFF)))
            return glyph & 0xFF;
    }
    return -1;
}

} // namespace

std::string row_text(const Picture &picture, int row, int first_column, int count) {
    std::string text;
    for (int column = first_column; column < first_column + count; ++column) {
        int glyph = glyph_in_cell(picture, column * CHAR_WIDTH, row * LINE_HEIGHT);
        text += glyph < 0 ? '?' : static_cast<char>(glyph);
    }
    while (!text.empty() && text.back() == ' ')
        text.pop_back();
    return text;
}

std::string indicator_text(const Picture &picture) {
    int y = picture.height - LINE_HEIGHT;
    int first_column = E2E_RULE_X / CHAR_WIDTH + 1;
    std::string text;
    for (int column = first_column; column < picture.width / CHAR_WIDTH; ++column) {
        int glyph = glyph_in_cell(picture, column * CHAR_WIDTH, y);
        text += glyph < 0 ? '?' : static_cast<char>(glyph);
    }
    size_t start = text.find_first_not_of(' ');
    size_t end = text.find_last_not_of(' ');
    return start == std::string::npos ? "" : text.substr(start, end - start + 1);
}

std::string indicator(int top_line, int line_count) {
    return std::to_string(top_line) + " \xA8\xA7 " + std::to_string(line_count);
}

bool row_banded(const Picture &picture, int row) {
    int y = row * LINE_HEIGHT;
    if (y + LINE_HEIGHT > picture.height)
        return false;
    const uint32_t band = colour_of(E2E_MARK_COLOUR);
    // Right of the rule and left of the indicator's cells: only the band.
    for (int x = E2E_RULE_X + 1; x < E2E_RULE_X + 40; ++x)
        for (int dy = 0; dy < LINE_HEIGHT; ++dy)
            if (picture.at(x, y + dy) != band)
                return false;
    return true;
}

bool rule_drawn(const Picture &picture) {
    if (picture.width <= E2E_RULE_X + 1)
        return false;
    for (int y = 0; y < picture.height; ++y)
        if (picture.at(E2E_RULE_X, y) != 0)
            return false;
    return true;
}
