// The way back from Unicode to the screen fonts' bytes, for text that comes
// from outside a document (a file's path drawn in a page footer).
#pragma once

#include <string>
#include <string_view>

// Each character of `utf8` as the CP866 byte whose glyph shows it (the
// inverse of cp866_glyph_unicode; U+00A0 is 0xFF, a space 0x20), or '?'
// where no glyph shows it; every byte of a broken sequence is one '?'.
std::string cp866_from_utf8(std::string_view utf8);
