#include "page_export_support.h"

#include "fonts/cp866_from_utf8.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <sstream>

ShippedFonts::ShippedFonts() {
    for (int n = 0; n < FONT_COUNT; ++n) {
        bytes[n] = read_file(KORVEL_SOURCE_DIR "/fonts/vga" + std::to_string(n) + ".sfn");
        bytes[n].resize(FONT_DATA_SIZE);
        fonts.glyphs[n] = reinterpret_cast<const unsigned char *>(bytes[n].data());
    }
}

LoadedDocument::LoadedDocument(const TempDir &dir, const std::string &content) {
    std::string path = dir.write("document.krv", content);
    lines_load(&lines, path.c_str());
}

std::vector<GreyPage> expected_pages(const LineNode *first, const ShippedFonts &fonts,
                                     const PageSetup &setup, const std::string &footer_path) {
    PagePixels pixels = page_pixels(setup);
    int count = 0;
    for (const LineNode *line = first; line; line = line->next)
        ++count;
    int total = std::max(1, page_layout_page_count(pixels.layout, count));
    std::string path = cp866_from_utf8(footer_path);
    std::vector<GreyPage> pages(total);
    const LineNode *next = first;
    for (int page = 1; page <= total; ++page) {
        GreyPage &grey = pages[page - 1];
        grey.width = pixels.paper_width;
        grey.height = pixels.paper_height;
        grey.pixels.resize(static_cast<size_t>(grey.width) * grey.height);
        PagePicture picture{grey.pixels.data(), grey.width, grey.height};
        page_picture_clear(picture);
        PageFooter footer{reinterpret_cast<const unsigned char *>(path.data()), path.size(), page,
                          total};
        next = page_picture_draw(picture, pixels.left, pixels.top, pixels.layout, fonts.fonts, next,
                                 footer);
    }
    return pages;
}

bool run_command(const std::string &command, std::string *output) {
    FILE *pipe = popen(command.c_str(), "r");
    if (!pipe)
        return false;
    std::string text;
    char buffer[4096];
    size_t got;
    while ((got = fread(buffer, 1, sizeof buffer, pipe)) > 0)
        text.append(buffer, got);
    if (output)
        *output = text;
    return pclose(pipe) == 0;
}

namespace {

GreyPage read_netpbm(const std::string &bytes) {
    GreyPage page;
    std::istringstream header(bytes);
    std::string magic;
    header >> magic >> page.width >> page.height;
    int maximum = 1;
    if (magic == "P5")
        header >> maximum;
    size_t at = static_cast<size_t>(header.tellg()) + 1;
    page.pixels.resize(static_cast<size_t>(page.width) * page.height);
    const size_t row_bytes = magic == "P4" ? (page.width + 7) / 8 : page.width;
    for (int y = 0; y < page.height; ++y)
        for (int x = 0; x < page.width; ++x) {
            size_t row = at + y * row_bytes;
            bool ink = magic == "P4"
                           ? (static_cast<unsigned char>(bytes.at(row + x / 8)) >> (7 - x % 8)) & 1
                           : static_cast<unsigned char>(bytes.at(row + x)) < 128;
            page.pixels[static_cast<size_t>(y) * page.width + x] =
                ink ? PICTURE_INK : PICTURE_PAPER;
        }
    return page;
}

} // namespace

std::vector<GreyPage> read_pages(const TempDir &dir, const std::string &prefix) {
    std::vector<std::string> names;
    for (const auto &entry : std::filesystem::directory_iterator(dir.path)) {
        std::string name = entry.path().filename().string();
        if (name.rfind(prefix + "-", 0) == 0)
            names.push_back(entry.path().string());
    }
    std::sort(names.begin(), names.end());
    std::vector<GreyPage> pages;
    for (const std::string &name : names)
        pages.push_back(read_netpbm(read_file(name)));
    return pages;
}

std::string page_difference(const GreyPage &expected, const GreyPage &actual) {
    std::ostringstream report;
    if (expected.width != actual.width || expected.height != actual.height) {
        report << "size " << actual.width << "x" << actual.height << ", expected " << expected.width
               << "x" << expected.height;
        return report.str();
    }
    int wrong = 0;
    for (size_t i = 0; i < expected.pixels.size(); ++i)
        if (expected.pixels[i] != actual.pixels[i] && wrong++ < 5)
            report << "(" << i % expected.width << "," << i / expected.width << ") ";
    if (wrong)
        report << wrong << " pixels differ";
    return report.str();
}
