// The Unicode character of each glyph the screen fonts draw, for every output
// that carries a document's text (plain text, HTML, the text layer of a PDF).
#pragma once

#include <array>
#include <cstddef>
#include <string_view>

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

// The character that starts at `text[at]`, moving `at` past it. A byte that
// does not start a well-formed sequence (a stray continuation, an overlong
// form, a surrogate, a cut sequence) gives U+FFFD and moves `at` by one.
char32_t utf8_decode(std::string_view text, size_t &at);

// cp866_glyph_unicode(byte) in UTF-8 for every byte, made at compile time; the
// text writers look up every byte of a document here.
extern const std::array<Utf8Char, 256> CP866_GLYPH_UTF8;

inline const Utf8Char &cp866_glyph_utf8(unsigned char byte) {
    return CP866_GLYPH_UTF8[byte];
}
