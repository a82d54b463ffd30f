// What temporary files do alike on every system; creating them and
// interrupts are in temp_file_posix.cpp and temp_file_win.cpp.
#include "convert/temp_file.h"

#include "convert/temp_file_registry.h"

#include "convert/system.h"

#include <algorithm>
#include <cstdlib>

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

namespace {

constexpr char STDIN_COPY_START[] = "korvel-convert.stdin-";

// Removes the copies of standard input in `folder` whose run has ended
// without removing them (killed outright, or its machine stopped).
void remove_stale_stdin_copies(const std::string &folder) {
    std::vector<std::string> names;
    std::string reason;
    if (!folder_names(folder, &names, &reason))
        return;
    const size_t start = sizeof STDIN_COPY_START - 1;
    for (const std::string &name : names) {
        size_t digits_end = name.find_first_not_of("0123456789", start);
        if (name.compare(0, start, STDIN_COPY_START) != 0 || digits_end == start ||
            digits_end == std::string::npos || name[digits_end] != '.')
            continue;
        unsigned long owner = std::strtoul(name.c_str() + start, nullptr, 10);
        if (!process_is_running(owner))
            std::remove(path_joined(folder, name).c_str());
    }
}

} // namespace

bool temp_file_create_for_stdin(TempFile *file, std::string *reason) {
    std::string folder;
    if (!temp_folder(&folder, reason))
        return false;
    remove_stale_stdin_copies(folder);
    std::string error;
    if (temp_file_create_in(folder, STDIN_COPY_START + std::to_string(process_id()), file, &error))
        return true;
    *reason = "cannot create a temporary file in " + folder + ": " + error;
    return false;
}
