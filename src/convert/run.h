// Running a plan: its jobs on worker threads, failures named on standard
// error one whole line at a time, and a progress line on a terminal.
#pragma once

#include "convert/job.h"
#include "convert/plan_walk.h"
#include "convert/report.h"

#include <functional>
#include <string>
#include <vector>

// What the first walk over the inputs found.
struct PlanSurvey {
    size_t files = 0; // jobs, and their bytes, for the progress line
    unsigned long long bytes = 0;
    // Inputs that cannot be converted: those the walk could not take, then
    // those whose outputs were refused, each in the walk's order.
    std::vector<ConvertFailure> failures;
    std::vector<std::string> notices; // what else the user is told, such as an empty folder
};

// Names the survey's notices and failures, then converts every job the
// second walk (`walk` into the sink it is given) hands over, with `workers`
// threads, and names each input that failed, as well as any failure that
// walk finds that the first did not; shows a progress line unless `quiet`;
// adds a line per input to `report` unless it is null (a report that cannot
// be written stops the run). Returns how many inputs failed, plus one for a
// stopped run. Outputs do not depend on `workers`: each job is converted
// alone, whichever thread takes it.
size_t convert_run(const JobSettings &settings, const PlanSurvey &survey,
                   const std::function<void(PlanSink *)> &walk, int workers, bool quiet,
                   ConvertReport *report);
// Ends a progress line that is showing, so the shell's prompt starts on a
// fresh line; for a run that is interrupted.
void convert_run_interrupted();
