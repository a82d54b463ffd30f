// A page picture of arbitrary lines, footer path and page geometry: nothing
// is drawn outside the page's rectangle or the picture (ASan watches the
// buffer), the lines taken are the page's, and any UTF-8 path becomes one
// byte per character.
#include "fonts/cp866_from_utf8.h"
#include "main/page_picture.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace {

// Fonts whose every row is ink, so that any glyph drawn shows.
const std::vector<unsigned char> SOLID(FONT_DATA_SIZE, 0xFF);

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size < 8)
        return 0;
    // Picture and page sizes, the page's corner and the footer's numbers.
    const int width = 1 + data[0] % 64, height = 1 + data[1] % 64;
    const int left = static_cast<int8_t>(data[2]) / 4, top = static_cast<int8_t>(data[3]) / 4;
    const FooterRow footer_row = data[4] & 1 ? FooterRow::own_row : FooterRow::over_last_line;
    PageLayout layout = page_layout_make(data[5] % 80, data[6] % 80, footer_row);
    const int page = static_cast<int8_t>(data[7]);
    std::string_view rest(reinterpret_cast<const char *>(data) + 8, size - 8);

    // The first line is the footer path (UTF-8), the others document lines.
    std::vector<std::string> texts;
    for (size_t start = 0;;) {
        size_t end = rest.find('\n', start);
        texts.emplace_back(rest.substr(start, end == std::string_view::npos ? end : end - start));
        if (end == std::string_view::npos)
            break;
        start = end + 1;
    }
    std::string path = cp866_from_utf8(texts[0]);
    if (path.size() > texts[0].size())
        std::abort(); // never more than a byte per byte
    std::vector<LineNode> nodes(texts.size() - 1);
    for (size_t i = 0; i < nodes.size(); ++i)
        nodes[i] = {texts[i + 1].data(), i + 1 < nodes.size() ? &nodes[i + 1] : nullptr,
                    texts[i + 1].size()};

    std::vector<unsigned char> pixels(static_cast<size_t>(width) * height);
    PagePicture picture{pixels.data(), width, height};
    page_picture_clear(picture);
    PageFonts fonts{};
    for (int n = 0; n < FONT_COUNT; n += 1 + (data[4] >> 1) % 2) // some fonts missing
        fonts.glyphs[n] = SOLID.data();
    PageFooter footer{reinterpret_cast<const unsigned char *>(path.data()), path.size(), page,
                      page + 1};
    const LineNode *next = page_picture_draw(picture, left, top, layout, fonts,
                                             nodes.empty() ? nullptr : nodes.data(), footer);

    size_t taken = 0;
    for (const LineNode *line = nodes.empty() ? nullptr : nodes.data(); line != next;
         line = line->next)
        ++taken;
    if (taken != std::min(nodes.size(), static_cast<size_t>(layout.lines_per_page)))
        std::abort();
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if (pixels[y * width + x] == PICTURE_INK &&
                (x < left || x >= left + layout.width || y < top || y >= top + layout.height))
                std::abort();
    return 0;
}
