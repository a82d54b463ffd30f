// The character of every glyph, checked against the C library's own CP866
// converter for the printable range and against the IBM PC symbol list
// (written out as text here) for the control bytes; and the UTF-8 table.
#include "fonts/cp866_unicode.h"

#include <gtest/gtest.h>

#include <iconv.h>

#include <set>
#include <string>

namespace {

// The byte through iconv(3): CP866 to UTF-32 in the machine's byte order.
char32_t iconv_cp866(unsigned char byte) {
    iconv_t converter = iconv_open("UTF-32LE", "CP866");
    EXPECT_NE(converter, reinterpret_cast<iconv_t>(-1));
    char in[1] = {static_cast<char>(byte)};
    unsigned char out[4] = {};
    char *in_at = in, *out_at = reinterpret_cast<char *>(out);
    size_t in_left = 1, out_left = 4;
    EXPECT_NE(iconv(converter, &in_at, &in_left, &out_at, &out_left), static_cast<size_t>(-1));
    iconv_close(converter);
    return out[0] | out[1] << 8 | out[2] << 16 | char32_t{out[3]} << 24;
}

std::string utf8_of(unsigned char byte) {
    const Utf8Char &c = cp866_glyph_utf8(byte);
    return std::string(c.bytes, c.length);
}

} // namespace

TEST(Cp866Unicode, EveryByteShowsItsGlyphsCharacter) {
    // The symbols of bytes 0x01-0x1F, as the screen font draws them.
    const std::u32string symbols = U"☺☻♥♦♣♠•◘○◙♂♀♪♫☼►◄↕‼¶§▬↨↑↓→←∟↔▲▼";
    ASSERT_EQ(symbols.size(), 31u);
    std::set<char32_t> seen;
    for (int byte = 0; byte < 256; ++byte) {
        char32_t expected = byte == 0      ? U' '
                            : byte < 0x20  ? symbols[byte - 1]
                            : byte == 0x7F ? U'⌂'
                                           : iconv_cp866(byte);
        char32_t got = cp866_glyph_unicode(byte);
        EXPECT_EQ(got, expected) << "byte 0x" << std::hex << byte;
        EXPECT_TRUE(got >= 0x20 && got != 0x7F) << "byte 0x" << std::hex << byte;
        if (byte > 0)
            seen.insert(got);
    }
    EXPECT_EQ(seen.size(), 255u); // no two bytes give the same character
    EXPECT_EQ(cp866_glyph_unicode(0xFF), U'\u00A0');
    EXPECT_EQ(utf8_of(0xB3), "│");
    EXPECT_EQ(utf8_of(0xFC), "№");
}

TEST(Cp866Unicode, Utf8Encoding) {
    auto encoded = [](char32_t c) {
        Utf8Char u = utf8_encode(c);
        return std::string(u.bytes, u.length);
    };
    EXPECT_EQ(encoded(U'A'), "A");
    EXPECT_EQ(encoded(0x7F), "\x7F");
    EXPECT_EQ(encoded(0x80), "\xC2\x80");
    EXPECT_EQ(encoded(0x7FF), "\xDF\xBF");
    EXPECT_EQ(encoded(0x800), "\xE0\xA0\x80");
    EXPECT_EQ(encoded(0xFFFF), "\xEF\xBF\xBF");
    EXPECT_EQ(encoded(0x10000), "\xF0\x90\x80\x80");
    EXPECT_EQ(encoded(0x10FFFF), "\xF4\x8F\xBF\xBF");
    EXPECT_EQ(encoded(0xD800), "\xEF\xBF\xBD"); // a surrogate is no character
    EXPECT_EQ(encoded(0x110000), "\xEF\xBF\xBD");
    for (int byte = 0; byte < 256; ++byte)
        EXPECT_EQ(utf8_of(byte), encoded(cp866_glyph_unicode(byte)));
}
