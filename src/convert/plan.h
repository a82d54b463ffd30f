// What one run converts: how every document is written, and how the inputs
// (folders taken apart, see plan_walk.h) map to outputs.
#pragma once

#include "convert/formats.h"
#include "convert/options.h"
#include "convert/system.h"

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
    FileId input_id;
    // Pages of an earlier conversion that are there (replacing is allowed):
    // those the new conversion does not write are removed.
    std::vector<std::string> earlier_pages = {};
    bool up_to_date = false; // --update: its outputs are there and newer; not converted
};

// How every job of a run is converted.
struct JobSettings {
    const OutputFormat *format;
    WriterSettings writer;
    bool replace; // an existing output may be replaced (--force, --update)
    // --update: outputs older than this (or than their input) are out of date.
    time_t fonts_modified = 0;
    bool stdin_digest = false; // --report: take the SHA-256 of standard input as it is read
};

// An input that cannot be converted; `input` is empty for standard input.
struct ConvertFailure {
    std::string input;
    std::string reason;
};
// How messages say it: "<input>: <reason>".
std::string failure_message(const ConvertFailure &failure);

struct ConvertPlan {
    JobSettings settings;
    bool update = false;
    bool output_into_folder = false; // outputs go under -o (or beside their inputs): a tree
    bool output_to_stdout = false;   // -o -
    bool stdin_to_stdout = false;    // standard input's output is standard output
    bool have_output_folder = false;
    FileId output_folder{}; // never walked as input
};

enum class PlanResult {
    ready,
    usage_error,  // the command makes no sense
    cannot_start, // such as a font that cannot be read
};

// Checks the command and builds the plan; when it is not ready, `error` says why.
PlanResult convert_plan_make(const ConvertOptions &options, ConvertPlan *plan, std::string *error);
// The file of page `page` (1-based) of a job whose format writes pages:
// "a/doc.png" -> "a/doc-001.png".
std::string output_page_path(const std::string &output, int page);
// Whether the file is a folder, or a link to one.
bool is_folder(const FileFacts &facts);
// How messages name a job's input.
std::string job_input_name(const ConvertJob &job);
