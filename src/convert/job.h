// Converting one input into its output: load, write to a temporary file,
// rename into place.
#pragma once

#include "convert/plan.h"
#include "convert/writers/progress.h"

#include <string>

// False with `reason` set when the input could not be converted; then no
// output of it is left behind.
bool convert_job_run(const JobSettings &settings, const ConvertJob &job, ConvertProgress *progress,
                     std::string *reason);
