#include "find_plugin/clip_text.h"

#include "text/cp866_unicode.h"
#include "text/text_line.h"

#include <array>

namespace {

constexpr size_t LINE_END_LENGTH = 2; // CR LF

// Every glyph is in the Basic Multilingual Plane: one UTF-16 unit.
std::array<char16_t, 256> make_utf16() {
    std::array<char16_t, 256> table{};
    for (int byte = 0; byte < 256; ++byte)
        table[byte] = static_cast<char16_t>(cp866_glyph_unicode(static_cast<unsigned char>(byte)));
    return table;
}

} // namespace

size_t clip_text_length(std::string_view line) {
    const auto *bytes = reinterpret_cast<const unsigned char *>(line.data());
    if (text_line_is_plain(bytes, line.size()))
        return line.size() + LINE_END_LENGTH;
    size_t length = LINE_END_LENGTH;
    LineCodeState state;
    text_line_walk(
        state, bytes, 0, line.size(), [&](unsigned char) { ++length; },
        [&](int, int) { ++length; });
    return length;
}

size_t clip_text_write(std::string_view line, char16_t *unicode, char *oem) {
    const auto *bytes = reinterpret_cast<const unsigned char *>(line.data());
    size_t at = 0;
    LineCodeState state;
    static const std::array<char16_t, 256> utf16 = make_utf16();
    text_line_walk(
        state, bytes, 0, line.size(),
        [&](unsigned char glyph) {
            unicode[at] = utf16[glyph];
            oem[at++] = glyph ? static_cast<char>(glyph) : ' ';
        },
        [&](int, int) {
            unicode[at] = u'\t';
            oem[at++] = '\t';
        });
    for (char end : {'\r', '\n'}) {
        unicode[at] = static_cast<char16_t>(end);
        oem[at++] = end;
    }
    return at;
}
