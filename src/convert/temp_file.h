// Temporary files, and the guard that removes them when a run is
// interrupted. Every temporary file is on a registry from its creation until
// it is renamed into place or removed; an interrupted run (SIGINT, SIGTERM,
// SIGHUP, SIGQUIT; Ctrl+C or a closed console window on Windows) removes
// every file on it before it ends. What every system does alike is in
// temp_file.cpp, the rest in temp_file_posix.cpp and temp_file_win.cpp.
#pragma once

#include <cstdio>
#include <string>

struct TempFile {
    std::string path;
    std::FILE *stream = nullptr; // open for reading and writing
};

// Call first thing in main, before any other thread starts: blocks the
// signals in every thread and starts the thread that handles them (on
// Windows: installs a console control handler): it calls `on_signal` (say,
// to end a progress line), removes every temporary file and ends the process
// as the signal would have.
void temp_files_guard_signals(void (*on_signal)());

// A temporary file beside `path`, named so that a folder scan never takes it
// for a document. False with `error` set (the system's message) when it
// cannot be made.
bool temp_file_create_beside(const std::string &path, TempFile *file, std::string *error);
// A temporary file for a copy of standard input in the system's temporary
// folder, named "korvel-convert.stdin-<process id>." and more. Such copies
// that a run killed outright left behind are removed first. False with
// `reason` set when it cannot be made.
bool temp_file_create_for_stdin(TempFile *file, std::string *reason);
// Takes the file off the registry: it has been renamed into place.
void temp_file_forget(const std::string &path);
// Removes the file and takes it off the registry.
void temp_file_remove(const std::string &path);
