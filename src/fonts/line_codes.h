// The in-line codes of a document line: which glyph goes in which column, in
// which font and whether underlined. The renderer draws what this decodes;
// nothing here touches a drawing surface.
#pragma once

#include "font_format.h"

#include <cstddef>

constexpr int TAB_WIDTH = 8; // columns between tab stops
constexpr unsigned char TAB_BYTE = 0x09;
constexpr unsigned char ESCAPE_BYTE = 0xFF;    // starts a code pair
constexpr unsigned char CODE_FONT_FIRST = '0'; // '0'..'9' select font 0..9
constexpr unsigned char CODE_UNDERLINE_ON = '_';
constexpr unsigned char CODE_UNDERLINE_OFF = '.';

// Columns at or beyond this are past the coordinate range of any drawing
// surface; a line stops there, so columns and pixel positions never overflow.
constexpr int LINE_COLUMN_LIMIT = 1 << 24;

// One glyph to draw.
struct LineGlyph {
    int column; // grid column; the cell's left edge is x + CHAR_WIDTH * column
    int font;   // 0 .. FONT_COUNT - 1
    bool underline;
    unsigned char code; // glyph index, the byte itself
};

// State of one line, fresh for every line.
struct LineCodeState {
    int column = 0;
    int font = 0;
    bool underline = false;
    bool escape_pending = false;
};

// Whether `byte`, when no escape is pending, is simply drawn as its own glyph
// in the next column. Writers that only need the glyphs' order use it to pass
// over long plain stretches quickly.
constexpr bool line_codes_plain_glyph(unsigned char byte) {
    return byte != TAB_BYTE && byte != ESCAPE_BYTE;
}

// Acts on one byte. Returns true when it yields a glyph, which is then in
// `glyph`; the column has already moved past it.
inline bool line_codes_step(LineCodeState &state, unsigned char byte, LineGlyph &glyph) {
    if (state.escape_pending) {
        state.escape_pending = false;
        if (byte != ESCAPE_BYTE) {
            if (byte >= CODE_FONT_FIRST && byte < CODE_FONT_FIRST + FONT_COUNT)
                state.font = byte - CODE_FONT_FIRST;
            else if (byte == CODE_UNDERLINE_ON)
                state.underline = true;
            else if (byte == CODE_UNDERLINE_OFF)
                state.underline = false;
            return false; // any other code byte does nothing
        }
        // Two escape bytes: glyph 0xFF, drawn like any other glyph.
    } else if (byte == TAB_BYTE) {
        state.column = state.column / TAB_WIDTH * TAB_WIDTH + TAB_WIDTH;
        return false;
    } else if (byte == ESCAPE_BYTE) {
        state.escape_pending = true;
        return false;
    }
    glyph = {state.column, state.font, state.underline, byte};
    ++state.column;
    return true;
}

// Calls draw(const LineGlyph &) for each glyph of the line, in order.
template <typename DrawGlyph>
void line_codes_decode(const unsigned char *bytes, size_t length, DrawGlyph &&draw) {
    LineCodeState state;
    LineGlyph glyph;
    for (size_t i = 0; i < length && state.column < LINE_COLUMN_LIMIT; ++i)
        if (line_codes_step(state, bytes[i], glyph))
            draw(static_cast<const LineGlyph &>(glyph));
}

// How many leading bytes of a line hold every glyph that lands in a column
// below `columns`; what follows can only draw further right. Drawing that
// prefix shows on a surface `columns` cells wide exactly what the whole line
// shows, so a line of megabytes costs no more than the window's width.
inline size_t line_codes_visible_length(const unsigned char *bytes, size_t length, int columns) {
    if (columns <= 0)
        return 0;
    // No byte moves the column by more than a tab does.
    if (length <= static_cast<size_t>(columns) / TAB_WIDTH)
        return length;
    LineCodeState state;
    LineGlyph glyph;
    for (size_t i = 0; i < length; ++i) {
        if (state.column >= columns)
            return i;
        line_codes_step(state, bytes[i], glyph);
    }
    return length;
}
