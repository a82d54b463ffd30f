// Running test programs under Windows: where the test's own programs are,
// and starting one in a chosen folder.
#pragma once

#include <windows.h>

#include <string>

// The folder of the running test program (where its helper programs are built).
std::string test_bin_directory();

// Starts `exe` with `arguments`; returns the process handle (null on failure)
// and its id in `pid` when asked.
HANDLE start_program(const std::string &exe, const std::string &arguments, DWORD *pid = nullptr);

// Runs `exe` to its end; returns its exit code, 99 when it could not start.
DWORD run_program(const std::string &exe, const std::string &arguments, DWORD *pid = nullptr);
