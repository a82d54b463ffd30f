// Which lines Find finds: the dialog's text against each line's text (the
// text export's), one line at a time, so a match never spans two lines.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The Unicode character of a byte of the Windows Cyrillic code page, which
// the plug-in's dialogs use like the viewer's interface.
char32_t cp1251_unicode(unsigned char byte);

// The CP866 bytes of a line's text that show `text` (CP1251), character by
// character through Unicode; false when CP866 has no glyph for one of them,
// which then can match nothing. A tab stands for a tab.
bool find_text_cp866(std::string_view text, std::string *bytes);

struct FindMatcher {
    // Each byte as compared: a letter without match case as its lower case
    // (е, ё, Е and Ё as е), NUL as the space the text shows for it.
    std::array<unsigned char, 256> fold{};
    std::string pattern; // folded; empty when nothing can match
    // How far the pattern moves on, by the two text bytes under its last two
    // places (first << 8 | second); 0 where they are its own last two, which
    // then moves by `end_shift` after the comparison. Two bytes, not one: a
    // single letter of a word is in most windows of a text.
    std::vector<uint8_t> shift;
    size_t end_shift = 0;
    std::vector<unsigned char> plain; // the text of a line with codes, made per line
};

// Prepares the search for `text` (CP1251). An empty text, or one with a
// character CP866 lacks, matches no line.
void find_matcher_init(FindMatcher *matcher, std::string_view text, bool match_case);

// Whether the text of the document line `line` (raw bytes, in-line codes
// and all) holds the searched text.
bool find_matcher_line(FindMatcher *matcher, std::string_view line);
