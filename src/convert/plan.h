// What one run converts, decided once before anything is converted: every
// input file (folders taken apart) with the output it goes to, and how
// every document is written.
#pragma once

#include "convert/formats.h"
#include "convert/options.h"

#include <ctime>
#include <string>
#include <vector>

// Standard input has no name; its outputs, title and footer use this one.
constexpr char STDIN_DOCUMENT_NAME[] = "stdin";

struct ConvertJob {
    std::string input;  // as given, or found in a given folder; empty for standard input
    std::string output; // a file; PNG pages are named after it (output_page_path)
    bool from_stdin;
    bool to_stdout;
    unsigned long long size; // for the progress line
    time_t modified;
};

// How every job of a run is converted.
struct JobSettings {
    const OutputFormat *format;
    WriterSettings writer;
    bool replace; // an existing output may be replaced (--force)
};

struct ConvertPlan {
    JobSettings settings;
    std::vector<ConvertJob> jobs;      // in a fixed order: inputs as given, folders sorted
    std::vector<std::string> failures; // inputs that cannot be converted, with the reason
};

// Builds the plan; false with `usage_error` set when the command makes no
// sense or the fonts cannot be read.
bool convert_plan_make(const ConvertOptions &options, ConvertPlan *plan, std::string *usage_error);
// The file of page `page` (1-based) of a job whose format writes pages:
// "a/doc.png" -> "a/doc-001.png".
std::string output_page_path(const std::string &output, int page);
// How messages name a job's input.
std::string job_input_name(const ConvertJob &job);
