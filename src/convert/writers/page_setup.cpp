#include "convert/writers/page_writers.h"

#include "convert/writers/page_walk.h"
#include "text/cp866_from_utf8.h"

#include <cmath>

namespace {

constexpr double A4_WIDTH_MM = 210, A4_HEIGHT_MM = 297;
constexpr double LETTER_WIDTH_MM = 8.5 * MM_PER_INCH, LETTER_HEIGHT_MM = 11 * MM_PER_INCH;
// The largest page a PDF may have: 14,400 units of 1/72 inch, 200 inches.
// It also keeps the pixel arithmetic inside int.
constexpr double LARGEST_MM = 200 * MM_PER_INCH;

int pixels_from_mm(double mm) {
    if (!(mm >= 0)) // negative or not a number
        return 0;
    return static_cast<int>(
        std::lround(std::fmin(mm, LARGEST_MM) * PRINT_LOGICAL_DPI / MM_PER_INCH));
}

} // namespace

PageSetup page_setup_a4(double margin_mm) {
    return {A4_WIDTH_MM, A4_HEIGHT_MM, margin_mm};
}

PageSetup page_setup_letter(double margin_mm) {
    return {LETTER_WIDTH_MM, LETTER_HEIGHT_MM, margin_mm};
}

PagePixels page_pixels(const PageSetup &setup) {
    PagePixels pixels{};
    pixels.paper_width = pixels_from_mm(setup.paper_width_mm);
    pixels.paper_height = pixels_from_mm(setup.paper_height_mm);
    pixels.left = pixels.top = pixels_from_mm(setup.margin_mm);
    int width = pixels.paper_width - 2 * pixels.left;
    int height = pixels.paper_height - 2 * pixels.top;
    pixels.layout =
        page_layout_make(width > 0 ? width : 0, height > 0 ? height : 0, FooterRow::own_row);
    return pixels;
}

bool page_setup_holds_lines(const PageSetup &setup) {
    for (double mm : {setup.paper_width_mm, setup.paper_height_mm, setup.margin_mm})
        if (!(mm >= 0 && mm <= LARGEST_MM)) // not a number, negative, or too large
            return false;
    PagePixels pixels = page_pixels(setup);
    return pixels.layout.lines_per_page > 0 && pixels.layout.width > 0;
}

int document_page_count(const PageSetup &setup, int lines) {
    int pages = page_layout_page_count(page_pixels(setup).layout, lines);
    return pages > 0 ? pages : 1;
}

PageWalk page_walk_start(const LineNode *first, const PageSetup &setup, const char *footer_path) {
    PageWalk walk{};
    walk.pixels = page_pixels(setup);
    walk.footer_path = cp866_from_utf8(footer_path ? footer_path : "");
    LineList lines = const_cast<LineNode *>(first); // lines_count only reads
    walk.page_count = document_page_count(setup, lines_count(&lines));
    walk.page = 1;
    walk.next = first;
    return walk;
}

bool page_walk_advance(PageWalk &walk, ConvertProgress *progress) {
    size_t bytes = 0;
    for (int index = 0; index < walk.pixels.layout.lines_per_page && walk.next; ++index) {
        bytes += walk.next->length;
        walk.next = walk.next->next;
    }
    convert_progress_advance(progress, bytes);
    return ++walk.page <= walk.page_count;
}

cairo_status_t file_sink_write(void *closure, const unsigned char *data, unsigned int length) {
    auto *sink = static_cast<FileSink *>(closure);
    if (!sink->failed && std::fwrite(data, 1, length, sink->out) != length)
        sink->failed = true;
    return sink->failed ? CAIRO_STATUS_WRITE_ERROR : CAIRO_STATUS_SUCCESS;
}
