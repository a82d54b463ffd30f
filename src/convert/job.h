// Converting one input into its output: load, write to a temporary file,
// rename into place.
#pragma once

#include "convert/options.h"
#include "convert/plan.h"
#include "convert/writers/progress.h"
#include "convert/writers/page_writers.h"

#include <string>

// What every conversion of a run shares; read only while jobs run.
struct ConvertSettings {
    const ConvertOptions *options;
    const ConvertPlan *plan;
    ConvertFonts fonts; // PDF and PNG only
    PageSetup page;
};

// False with `reason` set when the input could not be converted; then no
// output of it is left behind.
bool convert_job_run(const ConvertSettings &settings, const ConvertJob &job,
                     ConvertProgress *progress, std::string *reason);
