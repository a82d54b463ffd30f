// Running test programs under Windows: where the test's own programs are,
// starting one, and finding the windows a process shows.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// The folder of the running test program (where its helper programs are built).
std::string test_bin_directory();

// Starts `exe` with the command line "\"<exe>\" <arguments>" (just the quoted
// name when there are none), in `directory` unless null, its standard output
// and error going to `output` when given. False when it does not start;
// otherwise the caller closes both handles in `process`.
bool launch_program(PROCESS_INFORMATION *process, const std::string &exe,
                    const std::string &arguments, const char *directory = nullptr,
                    HANDLE output = nullptr);

// Starts `exe` with `arguments`; returns the process handle (null on failure)
// and its id in `pid` when asked.
HANDLE start_program(const std::string &exe, const std::string &arguments, DWORD *pid = nullptr);

// Runs `exe` to its end (in `directory`, output to `output`, as for
// launch_program); returns its exit code, 99 when it could not start.
DWORD run_program(const std::string &exe, const std::string &arguments, DWORD *pid = nullptr,
                  const char *directory = nullptr, HANDLE output = nullptr);

// The visible top-level windows of process `pid` of window class
// `class_name`, front to back; with `with_control` not 0, only those that
// have a child with that id (a dialog, not an error box in its place).
std::vector<HWND> process_windows(DWORD pid, const char *class_name, int with_control = 0);
