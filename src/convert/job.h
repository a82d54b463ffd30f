// Converting one input into its output: load, write to a temporary file,
// rename into place.
#pragma once

#include "convert/plan.h"
#include "convert/writers/progress.h"

#include <string>
#include <vector>

// What a conversion found out, for the report; numbers below 0 are not known.
struct ConvertJobResult {
    std::vector<std::string> outputs; // the files written (PNG: each page); "-": standard output
    int lines = -1;
    int pages = -1; // PDF and PNG
    // Standard input only, whose copy is gone afterwards: its size and
    // (JobSettings::stdin_digest) its SHA-256.
    long long stdin_size = -1;
    std::string stdin_sha256;
};

// False with `reason` set when the input could not be converted; then no
// output of it is left behind.
bool convert_job_run(const JobSettings &settings, const ConvertJob &job, ConvertProgress *progress,
                     ConvertJobResult *result, std::string *reason);
