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
    lines_load(&lines, dir.write("document.krv", content).c_str());
}

std::vector<GreyPage> expected_pages(const LineNode *first, const ShippedFonts &fonts,
                                     const PageSetup &setup, const std::string &footer_path) {
    PagePixels pixels = page_pixels(setup);
    int count = 0;
    for (const LineNode *line = first; line; line = line->next)
        ++count;
    int total = std::max(1, page_layout_page_count(pixels.layout, count));
    std::string path = cp866_from_utf8(footer_path);
    std::vector<GreyPage> pages;
    for (int page = 1; page <= total; ++page) {
        GreyPage grey{pixels.paper_width, pixels.paper_height, {}};
        grey.pixels.resize(static_cast<size_t>(grey.width) * grey.height);
        PagePicture picture{grey.pixels.data(), grey.width, grey.height};
        page_picture_clear(picture);
        PageFooter footer{reinterpret_cast<const unsigned char *>(path.data()), path.size(), page,
                          total};
        first = page_picture_draw(picture, pixels.left, pixels.top, pixels.layout, fonts.fonts,
                                  first, footer);
        pages.push_back(std::move(grey));
    }
    return pages;
}

std::string command_output(const std::string &command) {
    FILE *pipe = popen(command.c_str(), "r");
    std::string text;
    char buffer[4096];
    for (size_t got; pipe && (got = fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        text.append(buffer, got);
    return pipe && pclose(pipe) == 0 ? text : "";
}

std::vector<GreyPage> read_pgm_pages(const TempDir &dir, const std::string &prefix) {
    std::vector<std::string> names;
    for (const auto &entry : std::filesystem::directory_iterator(dir.path))
        if (entry.path().filename().string().rfind(prefix, 0) == 0)
            names.push_back(entry.path().string());
    std::sort(names.begin(), names.end());
    std::vector<GreyPage> pages;
    for (const std::string &name : names) {
        std::string bytes = read_file(name);
        std::istringstream header(bytes);
        std::string magic;
        int maximum;
        GreyPage page;
        header >> magic >> page.width >> page.height >> maximum;
        for (size_t at = static_cast<size_t>(header.tellg()) + 1; at < bytes.size(); ++at)
            page.pixels.push_back(static_cast<unsigned char>(bytes[at]) < 128 ? PICTURE_INK
                                                                              : PICTURE_PAPER);
        pages.push_back(std::move(page));
    }
    return pages;
}

long differing_pixels(const GreyPage &a, const GreyPage &b) {
    if (a.width != b.width || a.height != b.height || a.pixels.size() != b.pixels.size())
        return -1;
    long count = 0;
    for (size_t i = 0; i < a.pixels.size(); ++i)
        count += a.pixels[i] != b.pixels[i];
    return count;
}
