// The screen fonts PDF and PNG pages are drawn with: found beside the
// program (<program folder>/fonts, or <program folder>/../lib/korvel/fonts
// where the package installs them) or in the folder --fonts names.
#pragma once

#include "fonts/font_format.h"

#include <array>
#include <ctime>
#include <string>

struct ConvertFontSet {
    std::string folder;
    time_t modified = 0; // the newest font file's time: --update compares outputs with it
    std::array<std::array<unsigned char, FONT_DATA_SIZE>, FONT_COUNT> glyphs;
};

// Reads all ten fonts from `folder`, or from the shipped fonts when it is
// empty. False with `reason` set when a font is missing or is not a font
// file (exactly FONT_DATA_SIZE bytes).
bool convert_fonts_load(const std::string &folder, ConvertFontSet *fonts, std::string *reason);
