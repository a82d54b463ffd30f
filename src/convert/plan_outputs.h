// The plan's look at what its outputs would replace.
#pragma once

#include "convert/plan.h"
#include "convert/system.h"

#include <set>

// Moves every job whose output would replace an input (any of `input_ids`),
// an existing file when the plan does not allow replacing, or anything but a
// file, or whose output's path this system cannot use, from the jobs to the
// failures.
void plan_outputs_check(const std::set<FileId> &input_ids, ConvertPlan *plan);
