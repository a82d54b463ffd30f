// The Unicode character of each glyph the screen fonts draw, for every output
// that carries a document's text (plain text, HTML, the text layer of a PDF).
#pragma once

#include <cstddef>

// The character the screen shows for `byte`: CP866 for 0x20-0xFF (0xFF, the
// no-break space, is U+00A0), the IBM PC symbols for 0x01-0x1F (☺ ☻ ♥ ...) and
// 0x7F (⌂), and a space for NUL, whose glyph is blank.
char32_t cp866_glyph_unicode(unsigned char byte);

// A character in UTF-8: `length` bytes (1-4) at the start of `bytes`.
struct Utf8Char {
    char bytes[4];
    unsigned char length;
};

// Encodes a Unicode scalar value; anything else (a surrogate, above
// U+10FFFF) becomes U+FFFD.
Utf8Char utf8_encode(char32_t character);

// cp866_glyph_unicode(byte) in UTF-8, from a table made once.
const Utf8Char &cp866_glyph_utf8(unsigned char byte);
