// The converter's command line: what to convert, into which format, where.
#pragma once

#include "convert/formats.h"

#include <string>
#include <vector>

// The name that stands for standard input as an input, standard output as -o.
constexpr char STANDARD_STREAM_NAME[] = "-";
inline bool is_standard_stream(const std::string &path) {
    return path == STANDARD_STREAM_NAME;
}

struct ConvertOptions {
    const OutputFormat *format = nullptr;
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
// --to nor -o's extension names the format, `format` stays null.
bool convert_options_parse(int argc, char **argv, ConvertOptions *options, std::string *error);
extern const char CONVERT_USAGE[];
