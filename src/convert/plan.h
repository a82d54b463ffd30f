// What one run converts: every input file (folders taken apart) with the
// output it goes to.
#pragma once

#include "convert/options.h"
#include "convert/system.h"

#include <ctime>
#include <set>
#include <string>
#include <utility>
#include <vector>

struct ConvertJob {
    std::string input;  // as given, or found in a given folder; "-" is standard input
    std::string output; // "-" is standard output; PNG pages are named after it
    unsigned long long size;
    time_t modified;
    bool up_to_date = false; // --update: its outputs are there and newer; not converted
};

struct ConvertFailure {
    std::string input;
    std::string reason;
};

struct ConvertPlan {
    std::vector<ConvertJob> jobs;         // in a fixed order: inputs as given, folders sorted
    std::vector<ConvertFailure> failures; // inputs that cannot be converted
    std::set<FileId> input_ids;           // every input file, whatever its name
};

// Builds the plan; false with `usage_error` set when the command makes no
// sense. With --update, outputs must also be no older than `fonts_modified`.
bool convert_plan_make(const ConvertOptions &options, time_t fonts_modified, ConvertPlan *plan,
                       std::string *usage_error);
// True when `path` is one of the plan's input files, by this name or another.
bool convert_plan_is_input(const ConvertPlan &plan, const std::string &path);
