// Find's matcher on arbitrary lines and texts against a plain reading: the
// line's text from clip_text (one character per glyph or tab), each byte
// folded alike, and a naive search. Input: a flags byte (bit 0: match
// case), the text's length byte, the text (CP1251), then the line.
#include "find_plugin/clip_text.h"
#include "find_plugin/find_match.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size < 2)
        return 0;
    bool match_case = data[0] & 1;
    size_t text_length = data[1] % 64;
    if (size < 2 + text_length)
        return 0;
    std::string_view text(reinterpret_cast<const char *>(data + 2), text_length);
    std::string_view line(reinterpret_cast<const char *>(data + 2 + text_length),
                          size - 2 - text_length);

    FindMatcher matcher;
    find_matcher_init(&matcher, text, match_case);
    bool found = find_matcher_line(&matcher, line);

    std::string bytes;
    bool possible = find_text_cp866(text, &bytes) && !bytes.empty();
    size_t length = clip_text_length(line);
    std::u16string unicode(length, u'\0');
    std::string plain(length, '\0');
    clip_text_write(line, unicode.data(), plain.data());
    plain.resize(length - 2); // without CR LF
    bool expected = false;
    for (size_t at = 0; possible && !expected && at + bytes.size() <= plain.size(); ++at) {
        size_t i = 0;
        while (i < bytes.size() && matcher.fold[static_cast<unsigned char>(plain[at + i])] ==
                                       matcher.fold[static_cast<unsigned char>(bytes[i])])
            ++i;
        expected = i == bytes.size();
    }
    if (found != expected)
        std::abort();
    return 0;
}
