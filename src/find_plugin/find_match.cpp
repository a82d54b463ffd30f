#include "find_plugin/find_match.h"

#include "text/cp866_from_utf8.h"
#include "text/cp866_unicode.h"
#include "text/text_line.h"

#include <algorithm>

namespace {

// 0x80-0xBF; 0xC0-0xFF are А-я in order. 0x98 has no character and is
// taken as its own code, as Windows does.
constexpr char16_t CP1251_HIGH[64] = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, //
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F, //
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, //
    0x0098, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, //
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7, //
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407, //
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7, //
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457, //
};

// CP866 letters: the upper case of a pair, and its lower case.
struct CasePair {
    unsigned char first_upper, first_lower, count;
};
constexpr CasePair CASE_PAIRS[] = {
    {'A', 'a', 26},   // Latin
    {0x80, 0xA0, 16}, // А-П, а-п
    {0x90, 0xE0, 16}, // Р-Я, р-я
    {0xF0, 0xF1, 1},  // Ё ё
    {0xF2, 0xF3, 1},  // Є є
    {0xF4, 0xF5, 1},  // Ї ї
    {0xF6, 0xF7, 1},  // Ў ў
};
constexpr unsigned char CYRILLIC_IE_LOWER = 0xA5; // е
constexpr unsigned char CYRILLIC_IO_LOWER = 0xF1; // ё

std::array<unsigned char, 256> make_fold(bool match_case) {
    std::array<unsigned char, 256> fold{};
    for (int byte = 0; byte < 256; ++byte)
        fold[byte] = static_cast<unsigned char>(byte);
    fold[0] = ' ';
    if (match_case)
        return fold;
    for (const CasePair &pair : CASE_PAIRS)
        for (int i = 0; i < pair.count; ++i)
            fold[pair.first_upper + i] = static_cast<unsigned char>(pair.first_lower + i);
    // Russian texts write е for ё: both, in either case, are one letter here.
    for (unsigned char &folded : fold)
        if (folded == CYRILLIC_IO_LOWER)
            folded = CYRILLIC_IE_LOWER;
    return fold;
}

// Horspool's search on the last two bytes of the window (for a pattern of
// two bytes or more).
bool holds(const FindMatcher &matcher, const unsigned char *text, size_t length) {
    const std::string &pattern = matcher.pattern;
    const size_t last = pattern.size() - 1;
    const auto *folded_pattern = reinterpret_cast<const unsigned char *>(pattern.data());
    if (last == 0) {
        for (size_t at = 0; at < length; ++at)
            if (matcher.fold[text[at]] == folded_pattern[0])
                return true;
        return false;
    }
    for (size_t end = last; end < length;) {
        size_t shift = matcher.shift[text[end - 1] << 8 | text[end]];
        if (shift == 0) {
            const unsigned char *window = text + end - last;
            size_t i = 0;
            while (i + 1 < last && matcher.fold[window[i]] == folded_pattern[i])
                ++i;
            if (i + 1 >= last)
                return true;
            shift = matcher.end_shift;
        }
        end += shift;
    }
    return false;
}

// The shift for two folded bytes: the pattern moves until an earlier place
// of them in it lines up, or until its first byte is under the second of
// them, or wholly past them; never more than a byte can hold.
std::vector<uint8_t> folded_shifts(const std::string &pattern) {
    const size_t last = pattern.size() - 1;
    const auto *bytes = reinterpret_cast<const unsigned char *>(pattern.data());
    auto capped = [](size_t shift) { return static_cast<uint8_t>(std::min<size_t>(shift, 255)); };
    std::vector<uint8_t> shifts(65536, capped(last + 1));
    for (int first = 0; first < 256; ++first)
        shifts[first << 8 | bytes[0]] = capped(last);
    for (size_t k = 1; k < last; ++k)
        shifts[bytes[k - 1] << 8 | bytes[k]] = capped(last - k);
    return shifts;
}

} // namespace

char32_t cp1251_unicode(unsigned char byte) {
    if (byte < 0x80)
        return byte;
    if (byte < 0xC0)
        return CP1251_HIGH[byte - 0x80];
    return U'А' + (byte - 0xC0);
}

bool find_text_cp866(std::string_view text, std::string *bytes) {
    bytes->clear();
    for (char c : text) {
        char32_t character = cp1251_unicode(static_cast<unsigned char>(c));
        if (character == U'\t') { // in a line's text 0x09 is always a tab
            *bytes += static_cast<char>(TAB_BYTE);
            continue;
        }
        Utf8Char utf8 = utf8_encode(character);
        std::string byte = cp866_from_utf8(std::string_view(utf8.bytes, utf8.length));
        // '?' stands for a character without a glyph, unless it was asked for.
        if (byte == "?" && character != U'?')
            return false;
        *bytes += byte;
    }
    return true;
}

void find_matcher_init(FindMatcher *matcher, std::string_view text, bool match_case) {
    matcher->fold = make_fold(match_case);
    std::string bytes;
    if (!find_text_cp866(text, &bytes))
        bytes.clear();
    for (char &byte : bytes)
        byte = static_cast<char>(matcher->fold[static_cast<unsigned char>(byte)]);
    matcher->pattern = bytes;
    matcher->shift.clear();
    if (bytes.size() < 2)
        return;
    // Indexed by the raw bytes, so the search folds only to compare.
    std::vector<uint8_t> folded = folded_shifts(bytes);
    const size_t end_pair = static_cast<unsigned char>(bytes[bytes.size() - 2]) << 8 |
                            static_cast<unsigned char>(bytes.back());
    matcher->end_shift = folded[end_pair];
    folded[end_pair] = 0;
    matcher->shift.resize(65536);
    for (int first = 0; first < 256; ++first)
        for (int second = 0; second < 256; ++second)
            matcher->shift[first << 8 | second] =
                folded[matcher->fold[first] << 8 | matcher->fold[second]];
}

bool find_matcher_line(FindMatcher *matcher, std::string_view line) {
    if (matcher->pattern.empty())
        return false;
    const auto *bytes = reinterpret_cast<const unsigned char *>(line.data());
    if (text_line_is_plain(bytes, line.size()))
        return holds(*matcher, bytes, line.size());
    std::vector<unsigned char> &plain = matcher->plain;
    plain.clear();
    LineCodeState state;
    text_line_walk(
        state, bytes, 0, line.size(), [&](unsigned char glyph) { plain.push_back(glyph); },
        [&](int, int) { plain.push_back(TAB_BYTE); });
    return holds(*matcher, plain.data(), plain.size());
}
