// What the report says about one input of the plan.
#pragma once

#include "convert/job.h"
#include "convert/report.h"

// The record of a job that was converted, or found up to date (then not
// run, and `result` is empty), or that failed for `error`.
ReportRecord job_report_record(const JobSettings &settings, const ConvertJob &job,
                               const ConvertJobResult &result, const std::string &error);
// The record of an input the plan could not take.
ReportRecord failure_report_record(const JobSettings &settings, const ConvertFailure &failure);
// Takes the SHA-256 of the input and of every output written to a file, as
// they are on the disk now; false with `reason` set when one cannot be read.
bool job_report_fixity(const ConvertJob &job, ReportRecord *record, std::string *reason);
