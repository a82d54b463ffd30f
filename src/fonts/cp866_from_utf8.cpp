#include "fonts/cp866_from_utf8.h"

#include "fonts/cp866_unicode.h"

#include <algorithm>
#include <array>
#include <utility>

namespace {

constexpr char UNKNOWN = '?';

// Every character some byte shows, sorted, with its byte. NUL is left out:
// a space is shown by 0x20 itself.
using ReverseTable = std::array<std::pair<char32_t, unsigned char>, 255>;

ReverseTable make_reverse_table() {
    ReverseTable table{};
    for (int byte = 1; byte < 256; ++byte)
        table[byte - 1] = {cp866_glyph_unicode(static_cast<unsigned char>(byte)),
                           static_cast<unsigned char>(byte)};
    std::sort(table.begin(), table.end());
    return table;
}

char byte_for(char32_t character) {
    static const ReverseTable table = make_reverse_table();
    auto found = std::lower_bound(table.begin(), table.end(),
                                  std::pair<char32_t, unsigned char>{character, 0});
    if (found == table.end() || found->first != character)
        return UNKNOWN;
    return static_cast<char>(found->second);
}

// The character starting at `text[at]` and its length in bytes; a broken or
// overlong sequence is one byte long and yields no character.
std::pair<char32_t, size_t> decode_at(std::string_view text, size_t at) {
    constexpr char32_t NONE = 0xFFFFFFFF;
    unsigned char lead = static_cast<unsigned char>(text[at]);
    if (lead < 0x80)
        return {lead, 1};
    size_t length = lead >= 0xF0 && lead < 0xF5 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC2 ? 2 : 0;
    if (length == 0 || lead >= 0xF5 || at + length > text.size())
        return {NONE, 1};
    char32_t character = lead & (0x7F >> length);
    for (size_t i = 1; i < length; ++i) {
        unsigned char next = static_cast<unsigned char>(text[at + i]);
        if ((next & 0xC0) != 0x80)
            return {NONE, 1};
        character = character << 6 | (next & 0x3F);
    }
    constexpr char32_t LOWEST[5] = {0, 0, 0x80, 0x800, 0x10000};
    if (character < LOWEST[length] || character > 0x10FFFF ||
        (character >= 0xD800 && character < 0xE000))
        return {NONE, 1};
    return {character, length};
}

} // namespace

std::string cp866_from_utf8(std::string_view utf8) {
    std::string bytes;
    bytes.reserve(utf8.size());
    for (size_t at = 0; at < utf8.size();) {
        auto [character, length] = decode_at(utf8, at);
        bytes += byte_for(character);
        at += length;
    }
    return bytes;
}
