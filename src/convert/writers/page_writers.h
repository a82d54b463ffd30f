// Pages of a document as PDF and PNG: the pictures printing makes, on the
// printable area of a paper less its margins, at 96 pixels per inch. In a
// PDF the glyphs are the screen fonts' pixels as Type 3 fonts and carry their
// Unicode characters, so its text can be searched and copied.
#pragma once

#include "convert/writers/progress.h"
#include "fonts/font_format.h"
#include "lines/lines.h"
#include "convert/writers/page_picture.h"
#include "main/page_layout.h"

#include <cstdio>
#include <ctime>
#include <string>

struct PageSetup {
    double paper_width_mm, paper_height_mm, margin_mm;
};
PageSetup page_setup_a4(double margin_mm);
PageSetup page_setup_letter(double margin_mm);

// A page setup in whole 96-dpi pixels: the paper and the margins are each
// rounded to pixels, so the printable area starts on a whole pixel and the
// pages compare pixel for pixel. The footer has a row of its own.
struct PagePixels {
    int paper_width, paper_height;
    int left, top; // the printable area's corner on the paper
    PageLayout layout;
};
PagePixels page_pixels(const PageSetup &setup);
// Whether a page of this setup holds a line above its footer (and its sizes
// are numbers from 0 to PDF's largest page, 200 inches); the writers refuse
// (return -1, writing nothing) a setup that does not.
bool page_setup_holds_lines(const PageSetup &setup);
// The pages a document of `lines` lines takes: at least 1, since an
// empty document gives one page with only its footer.
int document_page_count(const PageSetup &setup, int lines);

struct PdfInfo {
    const char *title_utf8;  // the file name with its extension
    const char *footer_path; // the input path as given (UTF-8), drawn in CP866, '?' for the rest
    time_t modified;         // CreationDate and ModDate
};

// Writes the document as PDF. An empty document gives one page with only
// its footer. Returns 0, or -1 when writing failed; when cairo itself failed
// (not a write), `failure` (if given) says why.
int pdf_export_write(const LineNode *first, const PageFonts &fonts, const PageSetup &setup,
                     const PdfInfo &info, FILE *out, ConvertProgress *progress,
                     std::string *failure = nullptr);

// PNG: one file per page; the caller decides where each page goes.
struct PngPageOutput {
    // Before page `page` (1-based) of `page_count`: the stream to write it
    // to, or null to stop (failure).
    FILE *(*begin_page)(void *context, int page, int page_count);
    // After the page: ok is false when writing it failed. Returns 0, or -1
    // to stop (failure).
    int (*end_page)(void *context, FILE *stream, bool ok);
    void *context;
};

// Writes each page as an opaque PNG of the whole paper, every 96-dpi pixel
// `scale` x `scale` pixels (1 .. PNG_SCALE_MAX), 1 bit or 8 bits (grey) per
// pixel. Returns 0, or -1 when a page failed.
constexpr int PNG_SCALE_MAX = 16;
int png_export_write(const LineNode *first, const PageFonts &fonts, const PageSetup &setup,
                     const char *footer_path, int scale, bool grey, const PngPageOutput &output,
                     ConvertProgress *progress);
