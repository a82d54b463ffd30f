// The document view's rules without any window: which lines are visible,
// where scrolling may go, which line a click marks, where the position text
// goes (its text is print_page_text's "<top line> из <line count>").
#pragma once

#include <cstdint>

// Scroll codes as the scroll bar sends them.
enum ViewScrollCode : int {
    VIEW_SB_LINEUP = 0,
    VIEW_SB_LINEDOWN = 1,
    VIEW_SB_PAGEUP = 2,
    VIEW_SB_PAGEDOWN = 3,
    VIEW_SB_THUMBTRACK = 5,
    VIEW_SB_TOP = 6,
    VIEW_SB_BOTTOM = 7,
};

// The marked range a new window starts with, until the first click; a
// plug-in that follows the marks starts from it too.
constexpr int32_t VIEW_INITIAL_MARK_FIRST = 2;
constexpr int32_t VIEW_INITIAL_MARK_LAST = 5;

// Where a scroll request moves the top line, or false when it is refused
// (requests that would leave 0 ... line_count are refused, never clamped).
// `page` is the number of whole rows the client area holds; `track` the
// thumb's position for a thumb drag.
bool view_scroll_target(int32_t top_line, int32_t line_count, int32_t page, int code, int32_t track,
                        int32_t *new_top);

// Rows that fit wholly into a client area of `height` pixels.
int32_t view_page_rows(int32_t height);

// The line a mouse press at client row `y` (0 ... 65535) stands for.
int32_t view_line_at(int32_t top_line, uint16_t y);

// Left edge of the position text of `length` bytes: it ends on the last whole
// cell of a client area `width` pixels wide.
int32_t view_position_x(int32_t width, int length);
