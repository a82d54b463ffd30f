// Converting one input into its output: load, write to a temporary file,
// rename into place.
#pragma once

#include "convert/options.h"
#include "convert/plan.h"
#include "convert/report.h"
#include "convert/writers/progress.h"
#include "convert/writers/page_writers.h"

#include <string>
#include <vector>

// What every conversion of a run shares; read only while jobs run.
struct ConvertSettings {
    const ConvertOptions *options;
    const ConvertPlan *plan;
    ConvertFonts fonts; // PDF and PNG only
    PageSetup page;
    time_t fonts_modified = 0;       // PDF and PNG: their outputs must be newer too
    ConvertReport *report = nullptr; // --report; writes from any thread
};

// What a conversion found out, for the report; numbers below 0 are not known.
struct ConvertJobResult {
    std::vector<std::string> outputs; // the files written (PNG: each page); "-": standard output
    int lines = -1;
    int pages = -1; // PDF and PNG
    // Standard input only, whose copy is gone afterwards: its size and
    // (with --report) its digest.
    long long stdin_size = -1;
    std::string stdin_sha256;
};

// False with `reason` set when the input could not be converted; then no
// output of it is left behind.
bool convert_job_run(const ConvertSettings &settings, const ConvertJob &job,
                     ConvertProgress *progress, ConvertJobResult *result, std::string *reason);
