// The page model, free of any Windows call: the logical 96-dpi page made
// from a printer's printable area, how a document is cut into pages, and
// where the footer texts go. Printing and the converter's PDF and PNG pages
// share it, so a printed page and a converted one cannot drift apart.
#pragma once

#include "fonts/font_format.h"

#include <cstddef>

constexpr int PRINT_LOGICAL_DPI = 96;
// Printers reporting less than this (a failed query gives 0) are taken as
// PRINT_FALLBACK_DPI, so the page size never divides by zero.
constexpr int PRINT_MIN_DPI = 100;
constexpr int PRINT_FALLBACK_DPI = 300;
// Room for "%d из %d" with two full 32-bit numbers and the terminator.
constexpr size_t PRINT_PAGE_TEXT_SIZE = 32;

struct PrintGeometry {
    int dpi_x; // resolution used for the page, never below PRINT_MIN_DPI
    int dpi_y;
    int device_width; // printable area in printer pixels (HORZRES, VERTRES)
    int device_height;
    int page_width; // the logical page in 96-dpi pixels
    int page_height;
};

int print_effective_dpi(int reported_dpi);
// The page for a printer reporting these resolutions and printable area.
PrintGeometry print_geometry(int reported_dpi_x, int reported_dpi_y, int device_width,
                             int device_height);
// Where the footer row lies against the lines. On paper a full page's last
// line lies under the footer, whose rows overprint its lower part. A page for
// an archive must not hide text, so there the footer has a row of its own
// and a page holds one line less.
enum class FooterRow { over_last_line, own_row };

// One page of the document: lines from the top-left corner down, a row of
// LINE_HEIGHT pixels each, and the footer in the page's bottom row.
struct PageLayout {
    int width; // the page in 96-dpi pixels
    int height;
    int lines_per_page; // 0 when the page is too small for a line
    int footer_y;       // top of the footer texts
};

// Paper: rows of 19 pixels whose top y satisfies y + 19 < page height, so a
// page of 19 pixels or less holds none. Own footer row: the rows that end
// above the footer's.
PageLayout page_layout_make(int width, int height, FooterRow footer);
// Pages needed for `line_count` lines; 0 for an empty document, and 0 when
// the page is too small to hold a line (a print job then prints no page).
int page_layout_page_count(const PageLayout &layout, int line_count);
// Writes "<page> из <total>" with the two Cyrillic letters in CP866 into
// `text` (PRINT_PAGE_TEXT_SIZE bytes) and returns its length in bytes. The
// view's position indicator ("<top line> из <line count>") is the same text.
size_t print_page_text(char *text, int page, int total);
// Left edge of a footer text of `length` bytes that ends at the page's right edge.
int print_right_aligned_x(int page_width, size_t length);
