// A page picture of any lines, footer path (UTF-8) and geometry: no ink
// outside the page's rectangle, no write outside the picture (ASan), and
// the page takes at most its lines.
#include "text/cp866_from_utf8.h"
#include "convert/writers/page_picture.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size < 8)
        return 0;
    const int width = 1 + data[0] % 64, height = 1 + data[1] % 64;
    const int left = static_cast<int8_t>(data[2]) / 4, top = static_cast<int8_t>(data[3]) / 4;
    PageLayout layout = page_layout_make(
        data[5] % 80, data[6] % 80, data[4] & 1 ? FooterRow::own_row : FooterRow::over_last_line);
    // The first line is the footer path, the others document lines.
    std::vector<std::string> texts(1);
    for (size_t i = 8; i < size; ++i)
        data[i] == '\n' ? texts.push_back({}) : texts.back().push_back(static_cast<char>(data[i]));
    std::string path = cp866_from_utf8(texts[0]);
    std::vector<LineNode> lines(texts.size());
    for (size_t i = texts.size() - 1; i > 0; --i)
        lines[i] = {texts[i].data(), i + 1 < texts.size() ? &lines[i + 1] : nullptr,
                    texts[i].size()};

    static const std::vector<unsigned char> solid(FONT_DATA_SIZE, 0xFF);
    PageFonts fonts{};
    for (int n = 0; n < FONT_COUNT; n += 1 + data[4] / 2 % 2) // some fonts missing
        fonts.glyphs[n] = solid.data();
    std::vector<unsigned char> pixels(static_cast<size_t>(width) * height);
    PagePicture picture{pixels.data(), width, height};
    page_picture_clear(picture);
    PageFooter footer{reinterpret_cast<const unsigned char *>(path.data()), path.size(),
                      static_cast<int8_t>(data[7]), 1000};
    const LineNode *first = lines.size() > 1 ? &lines[1] : nullptr;
    const LineNode *next = page_picture_draw(picture, left, top, layout, fonts, first, footer);
    size_t taken = next ? next - first : lines.size() - 1;
    if (path.size() > texts[0].size() || taken > static_cast<size_t>(layout.lines_per_page))
        std::abort();
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if (pixels[y * width + x] == PICTURE_INK &&
                (x < left || x >= left + layout.width || y < top || y >= top + layout.height))
                std::abort();
    return 0;
}
