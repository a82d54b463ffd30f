// Running a plan: its jobs on worker threads, failures named on standard
// error one whole line at a time, and a progress line on a terminal.
#pragma once

#include "convert/job.h"
#include "convert/report.h"

// Converts every job of `plan` with `workers` threads and names each input
// that failed, the plan's own failures first; shows a progress line unless
// `quiet`; adds a line per input to `report` unless it is null (a report
// that cannot be written stops the run). Returns how many inputs failed,
// those included, plus one for a stopped run. Outputs do not depend on
// `workers`: each job is converted alone, whichever thread takes it.
size_t convert_run(const ConvertPlan &plan, int workers, bool quiet, ConvertReport *report);
// Ends a progress line that is showing, so the shell's prompt starts on a
// fresh line; for a run that is interrupted.
void convert_run_interrupted();
