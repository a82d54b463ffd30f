// The registry of temporary files, shared by output_file.cpp and each
// system's part: a temporary file is on it from its creation (made under the
// lock, so an interrupt cannot miss it) until it is renamed into place or
// removed, and an interrupted run removes every file on it.
#pragma once

#include "convert/output_file.h"

#include <mutex>
#include <string>
#include <vector>

extern std::mutex temp_registry_lock;
// Under temp_registry_lock. Never destroyed: the interrupt's handler may
// still use it while the process exits.
extern std::vector<std::string> &temp_registry;
void temp_registry_forget(const std::string &path);
// Each system's rename of the temporary file onto its path, replacing an
// existing file only when `replace` is set. On failure, `reason` says why.
bool output_file_rename(const OutputFile &file, bool replace, std::string *reason);
