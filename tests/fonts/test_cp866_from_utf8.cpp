// Text from outside a document in the fonts' bytes: every character the
// fonts show comes back as its byte, the rest as '?'.
#include "fonts/cp866_from_utf8.h"
#include "fonts/cp866_unicode.h"

#include <gtest/gtest.h>

TEST(Cp866FromUtf8, EveryGlyphsCharacterGivesItsByte) {
    for (int byte = 1; byte < 256; ++byte) {
        const Utf8Char &character = cp866_glyph_utf8(static_cast<unsigned char>(byte));
        EXPECT_EQ(cp866_from_utf8({character.bytes, character.length}),
                  std::string(1, static_cast<char>(byte)))
            << byte;
    }
}

TEST(Cp866FromUtf8, PathsWithCyrillicAndCharactersTheFontsLack) {
    EXPECT_EQ(cp866_from_utf8("/архив/Письмо №1.krv"),
              "/\xa0\xe0\xe5\xa8\xa2/\x8f\xa8\xe1\xec\xac\xae \xfc"
              "1.krv");
    // é, a tab, a NUL and CJK have no glyph of their own.
    EXPECT_EQ(cp866_from_utf8(std::string("\u00e9\t\0\u4e2d", 7)), "????");
    // Broken UTF-8 (a lone continuation, a cut sequence, an overlong form, a
    // surrogate): one '?' per byte, and what follows is still read.
    EXPECT_EQ(cp866_from_utf8("\x80"
                              "a\xd0"
                              "b\xc0\xaf"
                              "c\xed\xa0\x80"
                              "d\xf0\x9f\x98"),
              "?a?b??c???d???");
    EXPECT_EQ(cp866_from_utf8(""), "");
}
