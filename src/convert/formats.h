// The output formats, in one table: each one's names, the extension its
// outputs get, and its writer, which makes one file or one file per page.
#pragma once

#include "convert/writers/page_writers.h"
#include "convert/writers/text_writer.h"
#include "lines/lines.h"

#include <cstdio>
#include <ctime>
#include <string>

// How every document of a run is written.
struct WriterSettings {
    PageFonts fonts; // PDF and PNG only
    PageSetup page;
    TextExportOptions text;
    int scale = 1;     // PNG pixels per 96-dpi pixel
    bool grey = false; // PNG in 8-bit grey instead of 1-bit
};

// What a document's outputs show of where it came from.
struct DocumentNames {
    const char *title_utf8;  // the file name
    const char *footer_utf8; // the input path
    time_t modified;
};

struct OutputFormat {
    const char *name;
    const char *other_name; // another name --to and -o's extension accept, or null
    const char *extension;
    bool needs_fonts;
    bool binary; // not for a terminal
    // One file: returns 0, or -1 when writing failed, with `failure` set
    // when the cause is not the system's (errno). Null for pages.
    int (*write_file)(const LineNode *first, const DocumentNames &names,
                      const WriterSettings &settings, FILE *out, ConvertProgress *progress,
                      std::string *failure);
    // One file per page, each to the stream `output` gives. Null for one file.
    int (*write_pages)(const LineNode *first, const DocumentNames &names,
                       const WriterSettings &settings, const PngPageOutput &output,
                       ConvertProgress *progress);
};

// Whether `text` is `name` in any letter case (ASCII), as names on the
// command line and extensions are compared.
bool same_ignoring_case(const std::string &text, const char *name);
// The format `name` names (any letter case), or null.
const OutputFormat *output_format_named(const std::string &name);
// The format an output file name's extension names (any letter case), or null.
const OutputFormat *output_format_of_path(const std::string &path);
// Whether a file name in a folder is a document's: *.krv or *.txt, any letter case.
bool is_document_name(const std::string &name);
// `path` with its extension (if any) replaced by `extension`: "a/b.krv" -> "a/b.pdf".
std::string with_extension(const std::string &path, const char *extension);
// `path` less `extension` ("a/b.png" -> "a/b"), unchanged when it has another one.
std::string without_extension(const std::string &path, const char *extension);
