// What output files do alike on every system; creating, renaming and
// interrupts are in output_file_posix.cpp and output_file_win.cpp.
#include "convert/output_file.h"

#include "convert/output_file_registry.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

std::mutex temp_registry_lock;
std::vector<std::string> &temp_registry = *new std::vector<std::string>;

void temp_registry_forget(const std::string &path) {
    std::lock_guard hold(temp_registry_lock);
    auto found = std::find(temp_registry.begin(), temp_registry.end(), path);
    if (found != temp_registry.end())
        temp_registry.erase(found);
}

bool output_file_close(OutputFile *file, std::string *reason) {
    errno = 0;
    bool written = std::fflush(file->stream) == 0 && !std::ferror(file->stream);
    int error = written ? 0 : errno;
    if (std::fclose(file->stream) != 0 && written) {
        written = false;
        error = errno;
    }
    file->stream = nullptr;
    if (!written)
        *reason = "cannot write " + file->path + ": " + std::strerror(error ? error : EIO);
    return written;
}

void output_file_discard(OutputFile *file) {
    if (file->stream)
        std::fclose(file->stream);
    file->stream = nullptr;
    if (file->temp_path.empty())
        return;
    temp_file_remove(file->temp_path);
    file->temp_path.clear();
}

bool output_file_commit(OutputFile *file, bool replace, std::string *reason) {
    if ((file->stream && !output_file_close(file, reason)) ||
        !output_file_rename(*file, replace, reason)) {
        output_file_discard(file);
        return false;
    }
    temp_registry_forget(file->temp_path);
    file->temp_path.clear();
    return true;
}

void temp_file_remove(const std::string &path) {
    std::remove(path.c_str());
    temp_registry_forget(path);
}
