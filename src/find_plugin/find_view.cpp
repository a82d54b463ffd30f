#include "find_plugin/find_view.h"

#include "fonts/font_format.h"

#include <algorithm>

int32_t find_start_line(int32_t last_found, int32_t top, int32_t rows, bool forward) {
    bool on_screen = last_found >= 0 && last_found >= top && last_found - top < rows;
    if (on_screen)
        return forward ? last_found + 1 : last_found - 1;
    return forward ? top : top - 1;
}

int32_t find_top_for(int32_t top, int32_t rows, int32_t line) {
    if (line >= top && line - top < rows)
        return top;
    int32_t above = std::clamp(rows - 1, 0, FIND_ROWS_ABOVE_FOUND);
    return std::max(line - above, 0);
}

uint16_t find_row_y(int32_t row) {
    // The middle of the row: clear of the (y + 1) rounding at its edges.
    return static_cast<uint16_t>(row * LINE_HEIGHT + LINE_HEIGHT / 2);
}

bool find_parse_line_number(std::string_view text, int32_t count, int32_t *line) {
    if (text.empty())
        return false;
    int64_t number = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return false;
        number = number * 10 + (c - '0');
        if (number >= count)
            return false;
    }
    *line = static_cast<int32_t>(number);
    return true;
}
