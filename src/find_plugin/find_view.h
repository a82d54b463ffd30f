// Where the plug-in moves and marks the view: the view's own arithmetic
// (rows of LINE_HEIGHT, the line a click at y marks) run the other way.
#pragma once

#include <cstdint>
#include <string_view>

// Rows a found line is shown below the top when the view has to move.
constexpr int32_t FIND_ROWS_ABOVE_FOUND = 3;

// The line a search starts on: after (forward) or before the last line
// found while it is on screen, else the window's top line (forward) or the
// one above it. May be -1 or `count`: the search then wraps at once.
int32_t find_start_line(int32_t last_found, int32_t top, int32_t rows, bool forward);

// The top line that shows `line`: `top` when the line is wholly on screen
// (`rows` whole rows), else a few rows above it.
int32_t find_top_for(int32_t top, int32_t rows, int32_t line);

// A client y inside row `row`: view_line_at(top, y) gives top + row.
uint16_t find_row_y(int32_t row);

// The line the Go to dialog's text names: digits only, 0 ... count - 1.
bool find_parse_line_number(std::string_view text, int32_t count, int32_t *line);
