#include "convert/font_set.h"

#include "convert/system.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
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

// The folder of the shipped fonts: beside the program, or where the package
// puts them.
std::string shipped_fonts_folder() {
    std::string beside = program_folder();
    std::string candidates[] = {path_joined(beside, "fonts"),
                                path_joined(beside, "../lib/korvel/fonts")};
    for (const std::string &candidate : candidates) {
        FileFacts facts{};
        std::string reason;
        if (file_facts(path_joined(candidate, FONT_FILE_NAMES[0]), &facts, &reason))
            return candidate;
    }
    return candidates[0];
}

} // namespace

time_t page_fonts_modified(const std::string &folder) {
    std::string from = folder.empty() ? shipped_fonts_folder() : folder;
    time_t newest = 0;
    for (const char *name : FONT_FILE_NAMES) {
        FileFacts facts{};
        std::string reason;
        if (file_facts(path_joined(from, name), &facts, &reason) && facts.modified > newest)
            newest = facts.modified;
    }
    return newest;
}

bool page_fonts_load(const std::string &folder, PageFonts *fonts, std::string *reason) {
    // Kept to the end of the run: the writers draw from these bytes.
    static std::unique_ptr<unsigned char[]> loaded(new unsigned char[FONT_COUNT * FONT_DATA_SIZE]);
    std::string from = folder.empty() ? shipped_fonts_folder() : folder;
    for (int n = 0; n < FONT_COUNT; ++n) {
        fonts->glyphs[n] = loaded.get() + static_cast<size_t>(n) * FONT_DATA_SIZE;
        if (!read_font(path_joined(from, FONT_FILE_NAMES[n]),
                       loaded.get() + static_cast<size_t>(n) * FONT_DATA_SIZE, reason))
            return false;
    }
    return true;
}
