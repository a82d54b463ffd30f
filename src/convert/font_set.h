// The screen fonts PDF and PNG pages are drawn with: found beside the
// program (<program folder>/fonts, or <program folder>/../lib/korvel/fonts
// where the package installs them) or in the folder --fonts names.
#pragma once

#include "convert/writers/page_picture.h"

#include <ctime>
#include <string>

// Reads all ten fonts from `folder`, or from the shipped fonts when it is
// empty, into `fonts`, whose bytes stay for the rest of the run. False with
// `reason` set when a font is missing or is not a font file (exactly
// FONT_DATA_SIZE bytes).
bool page_fonts_load(const std::string &folder, PageFonts *fonts, std::string *reason);
// The newest modification time of the fonts page_fonts_load reads from
// `folder`: --update takes outputs older than it as out of date.
time_t page_fonts_modified(const std::string &folder);
