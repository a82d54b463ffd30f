// The inputs taken apart into jobs, one at a time, so that a run holds no
// list of them: folders are walked in name order, one level at a time, and
// what must be checked across files is checked where it can happen. Two
// inputs with one output can only meet in one output folder: a folder's own
// files, the inputs as given, and (with -o) the same folder of each given
// folder. One file under two names is found by its number (InputIds).
//
// A run walks twice: the first walk counts, names every input that fails
// and fills InputIds; the second hands the jobs to the workers, and can
// then refuse an output that is an input found later in the walk.
#pragma once

#include "convert/input_ids.h"
#include "convert/options.h"
#include "convert/plan.h"

#include <string>

// What a walk finds, in the walk's order: inputs as given, folders sorted.
class PlanSink {
  public:
    virtual ~PlanSink() = default;
    virtual void job(ConvertJob &&job) = 0;
    // `refused`: an input taken whose output may not be written.
    virtual void failure(ConvertFailure &&failure, bool refused) = 0;
    virtual void notice(const std::string &notice) = 0;
    // The walk ends early when the run has stopped.
    virtual bool stopped() const { return false; }
};

// One walk; `second` after InputIds::first_walk_done.
void plan_walk(const ConvertOptions &options, const ConvertPlan &plan, bool second, InputIds *ids,
               PlanSink *sink);
