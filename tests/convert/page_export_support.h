// What the page tests share: the shipped fonts, documents made of given
// lines, the page model's pictures of a document, and Poppler's tools.
#pragma once

#include "convert/page_export.h"
#include "support/temp_dir.h"

#include <array>
#include <string>
#include <vector>

struct ShippedFonts {
    std::array<std::string, FONT_COUNT> bytes;
    ConvertFonts fonts{};
    ShippedFonts();
};

// A document loaded from `content` (CP866 bytes with CR LF line ends).
struct LoadedDocument {
    LineList lines = lines_new();
    LoadedDocument(const TempDir &dir, const std::string &content);
    ~LoadedDocument() { lines_free(&lines); }
};

struct GreyPage {
    int width = 0, height = 0;
    std::vector<unsigned char> pixels;
};

// The page model's 96-dpi pictures of every page, paper and all.
std::vector<GreyPage> expected_pages(const LineNode *first, const ShippedFonts &fonts,
                                     const PageSetup &setup, const std::string &footer_path);

// Runs a shell command; its standard output, and whether it exited with 0.
bool run_command(const std::string &command, std::string *output = nullptr);
// The PGM (P5) or PBM (P4) pages that a tool wrote as <prefix>-*.p?m, in order.
std::vector<GreyPage> read_pages(const TempDir &dir, const std::string &prefix);
// Describes where two pages differ; empty when they are equal.
std::string page_difference(const GreyPage &expected, const GreyPage &actual);
