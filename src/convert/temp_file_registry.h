// Inside the temporary files' module: the registry, shared by temp_file.cpp
// and each system's part (a file is put on it under the lock as it is
// created, so an interrupt cannot miss it), and what each system provides.
#pragma once

#include "convert/temp_file.h"

#include <mutex>
#include <string>
#include <vector>

extern std::mutex temp_registry_lock;
// Under temp_registry_lock. Never destroyed: the interrupt's handler may
// still use it while the process exits.
extern std::vector<std::string> &temp_registry;

// The system's temporary folder ($TMPDIR, else /tmp; %TEMP%); false with
// `reason` set when there is none.
bool temp_folder(std::string *folder, std::string *reason);
// A new registered temporary file in `folder` whose name starts with
// `name_start`; false with `error` (the system's message) when it cannot be made.
bool temp_file_create_in(const std::string &folder, const std::string &name_start, TempFile *file,
                         std::string *error);
