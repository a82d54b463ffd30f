// --update: whether a job's outputs are already there, complete and not
// older than what they are made from.
#pragma once

#include "convert/plan.h"
#include "convert/system.h"

#include <string>
#include <vector>

struct ExistingOutput {
    std::string path;
    FileFacts facts;
};

// Whether `existing`, the job's outputs found (a page format: every page of
// its set, in page order), is the whole of them and each a file modified no
// earlier than the input and the fonts. A page set is whole when its pages
// run from the first without a gap: a conversion renames its first page
// into place last.
bool outputs_up_to_date(const JobSettings &settings, const ConvertJob &job,
                        const std::vector<ExistingOutput> &existing);

// The outputs of a job the plan found up to date.
std::vector<std::string> up_to_date_outputs(const JobSettings &settings, const ConvertJob &job);
