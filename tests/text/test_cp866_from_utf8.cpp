// Text from outside a document in the fonts' bytes: every character a glyph
// shows gives its byte, anything else (or broken UTF-8, byte by byte) '?'.
#include "text/cp866_from_utf8.h"
#include "text/cp866_unicode.h"

#include <gtest/gtest.h>

TEST(Cp866FromUtf8, GlyphCharactersGiveTheirBytesAndTheRestQuestionMarks) {
    for (int byte = 1; byte < 256; ++byte) {
        const Utf8Char &character = cp866_glyph_utf8(static_cast<unsigned char>(byte));
        EXPECT_EQ(cp866_from_utf8({character.bytes, character.length}), std::string(1, char(byte)));
    }
    EXPECT_EQ(cp866_from_utf8("/Пи №1"), "/\x8f\xa8 \xfc\x31");
    // é, a tab, NUL, CJK; a lone continuation, a cut sequence, an overlong
    // form, a surrogate, a cut 4-byte sequence.
    EXPECT_EQ(cp866_from_utf8(std::string("\u00e9\t\0\u4e2d", 7)), "????");
    EXPECT_EQ(cp866_from_utf8("\x80"
                              "a\xd0"
                              "b\xc0\xaf"
                              "c\xed\xa0\x80"
                              "d\xf0\x9f\x98"),
              "?a?b??c???d???");
}
