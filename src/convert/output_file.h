// Output files that appear whole or not at all: each is written to a
// temporary file beside its final name and renamed into place once complete.
// Every temporary file is known to a registry, so an interrupted run
// (SIGINT, SIGTERM, SIGHUP; Ctrl+C or a closed console window on Windows)
// removes them before it ends. One implementation per system:
// output_file_posix.cpp and output_file_win.cpp.
#pragma once

#include <cstdio>
#include <string>

struct OutputFile {
    std::string path;      // the final name
    std::string temp_path; // empty once committed or discarded
    std::FILE *stream = nullptr;
};

// Call first thing in main, before any other thread starts: blocks the
// three signals in every thread and starts the thread that handles them
// (on Windows: installs a console control handler): it calls `on_signal`
// (say, to end a progress line), removes every temporary file and ends the
// process as the signal would have.
void output_files_guard_signals(void (*on_signal)());

// Creates the folders up to `path` and a temporary file beside it, open for
// writing. False with `reason` set when that fails.
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

// A registered temporary file in the system's temporary folder, open for
// reading and writing (`descriptor`); removed by temp_file_remove or when
// the process is interrupted.
bool temp_file_create(std::string *path, int *descriptor, std::string *reason);
void temp_file_remove(const std::string &path);
