// What Find finds and what Copy puts on the clipboard, line by line. The
// texts are written in UTF-8 here and turned into the document's CP866 and
// the dialog's CP1251 by the system's iconv, a second opinion on our tables.
#include "find_plugin/clip_text.h"
#include "find_plugin/find_match.h"

#include <gtest/gtest.h>

#include <iconv.h>

namespace {

std::string convert(const char *to, std::string_view utf8) {
    iconv_t converter = iconv_open(to, "UTF-8");
    EXPECT_NE(converter, reinterpret_cast<iconv_t>(-1));
    std::string out(utf8.size() * 4, '\0');
    char *in = const_cast<char *>(utf8.data());
    char *at = out.data();
    size_t in_left = utf8.size(), out_left = out.size();
    EXPECT_NE(iconv(converter, &in, &in_left, &at, &out_left), static_cast<size_t>(-1)) << utf8;
    iconv_close(converter);
    out.resize(out.size() - out_left);
    return out;
}

// A document line: UTF-8 in CP866, '~' standing for the escape byte 0xFF.
std::string line_866(std::string_view utf8) {
    std::string line = convert("CP866", utf8);
    for (char &c : line)
        c = c == '~' ? '\xFF' : c;
    return line;
}

struct MatchCase {
    const char *line;
    const char *text; // as typed into the dialog
    bool match_case;
    bool found;
};

const MatchCase MATCH_CASES[] = {
    {"Hello, world", "WORLD", false, true},
    {"Hello, world", "WORLD", true, false},
    {"Hello, world", "world", true, true},
    {"Съешь же ещё этих мягких", "ЕЩЁ ЭТИХ", false, true},
    {"Съешь же ещё этих мягких", "ЕЩЁ ЭТИХ", true, false},
    {"Съешь же ещё этих мягких", "еще", false, true}, // е finds ё
    {"ЁЛКА", "елка", false, true},
    {"елка", "Ёлка", false, true},
    {"ёлка", "елка", true, false}, // with match case a letter is itself
    {"Їжак", "їЖАК", false, true},
    {"Ўсё", "ўсЁ", false, true},
    {"АБВГДЕЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯ", "абвгдежзийклмнопрстуфхцчшщъыьэюя", false, true},
    {"╔═╗ рамка", "РАМКА", false, true},
    {"сл~1о~_в~.о", "слово", false, true},     // codes inside a word
    {"сл~2~~ово", "сл\u00A0ово", false, true}, // 0xFF 0xFF: the byte 0xFF, a no-break space
    {"сл~2~~ово", "слово", false, false},
    {"a~~b", "a~b", true, false},
    {"знак ~", "знак", true, true},  // a code cut off at the end of the line
    {"цена 5 $", "€", false, false}, // CP866 has no €: nothing matches it
    {"цена 5 ?", "€", false, false},
    {"цена 5 ?", "?", false, true},
    {"a\tb", "a\tb", true, true},
    {"aaab", "aab", true, true},
    {"xbcabcabc", "abcabc", true, true}, // a near miss, then the match 3 bytes on
    {"abcababcab", "abcabc", true, false},
    {"xЕx", "е", false, true}, // one letter
    {"ab", "abc", true, false},
    {"", "a", false, false},
    {"anything", "", false, false},
    {"№ 5 · 3°", "№ 5 · 3°", true, true},
};

} // namespace

TEST(FindMatch, LineByLine) {
    for (const MatchCase &c : MATCH_CASES) {
        FindMatcher matcher;
        find_matcher_init(&matcher, convert("CP1251", c.text), c.match_case);
        EXPECT_EQ(find_matcher_line(&matcher, line_866(c.line)), c.found)
            << c.line << " / " << c.text << (c.match_case ? " (match case)" : "");
    }
}

// Moves longer than a byte holds are cut short, never past a match.
TEST(FindMatch, LongText) {
    std::string text(300, 'a');
    text += "bc";
    FindMatcher matcher;
    find_matcher_init(&matcher, text, true);
    EXPECT_TRUE(find_matcher_line(&matcher, "zz" + std::string(400, 'q') + "zz" + text + "q"));
    EXPECT_FALSE(find_matcher_line(&matcher, std::string(301, 'a') + "cb"));
}

TEST(FindMatch, NulShowsAsSpace) {
    FindMatcher matcher;
    find_matcher_init(&matcher, "a b", true);
    EXPECT_TRUE(find_matcher_line(&matcher, std::string_view("a\0b", 3)));
}

TEST(FindMatch, EveryCp1251ByteAsIconvReadsIt) {
    for (int byte = 0x80; byte < 0x100; ++byte) {
        if (byte == 0x98) // no character; iconv refuses it
            continue;
        iconv_t back = iconv_open("UTF-32LE", "CP1251");
        char in_byte = static_cast<char>(byte);
        char32_t character = 0;
        char *in = &in_byte, *out = reinterpret_cast<char *>(&character);
        size_t in_left = 1, out_left = sizeof character;
        iconv(back, &in, &in_left, &out, &out_left);
        iconv_close(back);
        EXPECT_EQ(cp1251_unicode(static_cast<unsigned char>(byte)), character) << byte;
    }
}

namespace {

struct ClipCase {
    const char *line;
    const char16_t *unicode;
    const char *oem;
};

const ClipCase CLIP_CASES[] = {
    {"", u"\r\n", "\r\n"},
    {"Текст", u"Текст\r\n", "\x92\xA5\xAA\xE1\xE2\r\n"},
    {"~1жир~0 и ~_черта~.", u"жир и черта\r\n", "\xA6\xA8\xE0 \xA8 \xE7\xA5\xE0\xE2\xA0\r\n"},
    {"a~~b\tc", u"a\u00A0b\tc\r\n",
     "a\xFF"
     "b\tc\r\n"},
    {"╔═╗\x01", u"╔═╗☺\r\n", "\xC9\xCD\xBB\x01\r\n"},
};

} // namespace

TEST(ClipText, BothForms) {
    for (const ClipCase &c : CLIP_CASES) {
        std::string line = line_866(c.line);
        size_t length = clip_text_length(line);
        std::u16string unicode(length, u'#');
        std::string oem(length, '#');
        EXPECT_EQ(clip_text_write(line, unicode.data(), oem.data()), length) << c.line;
        EXPECT_EQ(unicode, c.unicode) << c.line;
        EXPECT_EQ(oem, c.oem) << c.line;
    }
}

TEST(ClipText, NulIsASpaceInBoth) {
    std::u16string unicode(5, u'#');
    std::string oem(5, '#');
    ASSERT_EQ(clip_text_write(std::string_view("a\0b", 3), unicode.data(), oem.data()), 5u);
    EXPECT_EQ(unicode, u"a b\r\n");
    EXPECT_EQ(oem, "a b\r\n");
}
