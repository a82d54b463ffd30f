// A document line as text: what the text export writes and what Find
// searches. The in-line codes are removed, each remaining byte is a glyph
// (its character is cp866_glyph_unicode's) or a tab, and the line stops
// where the screen's columns do (LINE_COLUMN_LIMIT).
#pragma once

#include "fonts/line_codes.h"

#include <cstddef>
#include <cstring>

// Walks bytes from `done` up to `end` of a line, carrying `state` between
// calls so a line may be walked in stretches. Calls glyph(byte) for each
// glyph (0xFF 0xFF gives the byte 0xFF) and tab(from_column, to_column) for
// each tab. Returns where it stopped: `end`, or earlier once the line
// reached the column limit.
template <typename Glyph, typename Tab>
size_t text_line_walk(LineCodeState &state, const unsigned char *bytes, size_t done, size_t end,
                      Glyph &&glyph, Tab &&tab) {
    LineGlyph decoded;
    while (done < end && state.column < LINE_COLUMN_LIMIT) {
        if (!state.escape_pending && line_codes_plain_glyph(bytes[done])) {
            // Long plain stretches are the common case: a tight loop each.
            size_t room = static_cast<size_t>(LINE_COLUMN_LIMIT - state.column);
            size_t run_end = end - done < room ? end : done + room;
            size_t run_start = done;
            for (; done < run_end && line_codes_plain_glyph(bytes[done]); ++done)
                glyph(bytes[done]);
            state.column += static_cast<int>(done - run_start);
            continue;
        }
        int column = state.column;
        if (line_codes_step(state, bytes[done++], decoded)) // 0xFF 0xFF
            glyph(decoded.code);
        else if (state.column != column) // a tab; codes take no column
            tab(column, state.column);
    }
    return done;
}

// Whether a line of `length` bytes is its own text: no in-line code and too
// short to reach the column limit even if every byte were a tab.
inline bool text_line_is_plain(const unsigned char *bytes, size_t length) {
    return length <= static_cast<size_t>(LINE_COLUMN_LIMIT / TAB_WIDTH) &&
           !std::memchr(bytes, ESCAPE_BYTE, length);
}
