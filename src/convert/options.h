// The converter's command line: what to convert, into which format, where.
#pragma once

#include <string>
#include <vector>

enum class ConvertFormat { none, pdf, txt, html, png };

struct ConvertOptions {
    ConvertFormat format = ConvertFormat::none;
    std::string output;    // -o: a file, a folder or "-"; empty when not given
    std::string fonts_dir; // --fonts; empty: the shipped fonts
    int jobs = 0;          // 0: one per processor
    bool force = false;
    bool update = false; // skip inputs whose outputs are up to date
    std::string report;  // --report: a JSON Lines file, "-" or empty
    bool quiet = false;
    bool help = false;
    bool version = false;
    bool letter = false; // --paper letter (A4 otherwise)
    double margin_mm = 10;
    int scale = 1;     // PNG pixels per 96-dpi pixel, up to PNG_SCALE_MAX
    bool grey = false; // PNG in 8-bit grey instead of 1-bit
    bool crlf = false;
    bool expand_tabs = false;
    std::vector<std::string> inputs;
};

constexpr int CONVERT_MAX_JOBS = 64;
constexpr double CONVERT_MAX_MARGIN_MM = 50;

// Parses argv[1..]; false with `error` set for a usage error. When neither
// --to nor -o's extension names the format, `format` stays none.
bool convert_options_parse(int argc, char **argv, ConvertOptions *options, std::string *error);
// The format an output file name's extension names (any letter case), or none.
ConvertFormat convert_format_of_path(const std::string &path);
// "pdf", "txt", "html", "png": the extension outputs get.
const char *convert_format_extension(ConvertFormat format);
extern const char CONVERT_USAGE[];
