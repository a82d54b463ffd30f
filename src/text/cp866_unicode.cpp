#include "text/cp866_unicode.h"

namespace {

// 0x00-0x1F: NUL is blank, the rest are the IBM PC symbols.
constexpr char32_t LOW_SYMBOLS[32] = {
    U' ', U'☺', U'☻', U'♥', U'♦', U'♣', U'♠', U'•', U'◘', U'○', U'◙', U'♂', U'♀', U'♪', U'♫', U'☼',
    U'►', U'◄', U'↕', U'‼', U'¶', U'§', U'▬', U'↨', U'↑', U'↓', U'→', U'←', U'∟', U'↔', U'▲', U'▼',
};

// 0xB0-0xDF: shades, box drawing and blocks.
constexpr char32_t BOX_DRAWING[48] = {
    U'░', U'▒', U'▓', U'│', U'┤', U'╡', U'╢', U'╖', U'╕', U'╣', U'║', U'╗', U'╝', U'╜', U'╛', U'┐',
    U'└', U'┴', U'┬', U'├', U'─', U'┼', U'╞', U'╟', U'╚', U'╔', U'╩', U'╦', U'╠', U'═', U'╬', U'╧',
    U'╨', U'╤', U'╥', U'╙', U'╘', U'╒', U'╓', U'╫', U'╪', U'┘', U'┌', U'█', U'▄', U'▌', U'▐', U'▀',
};

// 0xF0-0xFF.
constexpr char32_t HIGH_SYMBOLS[16] = {
    U'Ё', U'ё', U'Є', U'є', U'Ї', U'ї', U'Ў', U'ў',
    U'°', U'∙', U'·', U'√', U'№', U'¤', U'■', U'\u00A0',
};

constexpr char32_t glyph_unicode(unsigned char byte) {
    if (byte < 0x20)
        return LOW_SYMBOLS[byte];
    if (byte < 0x7F)
        return byte;
    if (byte == 0x7F)
        return U'⌂';
    if (byte < 0xB0) // А-Я, а-п
        return U'А' + (byte - 0x80);
    if (byte < 0xE0)
        return BOX_DRAWING[byte - 0xB0];
    if (byte < 0xF0) // р-я
        return U'р' + (byte - 0xE0);
    return HIGH_SYMBOLS[byte - 0xF0];
}

constexpr Utf8Char encode(char32_t c) {
    if ((c >= 0xD800 && c < 0xE000) || c > 0x10FFFF)
        c = 0xFFFD;
    if (c < 0x80)
        return {{static_cast<char>(c)}, 1};
    if (c < 0x800)
        return {{static_cast<char>(0xC0 | c >> 6), static_cast<char>(0x80 | (c & 0x3F))}, 2};
    if (c < 0x10000)
        return {{static_cast<char>(0xE0 | c >> 12), static_cast<char>(0x80 | (c >> 6 & 0x3F)),
                 static_cast<char>(0x80 | (c & 0x3F))},
                3};
    return {{static_cast<char>(0xF0 | c >> 18), static_cast<char>(0x80 | (c >> 12 & 0x3F)),
             static_cast<char>(0x80 | (c >> 6 & 0x3F)), static_cast<char>(0x80 | (c & 0x3F))},
            4};
}

constexpr std::array<Utf8Char, 256> utf8_table() {
    std::array<Utf8Char, 256> table{};
    for (int byte = 0; byte < 256; ++byte)
        table[byte] = encode(glyph_unicode(static_cast<unsigned char>(byte)));
    return table;
}

} // namespace

constinit const std::array<Utf8Char, 256> CP866_GLYPH_UTF8 = utf8_table();

char32_t cp866_glyph_unicode(unsigned char byte) {
    return glyph_unicode(byte);
}

Utf8Char utf8_encode(char32_t character) {
    return encode(character);
}

char32_t utf8_decode(std::string_view text, size_t &at) {
    constexpr char32_t REPLACEMENT = 0xFFFD;
    auto lead = static_cast<unsigned char>(text[at]);
    size_t length = lead < 0x80   ? 1
                    : lead < 0xC2 ? 0
                    : lead < 0xE0 ? 2
                    : lead < 0xF0 ? 3
                    : lead < 0xF5 ? 4
                                  : 0;
    if (length == 0 || text.size() - at < length) {
        ++at;
        return length == 1 ? lead : REPLACEMENT;
    }
    char32_t character = length == 1 ? lead : lead & (0x7F >> length);
    for (size_t i = 1; i < length; ++i) {
        auto next = static_cast<unsigned char>(text[at + i]);
        if ((next & 0xC0) != 0x80) {
            ++at;
            return REPLACEMENT;
        }
        character = character << 6 | (next & 0x3F);
    }
    constexpr char32_t LOWEST[5] = {0, 0, 0x80, 0x800, 0x10000};
    if (character < LOWEST[length] || character > 0x10FFFF ||
        (character >= 0xD800 && character < 0xE000)) {
        ++at;
        return REPLACEMENT;
    }
    at += length;
    return character;
}
