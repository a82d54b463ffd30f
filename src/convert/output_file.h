// Output files that appear whole or not at all: each is written to a
// temporary file beside its final name and renamed into place once complete.
#pragma once

#include "convert/temp_file.h"

#include <cstdio>
#include <string>

struct OutputFile {
    std::string path; // the final name
    TempFile temp;    // its path is empty once committed or discarded
};

// Why an output is not written over an existing file: the one message for it.
std::string output_exists_reason(const std::string &path);

// Creates the folders up to `path` and a temporary file beside it, open for
// writing (file->temp.stream). False with `reason` set when that fails.
bool output_file_open(OutputFile *file, const std::string &path, std::string *reason);
// Closes the stream, keeping the temporary file; false with `reason` when
// the data could not all be written.
bool output_file_close(OutputFile *file, std::string *reason);
// Closes the stream if still open and renames the file into place, over an
// existing file only when `replace`. On any failure the temporary file is
// removed and `reason` says why.
bool output_file_commit(OutputFile *file, bool replace, std::string *reason);
// Closes and removes the temporary file; nothing when there is none.
void output_file_discard(OutputFile *file);
