// What temporary files do alike on every system; creating them and
// interrupts are in temp_file_posix.cpp and temp_file_win.cpp.
#include "convert/temp_file.h"

#include "convert/temp_file_registry.h"

#include <algorithm>

std::mutex temp_registry_lock;
std::vector<std::string> &temp_registry = *new std::vector<std::string>;

void temp_file_forget(const std::string &path) {
    std::lock_guard hold(temp_registry_lock);
    auto found = std::find(temp_registry.begin(), temp_registry.end(), path);
    if (found != temp_registry.end())
        temp_registry.erase(found);
}

void temp_file_remove(const std::string &path) {
    std::remove(path.c_str());
    temp_file_forget(path);
}
