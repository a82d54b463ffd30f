// The character of every glyph: the printable bytes against the C library's
// own CP866 converter, the control bytes against the IBM PC symbols; and
// UTF-8 both ways.
#include "text/cp866_unicode.h"

#include <gtest/gtest.h>

#include <iconv.h>

#include <set>
#include <string>

namespace {

std::string iconv_cp866_to_utf8(unsigned char byte) {
    iconv_t converter = iconv_open("UTF-8", "CP866");
    char in[1] = {static_cast<char>(byte)}, out[8] = {};
    char *in_at = in, *out_at = out;
    size_t in_left = 1, out_left = sizeof out;
    size_t result = iconv(converter, &in_at, &in_left, &out_at, &out_left);
    iconv_close(converter);
    return result == static_cast<size_t>(-1) ? "(none)" : std::string(out, out_at);
}

std::string utf8_string(const Utf8Char &character) {
    return std::string(character.bytes, character.length);
}

} // namespace

TEST(Cp866Unicode, EveryByteShowsItsGlyphsCharacter) {
    const std::u32string controls = U" ☺☻♥♦♣♠•◘○◙♂♀♪♫☼►◄↕‼¶§▬↨↑↓→←∟↔▲▼"; // NUL is blank
    ASSERT_EQ(controls.size(), 32u);
    std::set<char32_t> seen;
    for (int byte = 0; byte < 256; ++byte) {
        char32_t character = cp866_glyph_unicode(byte);
        if (byte < 0x20 || byte == 0x7F)
            EXPECT_EQ(character, byte == 0x7F ? U'⌂' : controls[byte]) << byte;
        else
            EXPECT_EQ(utf8_string(cp866_glyph_utf8(byte)), iconv_cp866_to_utf8(byte)) << byte;
        EXPECT_EQ(utf8_string(cp866_glyph_utf8(byte)), utf8_string(utf8_encode(character)));
        seen.insert(character);
    }
    EXPECT_EQ(seen.size(), 255u); // only NUL and the space read alike
}

TEST(Cp866Unicode, Utf8BothWays) {
    auto decoded = [](std::string_view text) {
        std::u32string characters;
        for (size_t at = 0; at < text.size();)
            characters += utf8_decode(text, at);
        return characters;
    };
    for (char32_t c : {0x0, 0x7F, 0x80, 0x7FF, 0x800, 0xFFFF, 0x10000, 0x10FFFF})
        EXPECT_EQ(decoded(utf8_string(utf8_encode(c))), std::u32string(1, c));
    EXPECT_EQ(utf8_string(utf8_encode(U'😀')), "\xF0\x9F\x98\x80");
    EXPECT_EQ(utf8_string(utf8_encode(0xD800)), "\uFFFD"); // a surrogate is no character
    // A broken sequence reads as one U+FFFD per byte.
    EXPECT_EQ(decoded("a\x80\xC0\xAF\xE2\x94"), U"a\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD");
    EXPECT_EQ(decoded("\xED\xA0\x80\xF4\x90\x80\x80"), std::u32string(7, 0xFFFD));
}
