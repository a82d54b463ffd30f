#include "text/cp866_from_utf8.h"

#include "text/cp866_unicode.h"

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

} // namespace

std::string cp866_from_utf8(std::string_view utf8) {
    std::string bytes;
    bytes.reserve(utf8.size());
    // A broken sequence decodes as U+FFFD, which no byte shows: '?'.
    for (size_t at = 0; at < utf8.size();)
        bytes += byte_for(utf8_decode(utf8, at));
    return bytes;
}
