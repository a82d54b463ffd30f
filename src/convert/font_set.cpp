#include "convert/font_set.h"

#include "convert/system.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unistd.h>
#include <vector>

namespace {

bool read_font(const std::string &path, unsigned char *glyphs, std::string *reason) {
    std::FILE *file = std::fopen(path.c_str(), "rb");
    if (!file) {
        *reason = "cannot read the font " + path + ": " + std::strerror(errno);
        return false;
    }
    // One byte more than a font holds tells a long file from a whole one.
    std::vector<unsigned char> bytes(FONT_DATA_SIZE + 1);
    size_t got = std::fread(bytes.data(), 1, bytes.size(), file);
    bool failed = std::ferror(file);
    std::fclose(file);
    if (failed || got != FONT_DATA_SIZE) {
        *reason = path + " is not a screen font: " +
                  (failed ? "read error" : "not " + std::to_string(FONT_DATA_SIZE) + " bytes long");
        return false;
    }
    std::memcpy(glyphs, bytes.data(), FONT_DATA_SIZE);
    return true;
}

} // namespace

bool convert_fonts_load(const std::string &folder, ConvertFontSet *fonts, std::string *reason) {
    fonts->folder = folder;
    if (folder.empty()) {
        std::string beside = program_folder();
        std::string candidates[] = {path_joined(beside, "fonts"),
                                    path_joined(beside, "../lib/korvel/fonts")};
        fonts->folder = candidates[0];
        for (const std::string &candidate : candidates)
            if (access(path_joined(candidate, FONT_FILE_NAMES[0]).c_str(), F_OK) == 0) {
                fonts->folder = candidate;
                break;
            }
    }
    for (int n = 0; n < FONT_COUNT; ++n) {
        std::string path = path_joined(fonts->folder, FONT_FILE_NAMES[n]);
        if (!read_font(path, fonts->glyphs[n].data(), reason))
            return false;
        FileFacts facts{};
        std::string ignored;
        if (file_facts(path, &facts, &ignored))
            fonts->modified = std::max(fonts->modified, facts.modified);
    }
    return true;
}
