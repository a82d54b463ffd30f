// What the PDF and PNG writers share: the document cut into the pages of
// the page model, and the footer path in the screen fonts' bytes.
#pragma once

#include "convert/writers/page_writers.h"

#include <cairo.h>

#include <cstdio>
#include <string>

constexpr double MM_PER_INCH = 25.4;

struct PageWalk {
    PagePixels pixels;
    std::string footer_path; // CP866 bytes
    int page_count;          // at least 1: an empty document gives one page with its footer
    int page;                // the page about to be drawn, 1-based
    const LineNode *next;    // its first line
};

PageWalk page_walk_start(const LineNode *first, const PageSetup &setup, const char *footer_path);
// After a page is drawn from walk.next: moves to the next page and reports
// the bytes of the lines passed. False after the last page.
bool page_walk_advance(PageWalk &walk, ConvertProgress *progress);

// A cairo write function's closure: the stream, and whether a write failed.
struct FileSink {
    FILE *out;
    bool failed;
};
// A cairo_write_func_t; `closure` is a FileSink.
cairo_status_t file_sink_write(void *closure, const unsigned char *data, unsigned int length);
