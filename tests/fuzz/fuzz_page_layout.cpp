// Page arithmetic with any printer answers: no overflow or other undefined
// behaviour, and the pagination invariants hold.
#include "main/page_layout.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    int values[5] = {};
    std::memcpy(values, data, size < sizeof values ? size : sizeof values);
    PrintGeometry geometry = print_geometry(values[0], values[1], values[2], values[3]);
    if (geometry.dpi_x < PRINT_MIN_DPI || geometry.dpi_y < PRINT_MIN_DPI)
        std::abort();
    if (geometry.page_width < 0 || geometry.page_height < 0)
        std::abort();

    const FooterRow footer = values[4] & 1 ? FooterRow::own_row : FooterRow::over_last_line;
    PageLayout layout = page_layout_make(geometry.page_width, geometry.page_height, footer);
    int per_page = layout.lines_per_page;
    // Every line row lies wholly above the page's last row, and above the
    // footer's when the footer has a row of its own.
    int64_t lines_bottom = int64_t{per_page} * LINE_HEIGHT;
    if (per_page > 0 && lines_bottom >= geometry.page_height)
        std::abort();
    if (footer == FooterRow::own_row && per_page > 0 && lines_bottom > layout.footer_y)
        std::abort();
    int lines = values[4];
    int pages = page_layout_page_count(layout, lines);
    if (lines <= 0 || per_page == 0) {
        if (pages != 0)
            std::abort();
    } else if (int64_t{pages} * per_page < lines || int64_t{pages - 1} * per_page >= lines) {
        std::abort();
    }

    char text[PRINT_PAGE_TEXT_SIZE];
    size_t length = print_page_text(text, values[0], values[1]);
    if (length == 0 || length >= PRINT_PAGE_TEXT_SIZE)
        std::abort();
    print_right_aligned_x(geometry.page_width, length);
    return 0;
}
