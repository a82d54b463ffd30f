// The marked lines as the clipboard takes them: each line's text (the text
// export's) followed by CR LF, once in Unicode and once in CP866.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

// The most text Copy puts on the clipboard, in bytes of its Unicode form.
constexpr uint64_t CLIP_TEXT_LIMIT = uint64_t{256} * 1024 * 1024;

// Characters of a line's text with its CR LF: the same in both forms, since
// every glyph is one UTF-16 unit and one CP866 byte.
size_t clip_text_length(std::string_view line);

// Writes the line's text with its CR LF to `unicode` and to `oem` (codes
// removed; a NUL byte, which would end the text there, as the space it
// shows); clip_text_length(line) units each. Returns the count.
size_t clip_text_write(std::string_view line, char16_t *unicode, char *oem);
