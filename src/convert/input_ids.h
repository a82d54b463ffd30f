// Every input file of a run by its file number, 16 bytes each: the one
// record that grows with the count of files. A run walks its inputs twice
// (see plan_walk.h); the first walk fills the set, so that the second knows
// every input before the first job writes an output that could be one.
#pragma once

#include "convert/system.h"

#include <set>
#include <vector>

class InputIds {
  public:
    // The first walk: true the first time `id` is reached.
    bool add(const FileId &id);
    // Ends the first walk; the second starts with nothing reached.
    void first_walk_done();
    // The second walk: true the first time it reaches `id`.
    bool reach(const FileId &id);
    // Whether `id` is an input: in the first walk one reached so far, in the
    // second any of the run's.
    bool contains(const FileId &id) const;

  private:
    void merge_recent();

    std::vector<FileId> sorted_;
    std::set<FileId> recent_;   // the first walk's newest, merged in batches; the second's new
    std::vector<bool> reached_; // the second walk's, by place in sorted_
};
