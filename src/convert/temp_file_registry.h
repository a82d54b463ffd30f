// The registry of temporary files, shared by temp_file.cpp and each system's
// part: a file is put on it under the lock as it is created, so an interrupt
// cannot miss it.
#pragma once

#include <mutex>
#include <string>
#include <vector>

extern std::mutex temp_registry_lock;
// Under temp_registry_lock. Never destroyed: the interrupt's handler may
// still use it while the process exits.
extern std::vector<std::string> &temp_registry;
