#include "main/page_layout.h"

#include <climits>
#include <cstdint>
#include <cstdio>

namespace {

// size * 96 / dpi, truncating, kept inside int without overflow.
int logical_size(int device_size, int dpi) {
    if (device_size <= 0)
        return 0;
    int64_t size = int64_t{device_size} * PRINT_LOGICAL_DPI / dpi;
    return size > INT_MAX ? INT_MAX : static_cast<int>(size);
}

} // namespace

int print_effective_dpi(int reported_dpi) {
    return reported_dpi < PRINT_MIN_DPI ? PRINT_FALLBACK_DPI : reported_dpi;
}

PrintGeometry print_geometry(int reported_dpi_x, int reported_dpi_y, int device_width,
                             int device_height) {
    PrintGeometry geometry{};
    geometry.dpi_x = print_effective_dpi(reported_dpi_x);
    geometry.dpi_y = print_effective_dpi(reported_dpi_y);
    geometry.device_width = device_width;
    geometry.device_height = device_height;
    geometry.page_width = logical_size(device_width, geometry.dpi_x);
    geometry.page_height = logical_size(device_height, geometry.dpi_y);
    return geometry;
}

PageLayout page_layout_make(int width, int height, FooterRow footer) {
    // A negative height (a failed query) must not overflow the footer's row.
    PageLayout layout{width, height, 0, (height < 0 ? 0 : height) - LINE_HEIGHT};
    if (footer == FooterRow::over_last_line) {
        if (height > LINE_HEIGHT)
            layout.lines_per_page = (height - 1) / LINE_HEIGHT;
    } else if (height >= 2 * LINE_HEIGHT) {
        layout.lines_per_page = layout.footer_y / LINE_HEIGHT;
    }
    return layout;
}

int page_layout_page_count(const PageLayout &layout, int line_count) {
    int per_page = layout.lines_per_page;
    if (line_count <= 0 || per_page == 0)
        return 0;
    return line_count / per_page + (line_count % per_page != 0);
}

size_t print_page_text(char *text, int page, int total) {
    // "из" in CP866: 0xA8 0xA7.
    int length = std::snprintf(text, PRINT_PAGE_TEXT_SIZE, "%d \xA8\xA7 %d", page, total);
    if (length < 0)
        return 0;
    return static_cast<size_t>(length) < PRINT_PAGE_TEXT_SIZE ? length : PRINT_PAGE_TEXT_SIZE - 1;
}

int print_right_aligned_x(int page_width, size_t length) {
    int64_t x = int64_t{page_width} - int64_t{CHAR_WIDTH} * static_cast<int64_t>(length);
    return x < INT_MIN ? INT_MIN : static_cast<int>(x);
}
