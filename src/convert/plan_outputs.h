// The plan's look at what a job's output would replace.
#pragma once

#include "convert/input_ids.h"
#include "convert/plan.h"

#include <string>
#include <vector>

// The last folder listed for a page set: jobs come a folder at a time.
struct OutputListing {
    bool read = false;
    std::string folder;
    std::vector<std::string> names;
};

// Why the job may not be converted: its output would replace an input (any
// of `input_ids`), an existing file when replacing is not allowed, or
// anything but a file, or its path cannot be used here; empty when it may.
// Then, with `update`, marks whether its outputs are up to date, and notes
// its earlier pages.
std::string plan_output_check(const JobSettings &settings, bool update, const InputIds &input_ids,
                              OutputListing *listing, ConvertJob *job);
