#include "view_rules.h"

#include "fonts/font_format.h"

bool view_scroll_target(int32_t top_line, int32_t line_count, int32_t page, int code, int32_t track,
                        int32_t *new_top) {
    int64_t top = top_line;
    int64_t target;
    switch (code) {
    case VIEW_SB_LINEUP:
        if (top <= 0)
            return false;
        target = top - 1;
        break;
    case VIEW_SB_LINEDOWN:
        if (top >= line_count)
            return false;
        target = top + 1;
        break;
    case VIEW_SB_PAGEUP:
        if (top - page < 0)
            return false;
        target = top - page;
        break;
    case VIEW_SB_PAGEDOWN:
        if (top + page > line_count)
            return false;
        target = top + page;
        break;
    case VIEW_SB_THUMBTRACK:
        target = track;
        break;
    case VIEW_SB_TOP:
        if (top == 0)
            return false;
        target = 0;
        break;
    case VIEW_SB_BOTTOM:
        if (top == line_count)
            return false;
        target = line_count;
        break;
    default:
        return false;
    }
    *new_top = static_cast<int32_t>(target);
    return true;
}

int32_t view_page_rows(int32_t height) {
    return height / LINE_HEIGHT;
}

int32_t view_line_at(int32_t top_line, uint16_t y) {
    return static_cast<int32_t>(static_cast<int64_t>(top_line) + (y + 1) / LINE_HEIGHT);
}

int32_t view_position_x(int32_t width, int length) {
    return (width / CHAR_WIDTH - length) * CHAR_WIDTH;
}
