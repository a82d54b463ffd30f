// Page arithmetic with any printer answers: no overflow or other undefined
// behaviour, and the pagination invariants hold.
#include "main/print_layout.h"

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

    int per_page = print_lines_per_page(geometry.page_height);
    // Every line row lies wholly above the page's last row.
    if (per_page > 0 && (per_page - 1) * LINE_HEIGHT + LINE_HEIGHT >= geometry.page_height)
        std::abort();
    int lines = values[4];
    int pages = print_page_count(lines, geometry.page_height);
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
