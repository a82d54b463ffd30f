// A job's input read into lines: a file, or standard input through a
// temporary copy (the loader reads files on a disk only).
#pragma once

#include "convert/plan.h"
#include "lines/lines.h"

#include <ctime>
#include <string>

struct LoadedDocument {
    LineList lines = lines_new();
    time_t modified = 0;
    // Standard input only, whose copy is gone afterwards: its size, and its
    // SHA-256 when asked for before loading.
    bool take_stdin_digest = false;
    long long stdin_size = -1;
    std::string stdin_sha256;
    LoadedDocument() = default;
    LoadedDocument(const LoadedDocument &) = delete;
    LoadedDocument &operator=(const LoadedDocument &) = delete;
    ~LoadedDocument() { lines_free(&lines); }
};

// False with `reason` set when the input could not be read whole.
bool document_load(const ConvertJob &job, LoadedDocument *document, std::string *reason);
