// --update: whether a job's outputs are already there, complete and not
// older than what they are made from.
#pragma once

#include "convert/plan.h"

#include <string>
#include <vector>

// The files that make up the job's outputs (a page format: its pages from
// the first on, as long as they follow without a gap) when each is a file
// modified no earlier than the input and the fonts; empty when any is
// missing, not a file or older. A page set is complete once its first page
// is there: a conversion renames that one into place last.
std::vector<std::string> up_to_date_outputs(const JobSettings &settings, const ConvertJob &job);

// Marks the jobs whose outputs are up to date, which are then not converted.
void plan_mark_up_to_date(ConvertPlan *plan);
