// What the page tests share: the shipped fonts, documents, the page model's
// pictures of a document, and a command's output.
#pragma once

#include "convert/page_export.h"
#include "support/temp_dir.h"

#include <string>
#include <vector>

struct ShippedFonts {
    std::string bytes[FONT_COUNT];
    ConvertFonts fonts{};
    ShippedFonts();
};

// A document loaded from `content` (CP866 lines ending in CR LF).
struct LoadedDocument {
    LineList lines = lines_new();
    LoadedDocument(const TempDir &dir, const std::string &content);
    ~LoadedDocument() { lines_free(&lines); }
};

// One byte a pixel, PICTURE_PAPER or PICTURE_INK.
struct GreyPage {
    int width = 0, height = 0;
    std::vector<unsigned char> pixels;
};

// The page model's 96-dpi pictures of every page, paper and all.
std::vector<GreyPage> expected_pages(const LineNode *first, const ShippedFonts &fonts,
                                     const PageSetup &setup, const std::string &footer_path);
// Pixels that differ between two pages, or -1 when their sizes do.
long differing_pixels(const GreyPage &a, const GreyPage &b);
// A shell command's standard output; empty when it fails.
std::string command_output(const std::string &command);
// The grey pages (PGM) a tool wrote as <prefix>*.pgm, in order, as ink and paper.
std::vector<GreyPage> read_pgm_pages(const TempDir &dir, const std::string &prefix);
