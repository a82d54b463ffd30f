// Prints the cost of one glyphs_create + glyphs_release pair (ten fonts) and
// the renderer's speed on 80-column lines with codes, and what a full 80 x 50
// screen costs against one 16 ms frame.
//   bench_fonts [rounds]
#include "fonts/fonts.h"
#include "fonts/line_codes.h"

#include <windows.h>

#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

using Clock = std::chrono::steady_clock;

double seconds_since(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

int glyph_count(const std::string &line) {
    int glyphs = 0;
    line_codes_decode(reinterpret_cast<const unsigned char *>(line.data()), line.size(),
                      [&](const LineGlyph &) { ++glyphs; });
    return glyphs;
}

// Exactly 80 glyphs, with font switches, underline on and off and a tab.
std::string coded_line() {
    std::string line = "\xFF"
                       "1\x8A\xA0\xAF\xA8\xE2\xA0\xAB \xFF_\xA8\xE1\xE2\xAE\xE0\xA8\xFF.\t";
    const std::string text = "\xAD\xA0\xE7\xA0\xAB\xAE \xB3\xC4 abc \xFF"
                             "2\xFF\xFF";
    for (size_t i = 0; glyph_count(line) < 80; i = (i + 1) % text.size())
        line += text[i];
    return line;
}

} // namespace

int main(int argc, char **argv) {
    int rounds = argc > 1 ? std::atoi(argv[1]) : 200;
    static std::array<std::array<unsigned char, FONT_DATA_SIZE>, FONT_COUNT> data;
    for (int n = 0; n < FONT_COUNT; ++n) {
        for (int i = 0; i < FONT_DATA_SIZE; ++i)
            data[n][i] = static_cast<unsigned char>(i * 37 + n);
        screen_fonts[n].glyphs = data[n].data();
    }
    HDC screen = GetDC(nullptr);
    HDC target = CreateCompatibleDC(screen);
    HBITMAP picture = CreateCompatibleBitmap(screen, 80 * CHAR_WIDTH, 50 * LINE_HEIGHT);
    SelectObject(target, picture);

    auto start = Clock::now();
    for (int i = 0; i < rounds; ++i) {
        glyphs_create(screen);
        glyphs_release();
    }
    double pair = seconds_since(start) / rounds;
    std::printf("glyphs_create + glyphs_release (10 fonts): %.3f ms\n", pair * 1e3);

    std::string line = coded_line();
    glyphs_create(screen);
    start = Clock::now();
    for (int i = 0; i < rounds; ++i)
        for (int row = 0; row < 50; ++row)
            draw_text_line(target, 0, row * LINE_HEIGHT, line.data(), line.size());
    double screen_time = seconds_since(start) / rounds;
    std::string plain(80, '\xAE');
    start = Clock::now();
    for (int i = 0; i < rounds; ++i)
        for (int row = 0; row < 50; ++row)
            draw_text_line(target, 0, row * LINE_HEIGHT, plain.data(), plain.size());
    double plain_time = seconds_since(start) / rounds;
    glyphs_release();
    std::printf("plain 80-glyph line, no codes: %.0f glyphs/s\n", 80.0 * 50 / plain_time);
    std::printf("line: %zu bytes, %d glyphs with codes\n", line.size(), glyph_count(line));
    std::printf("draw_text_line: %.0f glyphs/s\n", 80.0 * 50 / screen_time);
    std::printf("full 80 x 50 screen: %.3f ms draw, %.3f ms with the masks (frame 16 ms)\n",
                screen_time * 1e3, (screen_time + pair) * 1e3);
    DeleteDC(target);
    DeleteObject(picture);
    ReleaseDC(nullptr, screen);
    return 0;
}
